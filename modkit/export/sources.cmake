target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ASMWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenFlightWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FLTExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FLTBatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureDecoder.cpp
)

# glTF: tinygltf as Debian builds it, a shared library with its JSON and image
# code inside (only its header is needed to build against it).
find_package(TinyGLTF REQUIRED)
target_sources(modkit PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GltfExport.cpp)
target_link_libraries(modkit PRIVATE TinyGLTF::TinyGLTF)
