// What one soak run is configured with: the platform kind, the displays and the settings
// file the program reads. The checks use these values directly, not what the program
// made of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "settings/Settings.h"
#include "tests/soak/RandomSource.h"

namespace sevalune::soak {

// Window classes the settings' class lists may name; the desktop uses them among others.
inline constexpr std::string_view kNeverMarkedClass = "SoakNever";
inline constexpr std::string_view kMenusOnlyClass = "SoakMenusOnly";
inline constexpr std::string_view kParkingClass = "SoakPark";

enum class PlatformKind { New, Old };

struct SoakProfile {
  PlatformKind platform = PlatformKind::New;
  bool secondDisplayLeft = false;
  std::int32_t blinkFactor = 8;
  MarkerSizes sizes{10, 9, 18, 8, 5, 3};
  bool debugMode = false;
  std::string neverList = "xxx";
  std::string menusOnlyList = "xxx";
  std::string parkingList = "xxx";
  std::string oazuke = "12";
  MarkerColors colors{0xFF00FF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF};
  bool accessibility = true;  // "Akusesibiriti"

  // What the program reads from the profile's settings file: these values, and the
  // defaults for the keys the profile leaves alone.
  Settings Reading() const;
  // The settings file that yields exactly that reading.
  std::string SettingsFileText() const;
  // One line for the run's header.
  std::string Description() const;
};

// A profile drawn from the random source; `platform` forces the platform kind.
SoakProfile ChooseProfile(RandomSource& random, std::optional<PlatformKind> platform);

}  // namespace sevalune::soak
