// The hold after mouse movement ("Oazuke"): while the mouse moves, the marker is hidden,
// and it stays hidden for a few more ticks after the mouse came to rest. Pure rules.
#pragma once

#include <cstdint>
#include <string_view>

namespace sevalune {

enum class HoldMode {
  Never,
  Always,         // "2"
  OldMethodOnly,  // "1": only while the older location method is in force
};

struct HoldPolicy {
  HoldMode mode = HoldMode::Never;
  // Ticks still held after the mouse stopped: the second character, a digit; else 0.
  std::int16_t lengthTicks = 0;
  friend bool operator==(const HoldPolicy&, const HoldPolicy&) = default;
};

// The first character chooses the mode, the second the length; anything else holds
// never, for 0 ticks.
constexpr HoldPolicy ParseHoldPolicy(std::string_view text) {
  HoldPolicy policy;
  if (!text.empty() && text[0] == '2') policy.mode = HoldMode::Always;
  if (!text.empty() && text[0] == '1') policy.mode = HoldMode::OldMethodOnly;
  if (text.size() >= 2 && text[1] >= '0' && text[1] <= '9') {
    policy.lengthTicks = static_cast<std::int16_t>(text[1] - '0');
  }
  return policy;
}

constexpr bool HoldsOnMouseMove(const HoldPolicy& policy, bool oldMethodInForce) {
  return policy.mode == HoldMode::Always ||
         (policy.mode == HoldMode::OldMethodOnly && oldMethodInForce);
}

}  // namespace sevalune
