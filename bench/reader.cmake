# Model reader throughput: our reader against classic-locale stream extraction on the same file.
add_executable(reader_bench ${CMAKE_CURRENT_SOURCE_DIR}/reader_bench.cpp)
target_link_libraries(reader_bench PRIVATE agim benchmark::benchmark)
agim_warnings(reader_bench)
