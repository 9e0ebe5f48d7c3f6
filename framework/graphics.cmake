# framework_graphics
