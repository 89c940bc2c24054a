target_sources(agim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PyramidRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperDetect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperFill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperHeadTail.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZipperCorner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LevelOfDetail.cpp
)
