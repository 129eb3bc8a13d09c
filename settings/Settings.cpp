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

namespace {

// One profile call. The call's default is empty, so that a missing key and an empty one
// both give a count of 0, except for a key whose empty value means something of its own:
// there a missing key gets its default from the call.
std::optional<SettingsFailure> ReadKey(Platform& platform, const std::string& path,
                                       const SettingKey& key, Settings& settings) {
  const std::string_view callDefault =
      key.empty == EmptyValue::IsAValue ? key.defaultText : std::string_view("");
  const ProfileString value = platform.GetPrivateProfileString(kSettingsSection, key.name,
                                                               callDefault, key.bufferSize, path);
  return ReadSettingValue(key, value, settings);
}

constexpr LocalText kFailureHeading{"Error reading sevalune.ini: ",
                                    "エラー（ＩＮＩファイル読み込み） : "};

}  // namespace

std::variant<Settings, SettingsFailure> ReadSettings(Platform& platform) {
  const std::string path = SettingsFilePath(platform.ExecutableDirectory());
  Settings settings;
  for (const SettingKey& key : SettingKeys()) {
    if (std::optional<SettingsFailure> failure = ReadKey(platform, path, key, settings)) {
      return *std::move(failure);
    }
  }
  return settings;
}

std::optional<SettingsFailure> ReadSettingsKey(Platform& platform, std::string_view name,
                                               Settings& settings) {
  const std::string path = SettingsFilePath(platform.ExecutableDirectory());
  for (const SettingKey& key : SettingKeys()) {
    if (key.name == name) return ReadKey(platform, path, key, settings);
  }
  return std::nullopt;
}

std::string SettingsFailureText(const SettingsFailure& failure, Language language) {
  return std::string(In(language, kFailureHeading)) + failure.key + "\r" +
         std::to_string(failure.number) + "\r" + failure.description;
}

}  // namespace sevalune
