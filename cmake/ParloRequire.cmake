# What the build needs, checked before anything is added: a missing folder, library or program
# stops configure with one line naming it and the Debian package that gives it, instead of a
# smaller build. The leading space keeps CMake from wrapping that line.

function(parlo_missing)
  string(CONCAT what ${ARGN})
  message(FATAL_ERROR " Parlo cannot be configured: ${what}")
endfunction()

# parlo_require_folders(folder...): folders of the source tree, named from its top.
function(parlo_require_folders)
  foreach(folder ${ARGN})
    if(NOT IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${folder})
      parlo_missing("the folder ${folder} is missing")
    endif()
  endforeach()
endfunction()

# parlo_require_subdirectories(folder...): folders that are built, each with its CMakeLists.txt.
function(parlo_require_subdirectories)
  parlo_require_folders(${ARGN})
  foreach(folder ${ARGN})
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/CMakeLists.txt)
      parlo_missing("the folder ${folder} has no CMakeLists.txt")
    endif()
  endforeach()
endfunction()

# parlo_require_modules(PREFIX module=debian-package...): the modules through pkg-config, as the
# imported target PkgConfig::PREFIX. A macro, so that PREFIX_... variables reach the caller.
macro(parlo_require_modules prefix)
  set(_parlo_modules "")
  foreach(_parlo_entry ${ARGN})
    string(REPLACE "=" ";" _parlo_pair ${_parlo_entry})
    list(GET _parlo_pair 0 _parlo_module)
    list(GET _parlo_pair 1 _parlo_package)
    # One module at a time, so the line names the one missing and not the whole group.
    pkg_check_modules(_PARLO_PROBE QUIET ${_parlo_module})
    if(NOT _PARLO_PROBE_FOUND)
      parlo_missing("pkg-config cannot find ${_parlo_module}: "
                    "install the Debian package ${_parlo_package}")
    endif()
    list(APPEND _parlo_modules ${_parlo_module})
  endforeach()
  pkg_check_modules(${prefix} REQUIRED QUIET IMPORTED_TARGET GLOBAL ${_parlo_modules})
endmacro()

# parlo_require_program(VARIABLE program debian-package): the program's path in VARIABLE (a cache
# entry, so -DVARIABLE=PATH chooses another; a path that is not there counts as missing).
function(parlo_require_program variable program package)
  find_program(${variable} ${program})
  if(NOT ${variable} OR NOT EXISTS "${${variable}}")
    parlo_missing("the program ${program} is not found: install the Debian package ${package}")
  endif()
endfunction()
