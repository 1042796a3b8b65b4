# Options shared by every target of the project.
#
# The arithmetic follows fixed evaluation orders and rounding points, so no
# contraction into fused multiply-adds, no fast-math and no -march=native:
# a fused a*b+c differs from the separate operations in the last bit.
add_library(valdenta_options INTERFACE)
target_compile_options(valdenta_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow
  -ffp-contract=off
  $<$<BOOL:${VALDENTA_WERROR}>:-Werror>)

# Helper for GoogleTest executables: one call per test file group.
function(valdenta_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main valdenta_options)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
