// The finder's hot key: registered from "Hottoki" at start-up and again when a changed
// settings file changes it. A value that cannot be used or a combination another program
// holds leaves the program running without a hotkey and says so once in a balloon.
#pragma once

#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tray/TrayIcon.h"

namespace sevalune {

inline constexpr int kFinderHotkeyId = 1;

struct BalloonText;

class FinderHotkey {
 public:
  FinderHotkey(Platform& platform, TrayIcon& icon);
  FinderHotkey(const FinderHotkey&) = delete;
  FinderHotkey& operator=(const FinderHotkey&) = delete;

  // Gives up the combination registered now, if any, and registers the settings' hotkey;
  // a balloon speaks the language of these settings.
  void Register(const Settings& settings);

  bool registered() const { return registered_; }

 private:
  void Tell(const BalloonText& balloon);

  Platform& platform_;
  TrayIcon& icon_;
  bool registered_ = false;
};

}  // namespace sevalune
