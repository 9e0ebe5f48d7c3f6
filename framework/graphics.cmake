# framework_graphics: colours, fonts, brushes, pens, canvases, bitmaps and pictures over
# the GDI layer.
add_library(framework_graphics STATIC
  ${CMAKE_CURRENT_LIST_DIR}/persistent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graphicsobject.cpp
  ${CMAKE_CURRENT_LIST_DIR}/font.cpp
  ${CMAKE_CURRENT_LIST_DIR}/brush.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmapcanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture.cpp
)
target_link_libraries(framework_graphics PUBLIC platform_gdi runtime)
