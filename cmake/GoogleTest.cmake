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
