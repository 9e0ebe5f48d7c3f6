# The viewer's end-to-end tests: the real program on its own Xvfb with GStreamer sources.
if(TARGET viewer)
  add_executable(viewer_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/viewer_e2e_test.cpp)
  target_link_libraries(viewer_e2e_tests PRIVATE e2e_harness GTest::gtest_main)
  target_compile_definitions(viewer_e2e_tests PRIVATE VIEWER_PATH="$<TARGET_FILE:viewer>")
  add_dependencies(viewer_e2e_tests viewer)
  gtest_discover_tests(viewer_e2e_tests TEST_PREFIX "viewer_e2e." PROPERTIES LABELS e2e TIMEOUT 120)
endif()
