target_sources(agim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/DrawSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GLBufferEntryPoints.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessContext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_Render_Stubs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_ZipperRender_Stubs.cpp
)
