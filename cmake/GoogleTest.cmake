# GoogleTest for every build that runs tests. Natively it comes from Debian's packages.
# For the mingw-w64 cross build no libraries exist, so Debian's source is built with the
# cross compiler (its -posix variants provide the std::mutex GoogleTest needs). With MSVC
# an installed GoogleTest (vcpkg, or CMAKE_PREFIX_PATH) is used when there is one.
if(NOT WIN32)
  find_package(GTest REQUIRED)
elseif(MINGW AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest QUIET)
endif()

if(NOT TARGET GTest::gtest_main)
  message(STATUS "Tests skipped: no GoogleTest for this compiler")
  set(SEVALUNE_BUILD_TESTS OFF)
endif()

# Registers a GoogleTest program with CTest. Natively each test case is a CTest test of its
# own, named as the program names it (every table-driven test names its cases). In a Windows build the program runs once, as one test: under Wine (the toolchain's
# emulator, scripts/wine-run) each process start costs about a second. Exit status 77 is
# scripts/wine-run's "Wine is not installed".
include(GoogleTest)
function(sevalune_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX" "")
  if(WIN32)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
  else()
    gtest_discover_tests(${target} TEST_PREFIX "${arg_PREFIX}" DISCOVERY_TIMEOUT 60
                         NO_PRETTY_VALUES)
  endif()
endfunction()
