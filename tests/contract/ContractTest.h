// The fixture of every contract test: a fresh desktop driver and the program's Platform
// on it, plus the few walks over the window tree that many tests share.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/contract/DesktopDriver.h"

namespace sevalune::contract {

class ContractTest : public ::testing::Test {
 protected:
  ContractTest();

  DesktopDriver& Driver() { return *driver_; }
  Flavor Answerer() const { return driver_->Answerer(); }
  bool OnWine() const { return Answerer() == Flavor::Wine; }
  ThreadId MainThread() { return driver_->ThreadOf(GuiThread::Main); }
  ThreadId SecondThread() { return driver_->ThreadOf(GuiThread::Second); }

  // A visible top-level window of the main thread at the rectangle.
  WindowHandle Window(const std::string& title, Rect rect = Rect{100, 100, 300, 200});
  // The same, not shown.
  WindowHandle HiddenWindow(const std::string& title, Rect rect = Rect{70, 70, 170, 170});
  // The same, in the topmost band.
  WindowHandle TopmostWindow(const std::string& title, Rect rect = Rect{50, 50, 150, 150});
  WindowHandle Child(WindowHandle parent, Rect rect = Rect{10, 20, 110, 60});

  // The top-level windows as GetWindow walks them from the top of the z-order.
  std::vector<WindowHandle> TopLevelWalk();
  // The given windows in the order the walk meets them.
  std::vector<WindowHandle> ZOrderOf(const std::vector<WindowHandle>& windows);
  std::vector<WindowHandle> ChildWalk(WindowHandle parent);
  // The hidden "Default IME" window of a thread, 0 when it has none.
  WindowHandle ImeWindowOf(ThreadId thread);
  // Whether a walk with GetWindow(relation) from `from` meets `wanted`.
  bool WalkMeets(WindowHandle from, WindowRelation relation, WindowHandle wanted);

 private:
  WindowHandle TopLevel(const std::string& title, Rect rect, bool visible, bool topmost);

  std::unique_ptr<DesktopDriver> driver_;

 protected:
  Platform& platform;
};

// Text for messages: which desktop answered.
const char* NameOf(Flavor flavor);

}  // namespace sevalune::contract
