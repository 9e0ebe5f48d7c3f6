# DIB transfer and DrawDib, each beside a reference measured in the same run.
add_executable(gdi_bench ${CMAKE_CURRENT_LIST_DIR}/gdi_bench.cpp)
target_link_libraries(gdi_bench PRIVATE platform_gdi benchmark::benchmark)
