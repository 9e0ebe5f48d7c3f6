# The frame pipeline of TVideo beside GStreamer's own stamp-convert-scale pipeline, same run.
add_executable(pipeline_bench ${CMAKE_CURRENT_LIST_DIR}/pipeline_bench.cpp)
target_link_libraries(pipeline_bench PRIVATE video32 framework platform runtime PkgConfig::GST)
