target_sources(agim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Morph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MorphSequencer.cpp
)
