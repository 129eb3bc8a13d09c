// The one place that includes the Windows headers for the Win32 backend.
//
// The W ("wide") functions are called by name (GetClassNameW, MessageBoxW ...), so the
// generic macros that would otherwise rename the Platform methods of the same name
// (GetClassName -> GetClassNameW) are removed here.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
// Windows 7 is the oldest system the executable declares support for.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WINVER
#define WINVER _WIN32_WINNT
#endif

#include <windows.h>
// Needs the declarations of <windows.h>: not to be sorted before it.
#include <shellapi.h>

#undef FindWindow
#undef GetClassName
#undef GetPrivateProfileString
#undef GetWindowText
#undef MessageBox
#undef SendMessageTimeout
#undef ShellExecute
