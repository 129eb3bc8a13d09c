// The fixture of the end-to-end tests: starts the programs a test needs (notepad, the
// small target program, sevalune.exe in a folder of its own) and ends all of them when
// the test is over, whether it passed or not.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "backend/win32/WindowsHeaders.h"
#include "harness/ChildProcess.h"
#include "harness/ProgramFolder.h"

namespace sevalune::e2e {

// Where notepad is moved to, away from the screen's corner, so that every position
// measured on it goes through a real conversion to screen coordinates.
inline constexpr POINT kNotepadOrigin{100, 80};

// A program the tests start: from the environment variable when it is set, else where the
// build puts it relative to this test program.
std::filesystem::path ProgramFromEnvironmentOr(const wchar_t* variable,
                                               const std::filesystem::path& besideThisProgram);

// The programs under test: from SEVALUNE_E2E_EXE and SEVALUNE_E2E_TARGET when set.
std::filesystem::path SevaluneExecutable();
std::filesystem::path TargetExecutable();

// Sets an environment variable of this process (and so of the programs it starts) for
// the object's lifetime.
class ScopedEnvironmentVariable {
 public:
  ScopedEnvironmentVariable(std::wstring name, const std::wstring& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> previous_;
};

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts notepad, waits until its frame is shown and holds the foreground, and moves it
  // to kNotepadOrigin. Returns the frame; notepadEdit() is its text area.
  HWND StartNotepad();
  HWND notepadEdit() const { return notepadEdit_; }
  // Types into the foreground window and waits until notepad's text ends with `text`.
  void TypeIntoNotepad(std::wstring_view text);

  // Starts the target program (tools/target_app.cpp) and waits until its frame, of the
  // given class, holds the foreground and its control the focus. Returns the frame.
  HWND StartTarget(const std::wstring& arguments,
                   std::wstring_view frameClass = L"SevaluneE2eTarget");

  // Puts sevalune.exe and the settings file (none when nullopt) into a fresh folder and
  // starts it there, without waiting for anything.
  ChildProcess& LaunchSevalune(const std::optional<std::string>& settingsFile,
                               const std::wstring& arguments = L"");
  // Launches it and waits until its marker window is visible and its start-up is over.
  // Returns the marker window.
  HWND StartSevalune(const std::optional<std::string>& settingsFile,
                     const std::wstring& arguments = L"");
  ChildProcess& sevalune() { return *sevalune_; }
  // Starts notepad and sevalune.exe, types `text` into notepad and waits until the marker
  // shows at its caret in the default colour; a fatal failure when a step does not come.
  void StartTrackingNotepad(const std::optional<std::string>& settingsFile, std::wstring_view text,
                            HWND& notepad, HWND& marker);
  // The settings file beside the running sevalune.exe, written anew.
  void RewriteSettingsFile(const std::string& bytes) { folder_->WriteSettingsFile(bytes); }
  const std::filesystem::path& sevaluneCopy() const { return folder_->executable(); }

 private:
  // Declared first, destroyed last: the folder outlives the program that runs from it.
  std::optional<ProgramFolder> folder_;
  std::optional<ChildProcess> notepad_;
  std::optional<ChildProcess> target_;
  std::optional<ChildProcess> sevalune_;
  HWND notepadEdit_ = nullptr;
};

}  // namespace sevalune::e2e
