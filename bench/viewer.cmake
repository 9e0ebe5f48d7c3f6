# The whole viewer against gst-launch-1.0 on the same live source; runs only when asked:
#   cmake --build <build> --target viewer_bench
find_package(X11 REQUIRED)
add_executable(first_frame ${CMAKE_CURRENT_LIST_DIR}/first_frame.cpp)
target_link_libraries(first_frame PRIVATE X11::X11)
if(TARGET viewer)
  add_custom_target(viewer_bench
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/viewer_bench.sh $<TARGET_FILE:viewer> 20 $<TARGET_FILE:first_frame>
    DEPENDS viewer first_frame
    USES_TERMINAL
    COMMENT "The viewer and gst-launch-1.0 showing a 640x480 live source at 30 fps")
endif()
