target_sources(agim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DrawSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GLBufferEntryPoints.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessContext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_Render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SceneCamera.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameRenderer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RenderTool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperBlockAccess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperEmit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperRender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperCornerRender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperCornerStitch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UlCColorTable_Static.cpp
)
# PNG frames of the headless renderer.
find_package(PNG REQUIRED)
target_link_libraries(agim PRIVATE PNG::PNG)
