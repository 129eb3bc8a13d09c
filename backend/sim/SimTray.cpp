#include "backend/sim/SimTray.h"

#include <algorithm>

namespace sevalune::sim {

bool SimTray::Add(const NotifyIconData& data) {
  if (Find(data.window, data.id) != nullptr) return false;
  SimTrayIcon icon;
  icon.window = data.window;
  icon.id = data.id;
  Apply(data, icon);
  icons_.push_back(std::move(icon));
  return true;
}

bool SimTray::Modify(const NotifyIconData& data) {
  SimTrayIcon* icon = FindMutable(data.window, data.id);
  if (icon == nullptr) return false;
  Apply(data, *icon);
  return true;
}

bool SimTray::Delete(WindowHandle window, std::uint32_t id) {
  const auto it = std::find_if(icons_.begin(), icons_.end(), [&](const SimTrayIcon& icon) {
    return icon.window == window && icon.id == id;
  });
  if (it == icons_.end()) return false;
  icons_.erase(it);
  return true;
}

const SimTrayIcon* SimTray::Find(WindowHandle window, std::uint32_t id) const {
  const auto it = std::find_if(icons_.begin(), icons_.end(), [&](const SimTrayIcon& icon) {
    return icon.window == window && icon.id == id;
  });
  return it == icons_.end() ? nullptr : &*it;
}

SimTrayIcon* SimTray::FindMutable(WindowHandle window, std::uint32_t id) {
  return const_cast<SimTrayIcon*>(Find(window, id));
}

// Only the members named by the record's flags change, as the shell does it.
void SimTray::Apply(const NotifyIconData& data, SimTrayIcon& icon) {
  if ((data.flags & nif::Message) != 0) icon.callbackMessage = data.callbackMessage;
  if ((data.flags & nif::Icon) != 0) icon.picture = data.picture;
  if ((data.flags & nif::Tip) != 0) icon.tip = data.tip;
  if ((data.flags & nif::Info) != 0) {
    icon.balloonTitle = data.infoTitle;
    icon.balloonText = data.info;
  }
}

}  // namespace sevalune::sim
