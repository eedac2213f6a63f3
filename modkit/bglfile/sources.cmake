target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/XMLBGLSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BGLObject.cpp
)
