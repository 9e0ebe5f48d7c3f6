# The whole viewer against gst-launch-1.0 on the same live source; runs only when asked:
#   cmake --build <build> --target viewer_bench
if(TARGET viewer)
  add_custom_target(viewer_bench
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/viewer_bench.sh $<TARGET_FILE:viewer>
    DEPENDS viewer
    USES_TERMINAL
    COMMENT "The viewer and gst-launch-1.0 showing a 640x480 live source at 30 fps")
endif()
