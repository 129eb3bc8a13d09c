// Settings that apply at once: the settings file's folder is watched, and a changed file
// is read again. A reading that can be used applies at the next tick as a whole (every key,
// whatever keys the settings hold); one that cannot keeps the settings in force and names
// the key once in a balloon. Start-up's own reading and its failure box are not this.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

#include "app/FinderHotkey.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tray/TrayIcon.h"

namespace sevalune {

// An editor writes a file in several steps; the folder must be quiet this long before the
// file is read.
inline constexpr std::uint32_t kSettingsSettleMs = 250;

struct BalloonText;

using SettingsReading = std::variant<Settings, SettingsFailure>;

class SettingsReload {
 public:
  SettingsReload(Platform& platform, Settings& settings, TrayIcon& icon, FinderHotkey& hotkey);
  SettingsReload(const SettingsReload&) = delete;
  SettingsReload& operator=(const SettingsReload&) = delete;

  // Start-up: watches the file's folder (a folder that cannot be watched is left alone);
  // the settings start-up read are the reading a change is compared with.
  void Watch();
  // The folder changed and has settled: reads the file twice. Two readings that differ
  // mean it is being written still; that write is noticed again, and this one is left.
  // A reading equal to the last one (another file in the folder changed) changes nothing.
  void OnFileChanged();
  // At the start of a tick: the reading waiting to be applied replaces the settings in
  // force, with the tick period and the hotkey (registered again when it changed, or when
  // it could not be registered before).
  void ApplyPending();
  // The settings window wrote the file: its reading waits for the next tick as a saved
  // file's does, and becomes the last reading, so that the watch, which notices the same
  // write, finds nothing new (no second apply, no balloon).
  void AdoptOwnWrite();

  bool watching() const { return watching_; }
  bool pending() const { return pending_.has_value(); }

 private:
  void Refuse(const BalloonText& balloon);

  Platform& platform_;
  Settings& settings_;
  TrayIcon& icon_;
  FinderHotkey& hotkey_;
  bool watching_ = false;
  std::optional<SettingsReading> lastReading_;
  std::optional<Settings> pending_;
};

}  // namespace sevalune
