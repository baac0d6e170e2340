# parlo_add_test(NAME SOURCES... LIBS ...): one GoogleTest binary, each test registered with CTest.
function(parlo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  # Test code is unoptimised whatever the build: optimising Google Test's macros was half of a
  # build's compile time, while the time a test runs is spent in the libraries it calls.
  target_compile_options(${name} PRIVATE -O0)
  # Tests install the rendered asset images into their device roots; a test binary built alone
  # must find them built.
  add_dependencies(${name} parlo_assets)
  target_compile_definitions(${name} PRIVATE
    PARLO_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared"
    PARLO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
