# framework: components and ownership, controls, forms, the application object with its
# message loop and exception display, the message timer, the image component and window
# definitions.
add_library(framework STATIC
  ${CMAKE_CURRENT_LIST_DIR}/component.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wincontrol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controlcanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/customcontrol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graphiccontrol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/timer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windowdefinition.cpp
  ${CMAKE_CURRENT_LIST_DIR}/definitionparser.cpp
)
target_link_libraries(framework PUBLIC framework_graphics platform runtime)
