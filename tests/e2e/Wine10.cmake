# End-to-end tests under Wine 10, whose UI Automation client exists (Wine 8 has none): in the
# Debian 13 root that scripts/make-wine10-root makes, run by scripts/with-wine10, with a
# prefix of their own (build/mingw-x64/wine10-e2e). They carry the label wine10: the
# mingw-x64 test preset leaves them out, the mingw-x64-wine10 preset runs only them (./test
# does, after the Wine 8 tests, when the root can be made). Where it cannot, each of them is
# skipped.
#
# The test programs built here run there unchanged. The helpers that need UI Automation's
# provider or full client declarations, which this mingw-w64 lacks, are built inside the root
# with Debian 13's mingw-w64 by the first test (target sevalune_wine10_tools), which the
# others need.
set(wine10 ${PROJECT_SOURCE_DIR}/scripts/with-wine10)
set(wine10_tools_dir ${CMAKE_CURRENT_BINARY_DIR}/wine10)
set(wine10_uia_app ${wine10_tools_dir}/sevalune_e2e_uia_app.exe)
set(wine10_uia_probe ${wine10_tools_dir}/sevalune_e2e_uia_probe.exe)

# The project's warnings (cmake/Warnings.cmake), as errors.
set(wine10_flags -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
  -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough -Werror
  -D_WIN32_WINNT=0x0A00 -I${PROJECT_SOURCE_DIR} -I${CMAKE_CURRENT_SOURCE_DIR} -static -municode)
set(wine10_uia_libraries -luiautomationcore -loleaut32 -lole32 -luuid)
set(wine10_headers
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/ToolWindow.h
  ${CMAKE_CURRENT_SOURCE_DIR}/tools/UiaAppCommands.h
  ${PROJECT_SOURCE_DIR}/backend/win32/LaunchOptions.h
  ${PROJECT_SOURCE_DIR}/backend/win32/ScopedWin.h
  ${PROJECT_SOURCE_DIR}/backend/win32/WindowInstance.h
  ${PROJECT_SOURCE_DIR}/backend/win32/WindowsHeaders.h)

# OUTPUT built in the root from SOURCES with the given compiler options after them.
function(sevalune_wine10_tool output)
  cmake_parse_arguments(PARSE_ARGV 1 tool "" "" "SOURCES;OPTIONS")
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${wine10_tools_dir}
    COMMAND ${wine10} x86_64-w64-mingw32-g++-posix ${wine10_flags} -o ${output} ${tool_SOURCES}
      ${tool_OPTIONS}
    DEPENDS ${tool_SOURCES} ${wine10_headers} ${wine10}
    COMMENT "Building ${output} with Debian 13's mingw-w64 (in the Wine 10 root)"
    VERBATIM)
endfunction()

# A window whose focused element is known only through UI Automation (tools/uia_app.cpp).
sevalune_wine10_tool(${wine10_uia_app}
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools/uia_app.cpp
    ${PROJECT_SOURCE_DIR}/backend/win32/LaunchOptions.cpp
  OPTIONS -mwindows ${wine10_uia_libraries})
# What the UI Automation client answers for it (tools/uia_probe.cpp).
sevalune_wine10_tool(${wine10_uia_probe}
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools/uia_probe.cpp
  OPTIONS ${wine10_uia_libraries})
add_custom_target(sevalune_wine10_tools DEPENDS ${wine10_uia_app} ${wine10_uia_probe})

add_test(NAME wine10_tools
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target sevalune_wine10_tools --parallel 2)
set_tests_properties(wine10_tools PROPERTIES
  LABELS wine10
  FIXTURES_SETUP wine10_tools
  SKIP_REGULAR_EXPRESSION "Wine 10 tests skipped"
  TIMEOUT 900)

# A test NAME that runs COMMAND (a program's path, then its arguments) under Wine 10, one
# at a time with the other end-to-end tests (they share the X display).
function(sevalune_wine10_test name)
  add_test(NAME ${name} COMMAND ${wine10} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    LABELS wine10
    FIXTURES_REQUIRED wine10_tools
    SKIP_RETURN_CODE 77
    TIMEOUT 900
    RESOURCE_LOCK sevalune_wine_e2e
    ENVIRONMENT "SEVALUNE_WINE10_PREFIX=${CMAKE_BINARY_DIR}/wine10-e2e;SEVALUNE_E2E_EXE=Z:$<TARGET_FILE:sevalune>;SEVALUNE_E2E_TARGET=Z:$<TARGET_FILE:sevalune_e2e_target>;SEVALUNE_E2E_CARET_APP=Z:$<TARGET_FILE:sevalune_e2e_caret_app>;SEVALUNE_E2E_UIA_APP=Z:${wine10_uia_app}")
endfunction()

# What Wine 10's client answers for the helper; fails when ElementFromHandle no longer
# reaches its provider and answers the field.
sevalune_wine10_test(wine10_uia_probe ${wine10_uia_probe} Z:${wine10_uia_app})
# sevalune.exe starts and marks notepad's caret, and follows it between ticks, as under Wine 8.
sevalune_wine10_test(wine10_tracking $<TARGET_FILE:sevalune_e2e_tests>
  --gtest_filter=*CaretMarker.*:*FollowingBetweenTicks.*)
# A provider known only through UI Automation: its focused field gets the bar (each round
# takes hundreds of milliseconds under Wine 10, so the window is a slow provider), and while
# it hangs in its calls it stalls nothing (UiaFocusTest.cpp, built here with the other
# end-to-end tests).
add_executable(sevalune_e2e_uia_tests UiaFocusTest.cpp FaultHelper.cpp)
target_link_libraries(sevalune_e2e_uia_tests PRIVATE sevalune_e2e_harness GTest::gtest_main)
sevalune_warnings(sevalune_e2e_uia_tests)
add_dependencies(sevalune_e2e_uia_tests sevalune)
target_link_options(sevalune_e2e_uia_tests PRIVATE -static)
sevalune_wine10_test(wine10_uia $<TARGET_FILE:sevalune_e2e_uia_tests>)
# The caret a program draws itself and publishes through Active Accessibility, the hidden
# caret's field, and a browser engine's caret followed between ticks.
sevalune_wine10_test(wine10_caret $<TARGET_FILE:sevalune_e2e_caret_tests>)
