#include "tests/contract/ContractTest.h"

#include <algorithm>

namespace sevalune::contract {
namespace {

// Far more windows than any desktop here has; stops a walk that loops.
constexpr int kLongestWalk = 100000;

}  // namespace

const char* NameOf(Flavor flavor) {
  switch (flavor) {
    case Flavor::Simulator:
      return "the simulated desktop";
    case Flavor::Wine:
      return "Wine";
    case Flavor::Windows:
      return "Windows";
  }
  return "?";
}

ContractTest::ContractTest() : driver_(MakeDriver()), platform(driver_->Program()) {}

WindowHandle ContractTest::TopLevel(const std::string& title, Rect rect, bool visible,
                                    bool topmost) {
  WindowRequest wanted;
  wanted.title = title;
  wanted.rect = rect;
  wanted.visible = visible;
  wanted.topmost = topmost;
  return driver_->AddWindow(wanted);
}

WindowHandle ContractTest::Window(const std::string& title, Rect rect) {
  return TopLevel(title, rect, true, false);
}

WindowHandle ContractTest::HiddenWindow(const std::string& title, Rect rect) {
  return TopLevel(title, rect, false, false);
}

WindowHandle ContractTest::TopmostWindow(const std::string& title, Rect rect) {
  return TopLevel(title, rect, true, true);
}

WindowHandle ContractTest::Child(WindowHandle parent, Rect rect) {
  ChildRequest wanted;
  wanted.parent = parent;
  wanted.rect = rect;
  return driver_->AddChild(wanted);
}

std::vector<WindowHandle> ContractTest::TopLevelWalk() {
  std::vector<WindowHandle> walk;
  WindowHandle window = platform.GetWindow(platform.GetDesktopWindow(), WindowRelation::FirstChild);
  for (int i = 0; window != 0 && i < kLongestWalk; ++i) {
    walk.push_back(window);
    window = platform.GetWindow(window, WindowRelation::Next);
  }
  return walk;
}

std::vector<WindowHandle> ContractTest::ZOrderOf(const std::vector<WindowHandle>& windows) {
  std::vector<WindowHandle> order;
  for (const WindowHandle window : TopLevelWalk()) {
    if (std::find(windows.begin(), windows.end(), window) != windows.end()) {
      order.push_back(window);
    }
  }
  return order;
}

std::vector<WindowHandle> ContractTest::ChildWalk(WindowHandle parent) {
  std::vector<WindowHandle> walk;
  WindowHandle window = platform.GetWindow(parent, WindowRelation::FirstChild);
  for (int i = 0; window != 0 && i < kLongestWalk; ++i) {
    walk.push_back(window);
    window = platform.GetWindow(window, WindowRelation::Next);
  }
  return walk;
}

WindowHandle ContractTest::ImeWindowOf(ThreadId thread) {
  for (const WindowHandle window : TopLevelWalk()) {
    if (platform.GetClassName(window, 100) == "IME" &&
        platform.GetWindowThreadProcessId(window).thread == thread) {
      return window;
    }
  }
  return 0;
}

bool ContractTest::WalkMeets(WindowHandle from, WindowRelation relation, WindowHandle wanted) {
  WindowHandle window = platform.GetWindow(from, relation);
  for (int i = 0; window != 0 && i < kLongestWalk; ++i) {
    if (window == wanted) return true;
    window = platform.GetWindow(window, relation);
  }
  return false;
}

}  // namespace sevalune::contract
