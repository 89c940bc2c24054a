target_sources(agim PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_Load.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_Reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AGIM_Strips.cpp
)
target_sources(agim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/AGIM_Writer.cpp)
