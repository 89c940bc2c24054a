# Frame time on the headless context: immediate-mode quads against buffer-object strips, and
# the strips with a full re-upload every frame. Run by hand.
add_executable(frame_bench ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp)
target_link_libraries(frame_bench PRIVATE agim benchmark::benchmark)
target_compile_options(frame_bench PRIVATE -ffp-contract=off)
agim_warnings(frame_bench)
