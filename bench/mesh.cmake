# Mesh conversion: rays per second through the bounding-volume hierarchy against the plain loop
# over every triangle, on a generated mesh of about 100k triangles, and a whole conversion.
add_executable(mesh_bench ${CMAKE_CURRENT_LIST_DIR}/mesh_bench.cpp)
target_link_libraries(mesh_bench PRIVATE agim benchmark::benchmark)
target_compile_options(mesh_bench PRIVATE -ffp-contract=off)
agim_warnings(mesh_bench)
