target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Color.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MaterialList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Texture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VertexList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureGroups.cpp
)
