# Crack-fixing preparation time against the time to read the same model file.
add_executable(prep_bench ${CMAKE_CURRENT_LIST_DIR}/prep_bench.cpp)
target_link_libraries(prep_bench PRIVATE agim benchmark::benchmark)
agim_warnings(prep_bench)
