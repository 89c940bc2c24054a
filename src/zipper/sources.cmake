target_sources(agim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PyramidRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_Zipper_Stubs.cpp
)
