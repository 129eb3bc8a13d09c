// The five commands of the real sevalune.exe's tray menu, each chosen by its position with
// the keyboard (Down as often as the position, then Enter), which also shows the order of
// the items: About, WindowClass, Enabled(toggle), Quit and Help.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <ostream>
#include <string>
#include <vector>

#include "TrayFixture.h"
#include "backend/win32/ScopedWin.h"
#include "harness/CaseName.h"
#include "harness/Desktop.h"
#include "harness/MarkerExpectations.h"
#include "harness/UserInput.h"

namespace sevalune::e2e {
namespace {

constexpr Milliseconds kOneCycle = 1200ms;
constexpr Milliseconds kSettleAfterClosing = 2000ms;
constexpr const wchar_t* kAboutTitle = L"バージョン情報";
constexpr const wchar_t* kClassBoxTitle = L"アクティブウィンドウのクラス名情報";

// A click on the box's button, where it shows on the screen.
void ClickButton(HWND box, int id) {
  const HWND button = ::GetDlgItem(box, id);
  ASSERT_NE(button, nullptr) << "the box has no button " << id;
  const HeldLeftButton click(CentreOf(button));
}

void ExpectBoxCloses(HWND box) {
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, kTickTimeout))
      << "the box is still open";
}

// The box's static controls that hold text (a message box has one more for its icon).
std::vector<std::wstring> StaticTextsOf(HWND box) {
  std::vector<std::wstring> texts;
  for (HWND label : ChildrenOfClass(box, L"Static")) {
    std::wstring text = TextOf(label);
    if (!text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

// Which window Wine activates once the box has gone (for the log; nothing depends on it).
void PrintForegroundAfterClosing(HWND box) {
  WaitUntil(
      [&] {
        const HWND foreground = ::GetForegroundWindow();
        return foreground != box && foreground != nullptr;
      },
      kSettleAfterClosing);
  std::cout << "[ tray     ] foreground after the box closed: "
            << DescribeWindow(::GetForegroundWindow()) << "\n";
}

// --- About ---------------------------------------------------------------------------------

struct AboutCase {
  const char* name;
  const wchar_t* arguments;
  const wchar_t* text;
  friend void PrintTo(const AboutCase& c, std::ostream* out) { *out << c.name; }
};

class AboutCommand : public TrayTest, public ::testing::WithParamInterface<AboutCase> {};

TEST_P(AboutCommand, ShowsTheVersionAndTheMethodUntilOkThenTrackingGoesOn) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad(GetParam().arguments));
  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
  ChooseByPosition(MenuItem::About);
  const std::optional<HWND> box = WaitForBox(kAboutTitle);
  ASSERT_TRUE(box.has_value()) << "no box titled バージョン情報 showed";
  EXPECT_TRUE(PopupMenusOfThread(programThread()).empty()) << "the menu is still open";

  EXPECT_EQ(StaticTextsOf(*box), std::vector<std::wstring>{GetParam().text});
  // Style 0: an OK button only and no icon.
  EXPECT_EQ(ButtonIdsOf(*box), std::vector<int>{IDOK});
  EXPECT_FALSE(ShowsAnIcon(*box));
  ASSERT_NO_FATAL_FAILURE(ExpectSuspendedAndFurtherClicksIgnored(0));
  EXPECT_EQ(FindBox(sevalune().id(), kAboutTitle), box) << "the box was replaced";

  ASSERT_NO_FATAL_FAILURE(ClickButton(*box, IDOK));
  ExpectBoxCloses(*box);
  PrintForegroundAfterClosing(*box);
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerUnderNotepadCaret();
}

INSTANTIATE_TEST_SUITE_P(
    E2e, AboutCommand,
    ::testing::Values(AboutCase{"NewMethod", L"",
                                L"Sevalune Version 1.01\rCopyright (C) 2026 The Sevalune "
                                L"developers\r（新方式にて動作中）"},
                      AboutCase{"OldMethod", L"--old-method",
                                L"Sevalune Version 1.01\rCopyright (C) 2026 The Sevalune "
                                L"developers\r（旧方式にて動作中）"}),
    CaseName{});

// --- WindowClass -------------------------------------------------------------------------

struct CloseCase {
  const char* name;
  int button;
  friend void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }
};

