// The caret helper read from another process, as a tracker reads a caret that a browser
// engine draws itself: no system caret, an OBJID_CARET object at the drawn caret that
// follows typing and commands, the focused field through OBJID_CLIENT, WinEvents for the
// focus and each move, and accessibility calls that wait while the helper's thread hangs
// (so a tracker must never make them on its GUI thread).
#include <gtest/gtest.h>

#include "backend/win32/WindowsHeaders.h"
// Needs the declarations of <windows.h>.
#include <oleacc.h>
#include <wrl/client.h>

#include <chrono>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CaretHelper.h"
#include "backend/win32/ScopedWin.h"
#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/UserInput.h"
#include "harness/Waiting.h"
#include "tests/win32/AccessibleObject.h"

namespace sevalune::e2e {
namespace {

using Microsoft::WRL::ComPtr;
using Clock = std::chrono::steady_clock;

// Long enough to see a call wait, short enough for a quick test.
constexpr Milliseconds kHang = 4000ms;
constexpr Milliseconds kStillWaiting = 1500ms;
// Events of the helper's start-up that may still be on their way.
constexpr Milliseconds kSettle = 500ms;
constexpr POINT kMovedCaretClient{120, 150};

double MillisecondsBetween(Clock::time_point start, Clock::time_point end) {
  return std::chrono::duration<double, std::milli>(end - start).count();
}

using win32::ScopedComApartment;

RECT CaretAt(POINT client) {
  return RECT{client.x, client.y, client.x + caret_app::kCaretWidth,
              client.y + caret_app::kCaretHeight};
}

RECT ClientAreaOnScreen(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
  if (::EqualRect(&actual, &expected) != FALSE) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Describe(actual) << " instead of " << Describe(expected);
}

// ---- reading Active Accessibility -----------------------------------------------------

HRESULT ObjectFromWindow(HWND window, LONG objectId, ComPtr<IAccessible>& object) {
  return ::AccessibleObjectFromWindow(window, static_cast<DWORD>(objectId), IID_IAccessible,
                                      reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
}

ComPtr<IAccessible> AccessibleOf(HWND window, LONG objectId) {
  ComPtr<IAccessible> object;
  const HRESULT result = ObjectFromWindow(window, objectId, object);
  EXPECT_EQ(result, S_OK) << "AccessibleObjectFromWindow(" << objectId << ")";
  return object;
}

// An element as a reader addresses it: an object and a child id of it.
struct Element {
  ComPtr<IAccessible> object;
  LONG child = CHILDID_SELF;
};

struct Location {
  HRESULT result = E_FAIL;
  RECT screen{};
};

Location LocationOf(const Element& element) {
  LONG left = 0;
  LONG top = 0;
  LONG width = 0;
  LONG height = 0;
  Location location;
  location.result = element.object->accLocation(&left, &top, &width, &height,
                                                testing::LongVariant(element.child));
  location.screen = RECT{left, top, left + width, top + height};
  return location;
}

// The role or state as a number; -1 when the answer is none.
template <typename Getter>
LONG NumberOf(const Element& element, Getter getter) {
  VARIANT answer;
  ::VariantInit(&answer);
  const HRESULT result =
      (element.object.Get()->*getter)(testing::LongVariant(element.child), &answer);
  const LONG number = SUCCEEDED(result) && answer.vt == VT_I4 ? answer.lVal : -1;
  ::VariantClear(&answer);
  return number;
}
LONG RoleOf(const Element& element) { return NumberOf(element, &IAccessible::get_accRole); }
LONG StateOf(const Element& element) { return NumberOf(element, &IAccessible::get_accState); }

// What get_accFocus names, resolved as a reader in another process must: a child id of the
// object asked, or an object of its own (which COM has marshalled into this process).
struct Focus {
  HRESULT result = E_FAIL;
  VARTYPE kind = VT_EMPTY;
  std::optional<Element> element;
};

Focus FocusOf(const ComPtr<IAccessible>& object) {
  VARIANT answer;
  ::VariantInit(&answer);
  Focus focus;
  focus.result = object->get_accFocus(&answer);
  focus.kind = answer.vt;
  if (answer.vt == VT_I4) focus.element = Element{object, answer.lVal};
  if (answer.vt == VT_DISPATCH && answer.pdispVal != nullptr) {
    ComPtr<IAccessible> own;
    if (SUCCEEDED(answer.pdispVal->QueryInterface(IID_IAccessible,
                                                  reinterpret_cast<void**>(own.GetAddressOf())))) {
      focus.element = Element{own, CHILDID_SELF};
    }
  }
  ::VariantClear(&answer);
  return focus;
}

// The caret object's location read on a thread of its own, in the multithreaded
// apartment, so that the test can watch a call that waits. The thread is detached: a call
// that never returns must not hold up the test.
struct TimedRead {
  HRESULT objectResult = E_FAIL;
  Clock::time_point objectReturned;
  Location location;
};

std::future<TimedRead> ReadCaretOnWorker(HWND frame) {
  auto promise = std::make_shared<std::promise<TimedRead>>();
  std::future<TimedRead> future = promise->get_future();
  std::thread([frame, promise] {
    const ScopedComApartment apartment(COINIT_MULTITHREADED);
    TimedRead read;
    {
      ComPtr<IAccessible> caret;
      read.objectResult = ObjectFromWindow(frame, OBJID_CARET, caret);
      read.objectReturned = Clock::now();
      if (SUCCEEDED(read.objectResult)) read.location = LocationOf(Element{caret, CHILDID_SELF});
    }
    promise->set_value(read);
  }).detach();
  return future;
}

// ---- WinEvents ------------------------------------------------------------------------

struct SeenEvent {
  DWORD event = 0;
  HWND window = nullptr;
  LONG object = 0;
  LONG child = 0;
  Clock::time_point at;
};

// The hook's callback has no context of its own; one hook at a time.
std::vector<SeenEvent> seenEvents;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                          DWORD) {
  seenEvents.push_back(SeenEvent{event, window, object, child, Clock::now()});
}

class ScopedWinEventHook {
 public:
  ScopedWinEventHook(DWORD first, DWORD last)
      : hook_(::SetWinEventHook(first, last, nullptr, &RecordEvent, 0, 0,
                                WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
    seenEvents.clear();
  }
  ~ScopedWinEventHook() {
    hook_.reset();
    seenEvents.clear();
  }
  ScopedWinEventHook(const ScopedWinEventHook&) = delete;
  ScopedWinEventHook& operator=(const ScopedWinEventHook&) = delete;
  bool installed() const { return static_cast<bool>(hook_); }

 private:
  win32::ScopedHandle<HWINEVENTHOOK, &::UnhookWinEvent> hook_;
};

// Out-of-context events reach this thread as messages: it has to read them.
void PumpMessagesFor(Milliseconds duration) {
  const auto end = Clock::now() + duration;
  for (auto now = Clock::now(); now < end; now = Clock::now()) {
    const auto left = std::chrono::duration_cast<Milliseconds>(end - now);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

std::optional<SeenEvent> PumpUntilSeen(DWORD event, HWND window, LONG object, LONG child) {
  std::optional<SeenEvent> found;
  const auto deadline = Clock::now() + kTickTimeout;
  while (!found && Clock::now() < deadline) {
    PumpMessagesFor(kPollInterval);
    for (const SeenEvent& seen : seenEvents) {
      if (seen.event == event && seen.window == window && seen.object == object &&
          seen.child == child) {
        found = seen;
      }
    }
  }
  return found;
}

std::string DescribeSeenEvents() {
  std::ostringstream text;
  text << seenEvents.size() << " events:";
  for (const SeenEvent& seen : seenEvents) {
    text << " 0x" << std::hex << seen.event << std::dec << "(" << seen.object << "," << seen.child
         << ")";
  }
  return text.str();
}

// ---- the fixture ----------------------------------------------------------------------

class CaretAppTest : public DesktopTest {
 protected:
  void TearDown() override {
    app_.reset();
    DesktopTest::TearDown();
  }

  CaretApp& StartCaretApp(const std::wstring& arguments = L"") {
    app_.emplace(arguments);
    EXPECT_NE(app_->frame(), nullptr)
        << "the caret helper did not come up with the foreground and the focus; foreground: "
        << DescribeWindow(::GetForegroundWindow());
    return *app_;
  }

 private:
  // This thread reads the helper's objects, as a tracker's worker thread would.
  ScopedComApartment apartment_{COINIT_APARTMENTTHREADED};
  std::optional<CaretApp> app_;
};

TEST_F(CaretAppTest, NoSystemCaretButACaretObjectWhereTheCaretIsDrawn) {
  CaretApp& app = StartCaretApp();
  ASSERT_NE(app.frame(), nullptr);
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(app.frame());
  ASSERT_TRUE(thread.has_value());
  EXPECT_EQ(thread->caretWindow, nullptr) << "the helper has a system caret";
  const RECT drawn = app.OnScreen(CaretAt(caret_app::kFirstCaretClient));
  ASSERT_TRUE(app.WaitUntilPublishedAt(drawn)) << "its title says otherwise";

  const auto asked = Clock::now();
  const Element caret{AccessibleOf(app.frame(), OBJID_CARET), CHILDID_SELF};
  ASSERT_TRUE(caret.object);
  const Location location = LocationOf(caret);
  std::cout << "[ caret    ] object and location read in "
            << MillisecondsBetween(asked, Clock::now()) << " ms\n";
  EXPECT_EQ(location.result, S_OK);
  EXPECT_TRUE(SameRect(location.screen, drawn));
  EXPECT_EQ(RoleOf(caret), ROLE_SYSTEM_CARET);
  EXPECT_EQ(StateOf(caret), 0) << "a visible caret has no state bits";
  EXPECT_EQ(LocationOf(Element{caret.object, 7}).result, E_INVALIDARG);
}

TEST_F(CaretAppTest, TypedCharacterMovesTheCaretObjectByTheAdvance) {
  CaretApp& app = StartCaretApp();
  ASSERT_NE(app.frame(), nullptr);
  // One proxy, kept: each call reads the caret as it is now.
  const Element caret{AccessibleOf(app.frame(), OBJID_CARET), CHILDID_SELF};
  ASSERT_TRUE(caret.object);
  const RECT before = LocationOf(caret).screen;

  TypeText(L"x");
  RECT after = before;
  ::OffsetRect(&after, caret_app::kAdvance, 0);
  ASSERT_TRUE(app.WaitUntilPublishedAt(after)) << "the typed key did not move the caret";
  EXPECT_TRUE(SameRect(LocationOf(caret).screen, after));
}

TEST_F(CaretAppTest, MovedCaretIsFollowedAndHiddenCaretHasNoLocation) {
  CaretApp& app = StartCaretApp();
  ASSERT_NE(app.frame(), nullptr);
  const Element caret{AccessibleOf(app.frame(), OBJID_CARET), CHILDID_SELF};
  ASSERT_TRUE(caret.object);

  app.Post(caret_app::kMoveCaret, kMovedCaretClient.x, kMovedCaretClient.y);
  const RECT moved = app.OnScreen(CaretAt(kMovedCaretClient));
  ASSERT_TRUE(app.WaitUntilPublishedAt(moved));
  EXPECT_TRUE(SameRect(LocationOf(caret).screen, moved));

  app.Post(caret_app::kHideCaret);
  ASSERT_TRUE(
      WaitUntil([&] { return !app.Published().value_or(caret_app::PublishedCaret{true}).shown; },
                kTickTimeout));
  EXPECT_EQ(LocationOf(caret).result, E_FAIL);
  EXPECT_EQ(StateOf(caret), STATE_SYSTEM_INVISIBLE);
  EXPECT_EQ(RoleOf(caret), ROLE_SYSTEM_CARET) << "the hidden caret's object still answers";

  app.Post(caret_app::kShowCaret);
  ASSERT_TRUE(app.WaitUntilPublishedAt(moved));
  EXPECT_TRUE(SameRect(LocationOf(caret).screen, moved));
}

struct FocusCase {
  const char* name;
  const wchar_t* arguments;
  VARTYPE kind;
  friend void PrintTo(const FocusCase& c, std::ostream* out) { *out << c.name; }
};

class FocusedField : public CaretAppTest, public ::testing::WithParamInterface<FocusCase> {};

TEST_P(FocusedField, ClientObjectNamesTheTextFieldAsItsFocus) {
  CaretApp& app = StartCaretApp(GetParam().arguments);
  ASSERT_NE(app.frame(), nullptr);
  const ComPtr<IAccessible> client = AccessibleOf(app.frame(), OBJID_CLIENT);
  ASSERT_TRUE(client);
  EXPECT_TRUE(
      SameRect(LocationOf(Element{client, CHILDID_SELF}).screen, ClientAreaOnScreen(app.frame())));
  EXPECT_EQ(RoleOf(Element{client, CHILDID_SELF}), ROLE_SYSTEM_CLIENT);

  const auto asked = Clock::now();
  const Focus focus = FocusOf(client);
  std::cout << "[ focus    ] get_accFocus answered 0x" << std::hex << focus.result << std::dec
            << " with a VARIANT of type " << focus.kind << " in "
            << MillisecondsBetween(asked, Clock::now()) << " ms\n";
  EXPECT_EQ(focus.result, S_OK);
  EXPECT_EQ(focus.kind, GetParam().kind);
  ASSERT_TRUE(focus.element.has_value()) << "no element named as the focus";
  const Location field = LocationOf(*focus.element);
  EXPECT_EQ(field.result, S_OK);
  EXPECT_TRUE(SameRect(field.screen, app.OnScreen(caret_app::kFieldClient)));
  EXPECT_EQ(RoleOf(*focus.element), ROLE_SYSTEM_TEXT);
  EXPECT_NE(StateOf(*focus.element) & STATE_SYSTEM_FOCUSED, 0);
}

INSTANTIATE_TEST_SUITE_P(E2e, FocusedField,
                         ::testing::Values(FocusCase{"ChildId", L"focus=child", VT_I4},
                                           FocusCase{"OwnObject", L"focus=object", VT_DISPATCH}),
                         CaseName{});

TEST_F(CaretAppTest, FocusAndCaretMovesReachAnOutOfContextHook) {
  const ScopedWinEventHook hook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_LOCATIONCHANGE);
  ASSERT_TRUE(hook.installed());
  CaretApp& app = StartCaretApp();
  ASSERT_NE(app.frame(), nullptr);
  EXPECT_TRUE(
      PumpUntilSeen(EVENT_OBJECT_FOCUS, app.frame(), OBJID_CLIENT, caret_app::kFieldChildId))
      << "no focus event for the field; " << DescribeSeenEvents();
  PumpMessagesFor(kSettle);
  seenEvents.clear();

  const auto posted = Clock::now();
  app.Post(caret_app::kMoveCaret, kMovedCaretClient.x, kMovedCaretClient.y);
  const std::optional<SeenEvent> seen =
      PumpUntilSeen(EVENT_OBJECT_LOCATIONCHANGE, app.frame(), OBJID_CARET, CHILDID_SELF);
  ASSERT_TRUE(seen.has_value()) << "no location change of the caret; " << DescribeSeenEvents();
  std::cout << "[ event    ] the caret's location change arrived "
            << MillisecondsBetween(posted, seen->at) << " ms after the command was posted\n";

  // The event's object, got as a hook's reader gets it, is the moved caret.
  ComPtr<IAccessible> object;
  VARIANT child;
  ::VariantInit(&child);
  ASSERT_EQ(
      ::AccessibleObjectFromEvent(seen->window, static_cast<DWORD>(seen->object),
                                  static_cast<DWORD>(seen->child), object.GetAddressOf(), &child),
      S_OK);
  ASSERT_EQ(child.vt, VT_I4);
  EXPECT_TRUE(SameRect(LocationOf(Element{object, child.lVal}).screen,
                       app.OnScreen(CaretAt(kMovedCaretClient))));
}

TEST_F(CaretAppTest, AccessibilityCallsWaitWhileTheHelperHangs) {
  CaretApp& app = StartCaretApp();
  ASSERT_NE(app.frame(), nullptr);
  const RECT drawn = app.OnScreen(CaretAt(caret_app::kFirstCaretClient));

  const auto posted = Clock::now();
  app.Post(caret_app::kHang, static_cast<WPARAM>(kHang.count()));
  ASSERT_TRUE(WaitUntil([&] { return !app.Answers(); }, kTickTimeout)) << "the helper never hung";
  // The title is kept by the system: it can be read while the helper hangs.
  const std::optional<caret_app::PublishedCaret> published = app.Published();
  ASSERT_TRUE(published.has_value());
  EXPECT_TRUE(SameRect(published->screen, drawn));
  const auto asked = Clock::now();
  std::future<TimedRead> reading = ReadCaretOnWorker(app.frame());
  EXPECT_EQ(reading.wait_for(kStillWaiting), std::future_status::timeout)
      << "AccessibleObjectFromWindow returned while the helper hung";
  ASSERT_EQ(reading.wait_for(kHang + kTickTimeout), std::future_status::ready)
      << "AccessibleObjectFromWindow still waits long after the hang";
  const TimedRead read = reading.get();
  const auto waited = MillisecondsBetween(posted, read.objectReturned);
  std::cout << "[ hang     ] " << kHang.count() << " ms hang; asked "
            << MillisecondsBetween(posted, asked) << " ms after posting it; the object came "
            << waited << " ms after posting it, 0x" << std::hex << read.objectResult << std::dec
            << "\n";
  EXPECT_GE(waited, static_cast<double>(kHang.count()))
      << "the call returned before the hang ended";
  EXPECT_EQ(read.objectResult, S_OK);
  EXPECT_TRUE(SameRect(read.location.screen, drawn));
}

}  // namespace
}  // namespace sevalune::e2e
