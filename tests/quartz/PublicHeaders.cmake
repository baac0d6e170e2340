cmake_minimum_required(VERSION 3.20)
# Fails when a public header of a platform layer names Cairo or Pango. Drawing goes through
# CGContext and text through uikit's private part; headers named X+Private.h and the renderer,
# which is the Cairo side, may name them. KNOWN lists the headers that still do, so that the
# list can only shrink.
set(KNOWN)
set(failures "")
foreach(layer runtime foundation quartz layout uikit avfoundation)
  file(GLOB headers RELATIVE ${PLATFORM_DIR} ${PLATFORM_DIR}/${layer}/*.h)
  foreach(header ${headers})
    if(header MATCHES "\\+Private\\.h$" OR header IN_LIST KNOWN)
      continue()
    endif()
    file(STRINGS ${PLATFORM_DIR}/${header} lines
         REGEX "#include <(cairo|pango)|cairo_[a-z_]+|Pango[A-Z][A-Za-z]*")
    if(lines)
      list(GET lines 0 first)
      string(APPEND failures "${header}: ${first}\n")
    endif()
  endforeach()
endforeach()
foreach(header ${KNOWN})
  file(STRINGS ${PLATFORM_DIR}/${header} lines
       REGEX "#include <(cairo|pango)|cairo_[a-z_]+|Pango[A-Z][A-Za-z]*")
  if(NOT lines)
    string(APPEND failures "${header} no longer names Cairo or Pango: take it off the list\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "Public headers name the drawing or text backend:\n${failures}")
endif()