class WindowClassCommand : public TrayTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(WindowClassCommand, ShowsTheClassOfTheLastWindowInUseSelected) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
  ChooseByPosition(MenuItem::WindowClass);
  const std::optional<HWND> box = WaitForBox(kClassBoxTitle);
  ASSERT_TRUE(box.has_value()) << "no box titled アクティブウィンドウのクラス名情報 showed";

  EXPECT_EQ(StaticTextsOf(*box), std::vector<std::wstring>{L"ClassName="});
  const std::vector<HWND> edits = ChildrenOfClass(*box, L"Edit");
  ASSERT_EQ(edits.size(), 1u);
  EXPECT_EQ(TextOf(edits[0]), L"Notepad");
  // Selected, with the focus in it: ready to be copied.
  EXPECT_EQ(EditSelection(edits[0]), (std::pair<int, int>{0, 7}));
  const std::optional<ThreadCaret> thread = CaretOfThreadOf(*box);
  ASSERT_TRUE(thread.has_value());
  EXPECT_EQ(thread->focus, edits[0]) << "focus: " << DescribeWindow(thread->focus);
  EXPECT_EQ(ButtonIdsOf(*box), (std::vector<int>{IDOK, IDCANCEL}));
  ASSERT_NO_FATAL_FAILURE(ExpectSuspendedAndFurtherClicksIgnored(0));

  ASSERT_NO_FATAL_FAILURE(ClickButton(*box, GetParam().button));
  ExpectBoxCloses(*box);
  PrintForegroundAfterClosing(*box);
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerUnderNotepadCaret();
}

INSTANTIATE_TEST_SUITE_P(E2e, WindowClassCommand,
                         ::testing::Values(CloseCase{"Cancel", IDCANCEL}, CloseCase{"Ok", IDOK}),
                         CaseName{});

// --- Enabled(toggle) -------------------------------------------------------------------------

using EnabledCommand = TrayTest;

TEST_F(EnabledCommand, SwitchesTrackingOffAndOnWithTheIconAndTheCheckMark) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> icon = WaitForProgramIcon();
  const IconPictures pictures = ExpectedIconPictures();

  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
  ChooseByPosition(MenuItem::Enabled);
  ASSERT_TRUE(WaitUntilNoMenu());
  if (icon) {
    EXPECT_TRUE(IconShows(*icon, pictures.disabled))
        << DescribeDifference(ScreenPicture(WindowRectOf(*icon)), pictures.disabled);
    EXPECT_EQ(TipOf(*icon), L"sevalune") << "the tip changed with the picture";
  }
  // Notepad has the foreground and a caret, and typing goes on: the marker stays away.
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L" off"));
  ASSERT_TRUE(CaretMarkerRectFor(notepad()).has_value()) << "notepad shows no caret";
  ExpectMarkerHiddenFor(marker(), kOneCycle);

  const std::optional<HWND> menu = OpenMenu();
  ASSERT_TRUE(menu.has_value()) << "no menu opened";
  const RECT place = WindowRectOf(*menu);
  const std::optional<Picture> shown = SteadyScreenPicture(*menu, kTickTimeout);
  ChooseByPosition(MenuItem::Enabled);
  ASSERT_TRUE(WaitUntilNoMenu());
  const std::optional<Picture> unchecked =
      ReferenceMenuPicture(ExpectedMenuLook(false), POINT{place.left, place.top}, kTickTimeout);
  ASSERT_TRUE(shown.has_value() && unchecked.has_value());
  EXPECT_EQ(*shown, *unchecked) << "not the menu without the check mark: "
                                << DescribeDifference(*shown, *unchecked);

  if (icon) {
    EXPECT_TRUE(IconShows(*icon, pictures.enabled))
        << DescribeDifference(ScreenPicture(WindowRectOf(*icon)), pictures.enabled);
  }
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerUnderNotepadCaret();
}

// --- Quit ------------------------------------------------------------------------------------

struct QuitCase {
  const char* name;
  bool trackingOff;
  friend void PrintTo(const QuitCase& c, std::ostream* out) { *out << c.name; }
};

class QuitCommand : public TrayTest, public ::testing::WithParamInterface<QuitCase> {};

