// A window of this process that publishes a caret and a focused child through Active
// Accessibility, as a program that draws its own caret does (the end-to-end caret helper
// does the same from a process of its own): WM_GETOBJECT for OBJID_CARET answers a caret
// object, for OBJID_CLIENT a client object whose focus is one child.
#pragma once

#include <optional>

#include "backend/win32/WindowsHeaders.h"
#include "platform/Platform.h"

namespace sevalune::contract {

struct PublishedAccessible;

// Called on the window's own thread: the objects live in that thread's single-threaded
// apartment (joined here when the thread has none) and are called through its messages.
// Publishing again replaces what the window publishes.
void ServeAccessible(HWND window, const PublishedAccessible& published);

}  // namespace sevalune::contract
