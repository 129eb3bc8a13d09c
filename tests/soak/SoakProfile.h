// What one soak run is configured with: the platform kind, the displays and the settings
// file the program reads. The checks use these values directly, not what the program
// made of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "marker/MarkerGeometry.h"
#include "tests/soak/RandomSource.h"
#include "winquery/Platform.h"

namespace sevalune::soak {

// Window classes the settings' class lists may name; the desktop uses them among others.
inline constexpr std::string_view kNeverMarkedClass = "SoakNever";
inline constexpr std::string_view kMenusOnlyClass = "SoakMenusOnly";
inline constexpr std::string_view kParkingClass = "SoakPark";

enum class PlatformKind { New, Old };

struct MarkerColors {
  Color caret = 0xFF00FF;
  Color caretIme = 0x0000FF;
  Color parts = 0x00FF00;
  Color partsIme = 0xFF0000;
  Color menu = 0x00FFFF;
};

struct SoakProfile {
  PlatformKind platform = PlatformKind::New;
  bool secondDisplayLeft = false;
  std::int32_t BlinkFactor = 8;
  MarkerSizeList sizes{0, 10, 9, 18, 8, 5, 3};
  bool DebugMode = false;
  std::string neverList = "xxx";
  std::string menusOnlyList = "xxx";
  std::string parkingList = "xxx";
  std::string oazuke = "12";
  MarkerColors colors;

  // The settings file that yields exactly these values.
  std::string SettingsFileText() const;
  // One line for the run's header.
  std::string Description() const;
};

// A profile drawn from the random source; `platform` forces the platform kind.
SoakProfile ChooseProfile(RandomSource& random, std::optional<PlatformKind> platform);

}  // namespace sevalune::soak
