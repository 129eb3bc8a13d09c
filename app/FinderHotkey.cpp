#include "app/FinderHotkey.h"

#include "app/BalloonTexts.h"
#include "settings/LanguageInUse.h"

namespace sevalune {

FinderHotkey::FinderHotkey(Platform& platform, TrayIcon& icon) : platform_(platform), icon_(icon) {}

void FinderHotkey::Register(const Settings& settings) {
  const HotkeySetting& setting = settings.hotkey;
  if (registered_) platform_.UnregisterHotKey(kFinderHotkeyId);
  registered_ = false;
  if (!setting.unusable.empty()) {
    return Tell(HotkeyUnusableBalloon(setting.unusable, LanguageInUse(platform_, settings)));
  }
  if (!setting.combination) return;
  const Hotkey& hotkey = *setting.combination;
  // Windows then sends no repeats while the combination is held; Wine ignores the bit.
  switch (platform_.RegisterHotKey(kFinderHotkeyId, hotkey.modifiers | mod::NoRepeat,
                                   hotkey.virtualKey)) {
    case HotkeyRegistration::Registered:
      registered_ = true;
      return;
    case HotkeyRegistration::Taken:
      return Tell(HotkeyTakenBalloon(hotkey, LanguageInUse(platform_, settings)));
    case HotkeyRegistration::Failed:
      return Tell(HotkeyFailedBalloon(hotkey, LanguageInUse(platform_, settings)));
  }
}

void FinderHotkey::Tell(const BalloonText& balloon) {
  icon_.ShowBalloon(balloon.title, balloon.text);
}

}  // namespace sevalune
