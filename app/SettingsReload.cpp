#include "app/SettingsReload.h"

#include "app/BalloonTexts.h"
#include "settings/LanguageInUse.h"

namespace sevalune {

SettingsReload::SettingsReload(Platform& platform, Settings& settings, TrayIcon& icon,
                               FinderHotkey& hotkey)
    : platform_(platform), settings_(settings), icon_(icon), hotkey_(hotkey) {}

void SettingsReload::Watch() {
  lastReading_ = settings_;
  watching_ = platform_.WatchSettingsFolder(SettingsFilePath(platform_.ExecutableDirectory()),
                                            kSettingsSettleMs);
}

void SettingsReload::OnFileChanged() {
  const SettingsReading first = ReadSettings(platform_);
  const SettingsReading second = ReadSettings(platform_);
  // Readings compare field by field (Settings' defaulted ==): a key added later counts too.
  if (first != second) return;
  if (lastReading_ == second) return;
  lastReading_ = second;

  if (const auto* failure = std::get_if<SettingsFailure>(&second)) {
    // The file could not be read as a whole: the balloon speaks the language it asks for.
    return Refuse(SettingsRefusedBalloon(*failure, LanguageOfSettingsFile(platform_)));
  }
  const Settings& read = std::get<Settings>(second);
  // An unusable combination that was already in force (start-up ran without a hotkey for
  // it) is no new mistake: the other keys still apply.
  const HotkeySetting& wanted = pending_ ? pending_->hotkey : settings_.hotkey;
  if (!read.hotkey.unusable.empty() && read.hotkey != wanted) {
    return Refuse(HotkeyRefusedBalloon(read.hotkey.unusable, LanguageInUse(platform_, read)));
  }
  pending_ = read;
}

void SettingsReload::ApplyPending() {
  if (!pending_) return;
  const bool hotkeyChanged = pending_->hotkey != settings_.hotkey;
  settings_ = std::move(*pending_);
  pending_.reset();
  platform_.SetTimerPeriod(settings_.tickPeriodMs);
  // A combination that another program held is tried again with every change: the user
  // may have closed that program and saved the file to try once more.
  const bool missing = settings_.hotkey.combination && !hotkey_.registered();
  if (hotkeyChanged || missing) hotkey_.Register(settings_);
}

void SettingsReload::Refuse(const BalloonText& balloon) {
  icon_.ShowBalloon(balloon.title, balloon.text);
}

}  // namespace sevalune