// Wine also drops the icons of a window that is destroyed, so the icon's absence shows
// that none is left behind, not which of the two removed it.
TEST_P(QuitCommand, EndsTheProgramWithNothingLeftBehind) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  const std::optional<HWND> icon = WaitForProgramIcon();
  if (GetParam().trackingOff) {
    ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
    ChooseByPosition(MenuItem::Enabled);
    ASSERT_TRUE(WaitUntilNoMenu());
    if (icon) {
      ASSERT_TRUE(IconShows(*icon, ExpectedIconPictures().disabled));
    }
  }

  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
  ChooseByPosition(MenuItem::Quit);
  const std::optional<DWORD> exitCode = sevalune().WaitForExit(kStartTimeout);
  ASSERT_TRUE(exitCode.has_value()) << "the program still runs";
  EXPECT_EQ(*exitCode, 0u);
  EXPECT_TRUE(TopLevelWindowsOfClass(L"SevaluneMarker").empty()) << "a marker window is left";
  if (icon) {
    EXPECT_TRUE(WaitUntil([&] { return ProgramIcons().empty(); }, kTickTimeout))
        << "an icon is left in the notification area";
  }
}

INSTANTIATE_TEST_SUITE_P(E2e, QuitCommand,
                         ::testing::Values(QuitCase{"TrackingOn", false},
                                           QuitCase{"TrackingOff", true}),
                         CaseName{});

// --- Help --------------------------------------------------------------------------------------

// The processes that a program starts: it is put into a job, which counts every process
// that joins it (children join their parent's job) and ends them all with the test.
class ProcessFamily {
 public:
  explicit ProcessFamily(HANDLE process) : job_(::CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                              sizeof limits);
    joined_ = job_ && ::AssignProcessToJobObject(job_.get(), process) != FALSE;
  }

  bool joined() const { return joined_; }
  // The program itself and every process started from it since it joined.
  DWORD EverStarted() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    ::QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &accounting,
                                sizeof accounting, nullptr);
    return accounting.TotalProcesses;
  }

 private:
  win32::ScopedKernelHandle job_;
  bool joined_ = false;
};

struct HelpCase {
  const char* name;
  bool pageBeside;
  friend void PrintTo(const HelpCase& c, std::ostream* out) { *out << c.name; }
};

class HelpCommand : public TrayTest, public ::testing::WithParamInterface<HelpCase> {};

// The program hands sevalune.htm in its own folder to the shell, which starts whatever
// opens such pages (under Wine winebrowser.exe, which needs no browser to start). With no
// page there, nothing is started; either way the program shows nothing and goes on.
TEST_P(HelpCommand, HandsThePageToTheShellAndGoesOn) {
  ASSERT_NO_FATAL_FAILURE(StartBesideNotepad());
  if (GetParam().pageBeside) {
    std::ofstream page(sevaluneCopy().parent_path() / L"sevalune.htm", std::ios::binary);
    page << "<html><body>help</body></html>\n";
  }
  const ProcessFamily family(sevalune().handle());

  ASSERT_TRUE(OpenMenu().has_value()) << "no menu opened";
  ChooseByPosition(MenuItem::Help);
  ASSERT_TRUE(WaitUntilNoMenu());
  // Tracking again: the menu step, and the shell call inside it, are over.
  ASSERT_NO_FATAL_FAILURE(BringNotepadBack());
  ExpectMarkerUnderNotepadCaret();
  EXPECT_TRUE(sevalune().IsRunning());
  const std::optional<HWND> box = ProgramBox();
  EXPECT_FALSE(box.has_value()) << "the program shows a box: "
                                << DescribeWindow(box.value_or(nullptr));

  if (!family.joined()) {
    std::cout << "[ tray     ] the program could not be put into a job: launches not counted\n";
    return;
  }
  const DWORD started = family.EverStarted() - 1;
  std::cout << "[ tray     ] processes started by Help: " << started << "\n";
  // Only Wine is known to open the page with a program started as a child.
  if (!RunningUnderWine()) return;
  if (GetParam().pageBeside) {
    EXPECT_GE(started, 1u) << "nothing was started to open the page";
  } else {
    EXPECT_EQ(started, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(E2e, HelpCommand,
                         ::testing::Values(HelpCase{"PageBeside", true}, HelpCase{"NoPage", false}),
                         CaseName{});

}  // namespace
}  // namespace sevalune::e2e
