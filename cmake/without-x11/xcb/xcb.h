// Stands in for xcb/xcb.h in a build with TESSALINE_X11=OFF, which must not use X11.
#error "X11 is left out of this build (TESSALINE_X11=OFF)"
