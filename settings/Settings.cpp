#include "settings/Settings.h"

#include <optional>

#include "platform/AppIdentity.h"
#include "settings/SettingsKeys.h"

namespace sevalune {

std::string SettingsFilePath(std::string_view executableDirectory) {
  std::string path(executableDirectory);
  if (path.empty() || path.back() != '\\') path += '\\';
  return path + std::string(kSettingsFileName);
}

// One profile call per key. The call's default is empty, so that a missing key and an
// empty one both give a count of 0, except for a key whose empty value means something of
// its own: there a missing key gets its default from the call.
std::variant<Settings, SettingsFailure> ReadSettings(Platform& platform) {
  const std::string path = SettingsFilePath(platform.ExecutableDirectory());
  Settings settings;
  for (const SettingKey& key : SettingKeys()) {
    const std::string_view callDefault =
        key.empty == EmptyValue::IsAValue ? key.defaultText : std::string_view("");
    const ProfileString value = platform.GetPrivateProfileString(kSettingsSection, key.name,
                                                                 callDefault, key.bufferSize, path);
    if (std::optional<SettingsFailure> failure = ReadSettingValue(key, value, settings)) {
      return *std::move(failure);
    }
  }
  return settings;
}

std::string SettingsFailureText(const SettingsFailure& failure) {
  return "エラー（ＩＮＩファイル読み込み） : " + failure.key + "\r" +
         std::to_string(failure.number) + "\r" + failure.description;
}

}  // namespace sevalune
