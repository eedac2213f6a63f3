target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HexFunctions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileIO.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EventPump.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MDLHeader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoundingBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MDLObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Tweaks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureEdits.cpp
)
