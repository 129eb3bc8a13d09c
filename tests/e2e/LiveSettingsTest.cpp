// Settings that apply at once, in the real sevalune.exe: a valid change of sevalune.ini
// shows on the screen without a restart; a change that cannot be used leaves the marker as
// it was and names the key in a balloon.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "harness/DesktopTest.h"
#include "harness/MarkerExpectations.h"
#include "harness/MarkerWatch.h"
#include "harness/TrayArea.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {
namespace {

// What GetPixel answers for the colour groups FF8000 and 00FF00.
constexpr COLORREF kAzure = RGB(0x00, 0x80, 0xFF);
constexpr COLORREF kGreen = RGB(0x00, 0xFF, 0x00);
constexpr const char* kAzureFile = "[Sevalune]\r\nIro=FF8000,0000FF,FF8000,0000FF,00FFFF\r\n";
// Long enough for the settle time and a few ticks.
constexpr Milliseconds kAfterRefusal = 1500ms;

using LiveSettings = DesktopTest;

TEST_F(LiveSettings, AValidChangeShowsWithoutARestart) {
  HWND notepad = nullptr;
  HWND marker = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartTrackingNotepad(std::nullopt, L"live", notepad, marker));
  const DWORD process = sevalune().id();

  RewriteSettingsFile(
      "[Sevalune]\r\nIro=00FF00,0000FF,FF8000,0000FF,00FFFF\r\n"
      "Saizu=20,4,18,8,5,3\r\n");
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, CaretMarkerRectFor(notepad, 20, 4), kGreen));
  EXPECT_TRUE(sevalune().IsRunning());
  EXPECT_EQ(ProcessOf(marker), process) << "the same program, not a new one";
  EXPECT_EQ(::GetForegroundWindow(), notepad);
}

TEST_F(LiveSettings, AChangeThatCannotBeUsedKeepsTheMarkerAndNamesTheKey) {
  const HWND notepad = StartNotepad();
  ASSERT_NE(notepad, nullptr);
  const HWND marker = StartSevalune(std::string(kAzureFile));
  ASSERT_NE(marker, nullptr);
  ASSERT_NO_FATAL_FAILURE(TypeIntoNotepad(L"kept"));
  const std::optional<RECT> place = CaretMarkerRectFor(notepad);
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, place, kAzure));

  RewriteSettingsFile("[Sevalune]\r\nIro=00FF00,0000FF,00FF00,0000FF,00FFFF\r\nSaizu=1,2,3,4\r\n");
  const std::wstring expected =
      L"The value of Saizu in sevalune.ini cannot be used (5 invalid argument). Sevalune "
      L"keeps its settings until the file is corrected.";
  if (RunningUnderWine()) {
    const bool named = WaitUntil(
        [&] {
          const std::vector<std::wstring> texts = ShownBalloonTexts();
          return std::find(texts.begin(), texts.end(), expected) != texts.end();
        },
        kTickTimeout);
    EXPECT_TRUE(named) << "no balloon names Saizu";
  }
  // Refused: over a few ticks the marker is only ever the azure 10 x 9 block on the caret.
  const BlinkSummary seen = SummariseBlinking(RecordMarker(marker, kAfterRefusal));
  ASSERT_FALSE(seen.shownRects.empty()) << seen.Describe();
  for (const RECT& rect : seen.shownRects) {
    EXPECT_TRUE(SameRect(rect, *place)) << seen.Describe();
  }
  ASSERT_NO_FATAL_FAILURE(ExpectMarkerShows(marker, place, kAzure));
  EXPECT_TRUE(sevalune().IsRunning());
}

}  // namespace
}  // namespace sevalune::e2e
