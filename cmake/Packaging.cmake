# `cmake --build --preset mingw-x64 --target package` (or mingw-x86, msvc) makes
# sevalune-<version>-win64.zip / -win32.zip: the statically linked sevalune.exe, the sample
# sevalune.ini and the help pages sevalune.htm (Japanese) and sevalune-en.htm (English), with
# no folder around them.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(SEVALUNE_PACKAGE_ARCH win64)
else()
  set(SEVALUNE_PACKAGE_ARCH win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME sevalune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "sevalune-${PROJECT_VERSION}-${SEVALUNE_PACKAGE_ARCH}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
