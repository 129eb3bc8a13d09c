#!/bin/sh
# The release zip as a user gets it: made with cpack from the build, it must hold exactly
# sevalune.exe, sevalune.ini and the help pages sevalune.htm (Japanese) and sevalune-en.htm
# (English) with no folder around them, and the
# executable must need no DLLs beyond the system's own (it is linked statically).
# Unpacked into a folder whose name has blanks and Japanese characters, it must run from
# there under Wine and read the sevalune.ini beside it (PackageRunTest.cpp checks that, in a
# Japanese Windows: its box is the Japanese one).
# The i686 zip's contents and imports are checked too when that build exists.
#
#   PackageTest.sh BUILD_DIR CPACK OBJDUMP RUNNER WINE_RUN [X86_BUILD_DIR]
#
#   BUILD_DIR      the mingw-x64 build (holds CPackConfig.cmake)
#   CPACK, OBJDUMP the tools (OBJDUMP may be empty: objdump from PATH)
#   RUNNER         sevalune_e2e_package_tests.exe
#   WINE_RUN       scripts/wine-run
#
# Exit status 0 passed, 1 failed, 77 skipped (Wine, unzip or objdump missing).
set -eu

build=$1
cpack=$2
objdump=${3:-}
runner=$4
wine_run=$5
x86_build=${6:-}

skip() { echo "SKIPPED: $*" >&2; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

command -v wine >/dev/null 2>&1 || skip "Wine is not installed"
command -v unzip >/dev/null 2>&1 || skip "unzip is not installed"
[ -n "$objdump" ] && [ -x "$objdump" ] || objdump=$(command -v objdump || true)
[ -n "$objdump" ] || skip "objdump is not installed"

# The names of the folder a user might unpack into; UTF-8 on the Linux side.
export LC_ALL=C.UTF-8
unpacked_name="Seva lune テスト フォルダ"
expected_files="sevalune-en.htm
sevalune.exe
sevalune.htm
sevalune.ini"
# DLLs every Windows has; a statically linked program imports nothing else (in
# particular no libstdc++, libgcc or libwinpthread of the compiler).
system_dlls="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll
ntdll.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Makes the zip of a build into $work/$2 and prints its path. cpack first brings the
# build up to date (its "preinstall" step), which is quick after a build.
make_zip() {
  "$cpack" --config "$1/CPackConfig.cmake" -B "$work/$2" >"$work/$2.log" 2>&1 || {
    cat "$work/$2.log" "$work/$2"/_CPack_Packages/*/ZIP/PreinstallOutput.log >&2 2>/dev/null
    fail "cpack could not make the package of $1"
  }
  set -- "$work/$2"/sevalune-*.zip
  [ $# -eq 1 ] && [ -f "$1" ] || fail "cpack made no single sevalune-*.zip"
  echo "$1"
}

check_contents() {
  listed=$(unzip -Z1 "$1" | sort)
  [ "$listed" = "$expected_files" ] ||
    fail "$(basename "$1") holds:
$listed
expected exactly:
$expected_files"
  echo "ok: $(basename "$1") holds exactly sevalune.exe, sevalune.ini, sevalune.htm, sevalune-en.htm"
}

check_imports() {
  plain="$work/plain-$2"
  mkdir -p "$plain"
  unzip -q -o "$1" sevalune.exe -d "$plain"
  format=$("$objdump" -f "$plain/sevalune.exe" | sed -n 's/.*file format //p')
  [ "$format" = "$3" ] || fail "sevalune.exe of $(basename "$1") is $format, expected $3"
  imports=$("$objdump" -p "$plain/sevalune.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' |
            tr 'A-Z' 'a-z' | sort -u)
  [ -n "$imports" ] || fail "no imports found in sevalune.exe of $(basename "$1")"
  for dll in $imports; do
    case " $(echo $system_dlls) " in
      *" $dll "*) ;;
      *) case "$dll" in
           api-ms-win-*) ;;
           *) fail "sevalune.exe of $(basename "$1") imports $dll, which Windows does not ship" ;;
         esac ;;
    esac
  done
  echo "ok: sevalune.exe ($format) imports only system DLLs:" $imports
}

zip64=$(make_zip "$build" x64)
check_contents "$zip64"
check_imports "$zip64" x64 pei-x86-64

if [ -n "$x86_build" ] && [ -f "$x86_build/CPackConfig.cmake" ] &&
   [ -f "$x86_build/backend/win32/sevalune.exe" ]; then
  zip32=$(make_zip "$x86_build" x86)
  check_contents "$zip32"
  check_imports "$zip32" x86 pei-i386
else
  echo "note: no mingw-x86 build; the i686 zip was not checked"
fi

mkdir -p "$work/root/$unpacked_name"
unzip -q "$zip64" -d "$work/root/$unpacked_name"
# A Japanese Windows: Wine takes the UI language from the locale (scripts/install-deps makes
# ja_JP.UTF-8, without which Wine would misread the folder's Japanese name).
SEVALUNE_PACKAGE_ROOT="Z:$work/root" LC_ALL=ja_JP.UTF-8 "$wine_run" "$runner"
