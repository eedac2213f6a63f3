# The preview: GL drawing of a model, its textures, and an offscreen surface.
# GL goes through the vendor-neutral libraries, so the same calls reach a
# context made current by EGL (tests, fettle-cli) or by the program's toolkit.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
if(NOT TARGET OpenGL::GLU)
  message(FATAL_ERROR "GLU was not found (libglu1-mesa-dev)")
endif()
find_package(Qt6 REQUIRED COMPONENTS Gui)
# libsquish decodes the DXT blocks; its static library needs OpenMP's runtime.
find_path(SQUISH_INCLUDE_DIR squish.h REQUIRED)
find_library(SQUISH_LIBRARY NAMES libsquish.a squish REQUIRED)
find_package(OpenMP REQUIRED COMPONENTS CXX)

target_sources(modkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/EglOffscreenSurface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpenGLPreviewObject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreviewDraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewCamera.cpp
)
target_include_directories(modkit PRIVATE ${SQUISH_INCLUDE_DIR})
target_link_libraries(modkit
  PUBLIC Qt6::Gui
  PRIVATE OpenGL::OpenGL OpenGL::GLU OpenGL::EGL ${SQUISH_LIBRARY} ${OpenMP_CXX_LIBRARIES})
