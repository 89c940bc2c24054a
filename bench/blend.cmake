# Blend step time per sample against a same-run memory-bandwidth probe (a float triad over the
# same number of bytes). Built without contraction, like the library.
add_executable(blend_bench ${CMAKE_CURRENT_LIST_DIR}/blend_bench.cpp)
target_link_libraries(blend_bench PRIVATE agim benchmark::benchmark)
target_compile_options(blend_bench PRIVATE -ffp-contract=off)
agim_warnings(blend_bench)
