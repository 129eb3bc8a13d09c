#include "backend/sim/WindowTree.h"

#include <algorithm>

namespace sevalune::sim {
namespace {

// The desktop window belongs to a system process, as on Windows.
constexpr ProcessId kSystemProcess = 2000;
constexpr ThreadId kSystemThread = 2001;

void Offset(Rect& rect, std::int32_t dx, std::int32_t dy) {
  rect.left += dx;
  rect.right += dx;
  rect.top += dy;
  rect.bottom += dy;
}

}  // namespace

WindowTree::WindowTree() {
  SimWindow desktop;
  desktop.name = "desktop";
  desktop.className = "#32769";
  desktop.process = kSystemProcess;
  desktop.thread = kSystemThread;
  Add(std::move(desktop));
}

SimWindow* WindowTree::Find(WindowHandle handle) {
  const auto it = windows_.find(handle);
  return (it == windows_.end() || it->second.destroyed) ? nullptr : &it->second;
}

const SimWindow* WindowTree::Find(WindowHandle handle) const {
  const auto it = windows_.find(handle);
  return (it == windows_.end() || it->second.destroyed) ? nullptr : &it->second;
}

const SimWindow* WindowTree::FindEvenDestroyed(WindowHandle handle) const {
  const auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle WindowTree::Lookup(std::string_view name) const {
  const auto it = names_.find(name);
  return it == names_.end() ? 0 : it->second;
}

SimWindow& WindowTree::Add(SimWindow window) {
  window.handle = nextHandle_;
  nextHandle_ += 2;
  if (!window.name.empty()) names_.insert_or_assign(window.name, window.handle);
  ++livingOnThread_[window.thread];
  const WindowHandle handle = window.handle;
  return windows_.emplace(handle, std::move(window)).first->second;
}

WindowHandle WindowTree::AddTopLevel(const NewWindow& request) {
  SimWindow window;
  window.name = request.name;
  window.className = request.className;
  window.title = request.title;
  window.process = request.process;
  window.thread = request.thread;
  window.rect = request.rect;
  window.visible = request.visible;
  window.enabled = request.enabled;
  window.topmost = request.topmost;
  window.noActivate = request.noActivate;
  SimWindow& added = Add(std::move(window));
  const WindowHandle handle = added.handle;
  LinkTopLevel(handle, added.topmost ? 0 : TopmostCount());
  if (request.above != 0 && AreSiblings(handle, request.above)) {
    PlaceAbove(handle, request.above);
  } else if (request.below != 0 && AreSiblings(handle, request.below)) {
    PlaceBelow(handle, request.below);
  }
  if (request.defaultImeWindow && ImeWindowOfThread(request.thread) == 0) AddImeWindowFor(added);
  KeepImeWindowsAboveOwners();
  return handle;
}

WindowHandle WindowTree::AddChild(const NewChild& request) {
  const SimWindow* parent = Find(request.parent);
  if (parent == nullptr || request.parent == Desktop()) return 0;
  SimWindow window;
  window.name = request.name;
  window.className = request.className;
  window.title = request.title;
  window.process = request.process.value_or(parent->process);
  window.thread = request.thread.value_or(parent->thread);
  window.rect = request.rect;
  window.parent = request.parent;
  window.visible = request.visible;
  window.enabled = request.enabled;
  const bool otherThread = window.thread != parent->thread;
  SimWindow& added = Add(std::move(window));
  const WindowHandle handle = added.handle;
  Find(request.parent)->children.push_back(handle);
  // A GUI thread of its own gets its "Default IME" window, kept above the top-level window
  // the child lies in (its thread may have no top-level window of its own).
  if (otherThread && ImeWindowOfThread(added.thread) == 0) {
    AddImeWindowFor(*Find(TopLevelOf(handle)), added.process, added.thread);
    KeepImeWindowsAboveOwners();
  }
  return handle;
}

std::vector<WindowHandle> WindowTree::Destroy(WindowHandle handle) {
  if (Find(handle) == nullptr || handle == Desktop()) return {};
  std::vector<WindowHandle> destroyed;
  CollectSubtree(handle, destroyed);
  Unlink(handle);
  for (const WindowHandle each : destroyed) MarkDestroyed(each);
  RehomeImeWindows(destroyed);
  KeepImeWindowsAboveOwners();
  return destroyed;
}

const std::vector<WindowHandle>& WindowTree::Siblings(WindowHandle handle) const {
  static const std::vector<WindowHandle> kNone;
  const SimWindow* window = Find(handle);
  if (window == nullptr || handle == Desktop()) return kNone;
  return Find(window->parent != 0 ? window->parent : Desktop())->children;
}

WindowHandle WindowTree::Relative(WindowHandle handle, WindowRelation relation) const {
  const SimWindow* window = Find(handle);
  if (window == nullptr) return 0;
  if (relation == WindowRelation::FirstChild) {
    return window->children.empty() ? 0 : window->children.front();
  }
  const std::vector<WindowHandle>& siblings = Siblings(handle);
  const auto it = std::find(siblings.begin(), siblings.end(), handle);
  if (it == siblings.end()) return 0;
  if (relation == WindowRelation::Next) return (it + 1 == siblings.end()) ? 0 : *(it + 1);
  if (relation == WindowRelation::Previous) return it == siblings.begin() ? 0 : *(it - 1);
  return 0;
}

void WindowTree::BringToTop(WindowHandle handle) {
  SimWindow* window = Find(handle);
  if (window == nullptr || handle == Desktop()) return;
  Unlink(handle);
  if (window->parent == 0) {
    LinkTopLevel(handle, window->topmost ? 0 : TopmostCount());
  } else {
    std::vector<WindowHandle>& siblings = SiblingList(*window);
    siblings.insert(siblings.begin(), handle);
  }
  KeepImeWindowsAboveOwners();
}

void WindowTree::SendToBottom(WindowHandle handle) {
  SimWindow* window = Find(handle);
  if (window == nullptr || handle == Desktop()) return;
  Unlink(handle);
  if (window->parent == 0 && window->topmost) {
    LinkTopLevel(handle, TopmostCount());
  } else {
    SiblingList(*window).push_back(handle);
  }
  KeepImeWindowsAboveOwners();
}

void WindowTree::PlaceBelow(WindowHandle handle, WindowHandle sibling) {
  const SimWindow* other = Find(sibling);
  // Below a "Default IME" window means below its owner, which it never leaves.
  if (other != nullptr && other->imeOwner != 0) sibling = other->imeOwner;
  if (handle == sibling || !AreSiblings(handle, sibling)) return;
  SimWindow& window = *Find(handle);
  Unlink(handle);
  std::vector<WindowHandle>& siblings = SiblingList(window);
  if (window.parent == 0) window.topmost = Find(sibling)->topmost;
  const auto it = std::find(siblings.begin(), siblings.end(), sibling);
  siblings.insert(it + 1, handle);
  KeepImeWindowsAboveOwners();
}

void WindowTree::PlaceAbove(WindowHandle handle, WindowHandle sibling) {
  if (handle == sibling || !AreSiblings(handle, sibling)) return;
  SimWindow& window = *Find(handle);
  Unlink(handle);
  std::vector<WindowHandle>& siblings = SiblingList(window);
  if (window.parent == 0) window.topmost = Find(sibling)->topmost;
  siblings.insert(std::find(siblings.begin(), siblings.end(), sibling), handle);
  KeepImeWindowsAboveOwners();
}

void WindowTree::SetTopmost(WindowHandle handle, bool topmost) {
  SimWindow* window = Find(handle);
  if (window == nullptr || window->parent != 0 || handle == Desktop()) return;
  Unlink(handle);
  window->topmost = topmost;
  LinkTopLevel(handle, topmost ? 0 : TopmostCount());
  KeepImeWindowsAboveOwners();
}

void WindowTree::SetRect(WindowHandle handle, const Rect& rect) {
  SimWindow* window = Find(handle);
  if (window == nullptr) return;
  const std::int32_t dx = rect.left - window->rect.left;
  const std::int32_t dy = rect.top - window->rect.top;
  window->rect = rect;
  if (handle == Desktop() || (dx == 0 && dy == 0)) return;
  std::vector<WindowHandle> subtree;
  CollectSubtree(handle, subtree);
  for (const WindowHandle each : subtree) {
    if (each != handle) Offset(Find(each)->rect, dx, dy);
  }
}

bool WindowTree::IsVisibleWithAncestors(WindowHandle handle) const {
  for (const SimWindow* window = Find(handle); window != nullptr;
       window = window->parent != 0 ? Find(window->parent) : nullptr) {
    if (!window->visible) return false;
    if (window->parent == 0) return true;
  }
  return false;
}

bool WindowTree::AreSiblings(WindowHandle a, WindowHandle b) const {
  const SimWindow* first = Find(a);
  const SimWindow* second = Find(b);
  return first != nullptr && second != nullptr && a != Desktop() && b != Desktop() &&
         first->parent == second->parent;
}

std::vector<WindowHandle> WindowTree::TopLevelWindowsOf(ProcessId process) const {
  std::vector<WindowHandle> found;
  for (const auto& [handle, window] : windows_) {
    if (!window.destroyed && window.parent == 0 && handle != Desktop() &&
        window.process == process) {
      found.push_back(handle);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool WindowTree::HasWindowOnThread(ThreadId thread) const {
  const auto found = livingOnThread_.find(thread);
  return found != livingOnThread_.end() && found->second > 0;
}

std::size_t WindowTree::LivingCount() const {
  std::size_t living = 0;
  for (const auto& [thread, count] : livingOnThread_) living += count;
  return living;
}

std::vector<WindowHandle>& WindowTree::SiblingList(const SimWindow& window) {
  return Find(window.parent != 0 ? window.parent : Desktop())->children;
}

std::size_t WindowTree::TopmostCount() const {
  const std::vector<WindowHandle>& order = Find(Desktop())->children;
  return static_cast<std::size_t>(std::count_if(
      order.begin(), order.end(), [this](WindowHandle each) { return Find(each)->topmost; }));
}

void WindowTree::Unlink(WindowHandle handle) {
  std::vector<WindowHandle>& siblings = SiblingList(*Find(handle));
  siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
}

void WindowTree::LinkTopLevel(WindowHandle handle, std::size_t index) {
  std::vector<WindowHandle>& order = Find(Desktop())->children;
  order.insert(order.begin() + static_cast<std::ptrdiff_t>(std::min(index, order.size())), handle);
}

void WindowTree::CollectSubtree(WindowHandle handle, std::vector<WindowHandle>& out) const {
  out.push_back(handle);
  for (const WindowHandle child : Find(handle)->children) CollectSubtree(child, out);
}

void WindowTree::MarkDestroyed(WindowHandle handle) {
  SimWindow& window = windows_.at(handle);
  if (!window.destroyed) --livingOnThread_[window.thread];
  window.destroyed = true;
  window.children.clear();
  const auto named = names_.find(window.name);
  if (named != names_.end() && named->second == handle) names_.erase(named);
}

WindowHandle WindowTree::ImeWindowOfThread(ThreadId thread) const {
  for (const WindowHandle each : Find(Desktop())->children) {
    const SimWindow& window = *Find(each);
    if (window.imeOwner != 0 && window.thread == thread) return each;
  }
  return 0;
}

WindowHandle WindowTree::OldestOwnerCandidate(ThreadId thread) const {
  WindowHandle oldest = 0;
  for (const WindowHandle each : Find(Desktop())->children) {
    const SimWindow& window = *Find(each);
    if (window.imeOwner == 0 && window.thread == thread && (oldest == 0 || each < oldest)) {
      oldest = each;
    }
  }
  return oldest;
}

void WindowTree::AddImeWindowFor(const SimWindow& owner) {
  AddImeWindowFor(owner, owner.process, owner.thread);
}

void WindowTree::AddImeWindowFor(const SimWindow& owner, ProcessId process, ThreadId thread) {
  SimWindow ime;
  ime.name = "ime@" + std::to_string(thread);
  ime.className = "IME";
  ime.title = "Default IME";
  ime.process = process;
  ime.thread = thread;
  ime.visible = false;
  ime.topmost = owner.topmost;
  ime.imeOwner = owner.handle;
  const WindowHandle handle = Add(std::move(ime)).handle;
  LinkTopLevel(handle, 0);
}

WindowHandle WindowTree::TopLevelOf(WindowHandle handle) const {
  const SimWindow* window = Find(handle);
  while (window != nullptr && window->parent != 0) window = Find(window->parent);
  return window != nullptr ? window->handle : 0;
}

void WindowTree::RehomeImeWindows(std::vector<WindowHandle>& destroyed) {
  const std::vector<WindowHandle> order = Find(Desktop())->children;
  for (const WindowHandle each : order) {
    SimWindow& ime = *Find(each);
    if (ime.imeOwner == 0 || Find(ime.imeOwner) != nullptr) continue;
    ime.imeOwner = OldestOwnerCandidate(ime.thread);
    if (ime.imeOwner == 0) {
      // The thread's last top-level window is gone, and its input-method window with it.
      Unlink(each);
      MarkDestroyed(each);
      destroyed.push_back(each);
    }
  }
}

void WindowTree::KeepImeWindowsAboveOwners() {
  std::vector<WindowHandle>& order = Find(Desktop())->children;
  std::vector<WindowHandle> imeWindows;
  std::erase_if(order, [&](WindowHandle each) {
    if (Find(each)->imeOwner == 0) return false;
    imeWindows.push_back(each);
    return true;
  });
  for (const WindowHandle each : imeWindows) {
    SimWindow& ime = *Find(each);
    const SimWindow& owner = *Find(ime.imeOwner);
    ime.topmost = owner.topmost;
    order.insert(std::find(order.begin(), order.end(), owner.handle), each);
  }
}

}  // namespace sevalune::sim
