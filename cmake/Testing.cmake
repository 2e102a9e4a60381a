option(ZELK_BUILD_TESTS "build the tests and stand-ins" ON)

if(ZELK_BUILD_TESTS)
  enable_testing()
  include(GoogleTest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/third_party/googletest" EXCLUDE_FROM_ALL)
endif()

# zelk_add_gtest(<target> SOURCES ... LIBS ... [CODE_PAGES | CHINESE_CODE_PAGE])
# Registers a GoogleTest executable with ctest.  Under Wine each test runs in
# its own process; CODE_PAGES registers the Windows tests twice, once under
# the Western (1252) and once under the Chinese (936) ANSI code page, which
# Wine takes from the Linux locale of the process.  One variable each: a
# list here would be split by gtest_discover_tests into separate properties,
# and LC_ALL alone decides the locale whatever LANG says.  CHINESE_CODE_PAGE
# runs them once, under 936 only: for tests whose cost is windows and
# processes rather than text conversions.
function(zelk_add_gtest target)
  cmake_parse_arguments(ARG "CODE_PAGES;CHINESE_CODE_PAGE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gmock_main)
  if(WIN32 AND ARG_CODE_PAGES)
    gtest_discover_tests(${target} TEST_PREFIX "cp1252." DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120 PROPERTIES ENVIRONMENT "LC_ALL=en_US.UTF-8")
    gtest_discover_tests(${target} TEST_PREFIX "cp936." DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120 PROPERTIES ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
  elseif(WIN32 AND ARG_CHINESE_CODE_PAGE)
    gtest_discover_tests(${target} TEST_PREFIX "cp936." DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120 PROPERTIES ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
  endif()
endfunction()
