# Geometry helpers and the sample-model generator land here.
target_sources(agim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SampleModels.cpp)
target_sources(agim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Geometry.cpp)
target_sources(agim PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MeshSampler.cpp)
