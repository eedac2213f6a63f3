target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ASMWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenFlightWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FLTExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FLTBatch.cpp
)
