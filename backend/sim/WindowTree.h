// The windows of the simulated desktop and their z-order.
//
// Top-level windows are the children of the desktop window and live in one z-order,
// topmost band first. Children live in their parent's z-order, top first; a new child
// goes to the bottom, as controls are created in tab order. Every GUI thread that gets a
// top-level window also gets a hidden "Default IME" window, which is owned by the
// thread's first top-level window and so always lies directly above it.
// Handles are never reused; destroyed windows keep their last state for messages.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "backend/sim/SimWindow.h"
#include "platform/Platform.h"

namespace sevalune::sim {

class WindowTree {
 public:
  static constexpr WindowHandle kDesktopHandle = 0x10010;

  WindowTree();

  WindowHandle Desktop() const { return kDesktopHandle; }

  // Living windows only: nullptr for 0, unknown and destroyed handles.
  SimWindow* Find(WindowHandle handle);
  const SimWindow* Find(WindowHandle handle) const;
  // Destroyed windows too.
  const SimWindow* FindEvenDestroyed(WindowHandle handle) const;
  // The living window of that name; 0 when there is none.
  WindowHandle Lookup(std::string_view name) const;

  WindowHandle AddTopLevel(const NewWindow& request);
  WindowHandle AddChild(const NewChild& request);  // 0 when the parent does not exist
  // Destroys the window and its descendants, re-homes or destroys the "Default IME"
  // window they owned, and returns every handle destroyed.
  std::vector<WindowHandle> Destroy(WindowHandle handle);

  // The top-level windows, top first.
  const std::vector<WindowHandle>& TopLevelZOrder() const { return Find(Desktop())->children; }
  // The z-order among the window's siblings (the top-level windows for a top-level one).
  const std::vector<WindowHandle>& Siblings(WindowHandle handle) const;
  WindowHandle Relative(WindowHandle handle, WindowRelation relation) const;
  // Top or bottom of the window's band (top-level) or sibling list (child).
  void BringToTop(WindowHandle handle);
  void SendToBottom(WindowHandle handle);
  // Directly below / above a sibling; a top-level window takes the sibling's band.
  void PlaceBelow(WindowHandle handle, WindowHandle sibling);
  void PlaceAbove(WindowHandle handle, WindowHandle sibling);
  // Into or out of the topmost band, at the top of the new band.
  void SetTopmost(WindowHandle handle, bool topmost);
  // Moves and sizes the window; its descendants move along.
  void SetRect(WindowHandle handle, const Rect& rect);

  bool IsVisibleWithAncestors(WindowHandle handle) const;
  bool AreSiblings(WindowHandle a, WindowHandle b) const;
  // Living top-level windows of a process, oldest first.
  std::vector<WindowHandle> TopLevelWindowsOf(ProcessId process) const;
  bool HasWindowOnThread(ThreadId thread) const;
  std::size_t LivingCount() const;

 private:
  SimWindow& Add(SimWindow window);
  std::vector<WindowHandle>& SiblingList(const SimWindow& window);
  std::size_t TopmostCount() const;
  void Unlink(WindowHandle handle);
  void LinkTopLevel(WindowHandle handle, std::size_t index);
  void CollectSubtree(WindowHandle handle, std::vector<WindowHandle>& out) const;
  void MarkDestroyed(WindowHandle handle);
  WindowHandle ImeWindowOfThread(ThreadId thread) const;
  WindowHandle OldestOwnerCandidate(ThreadId thread) const;
  void AddImeWindowFor(const SimWindow& owner);
  // The input-method window of another thread and process, kept above `owner`.
  void AddImeWindowFor(const SimWindow& owner, ProcessId process, ThreadId thread);
  // The top-level window that holds the window (itself for a top-level one).
  WindowHandle TopLevelOf(WindowHandle handle) const;
  void RehomeImeWindows(std::vector<WindowHandle>& destroyed);
  void KeepImeWindowsAboveOwners();

  std::unordered_map<WindowHandle, SimWindow> windows_;
  std::map<std::string, WindowHandle, std::less<>> names_;
  // Living windows per thread: destroyed windows are kept, so counting them would mean
  // scanning every window the desktop ever had.
  std::unordered_map<ThreadId, std::size_t> livingOnThread_;
  WindowHandle nextHandle_ = kDesktopHandle;
};

}  // namespace sevalune::sim
