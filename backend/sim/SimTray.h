// The notification area: the icons the shell shows, keyed by window and id.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sevalune::sim {

struct SimTrayIcon {
  WindowHandle window = 0;
  std::uint32_t id = 0;
  std::uint32_t callbackMessage = 0;
  TrayPicture picture = TrayPicture::Enabled;
  std::string tip;
  // The last balloon shown over the icon.
  std::string balloonTitle;
  std::string balloonText;
};

class SimTray {
 public:
  // Fails when an icon with that window and id exists.
  bool Add(const NotifyIconData& data);
  // Both fail when no icon with that window and id exists.
  bool Modify(const NotifyIconData& data);
  bool Delete(WindowHandle window, std::uint32_t id);
  void Clear() { icons_.clear(); }

  const SimTrayIcon* Find(WindowHandle window, std::uint32_t id) const;
  const std::vector<SimTrayIcon>& Icons() const { return icons_; }

 private:
  SimTrayIcon* FindMutable(WindowHandle window, std::uint32_t id);
  static void Apply(const NotifyIconData& data, SimTrayIcon& icon);

  std::vector<SimTrayIcon> icons_;  // in the order they were added
};

}  // namespace sevalune::sim
