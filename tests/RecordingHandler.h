// Records what a platform dispatches to the program's handlers, for tests of a backend.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"

namespace sevalune::testing {

class RecordingHandler final : public PlatformEvents {
 public:
  void OnTimer() override { ++ticks; }
  void OnTrayCallback(std::uint32_t eventCode) override { trayEvents.push_back(eventCode); }
  void OnTaskbarCreated() override { ++taskbarsCreated; }
  void OnHotkey(int id) override { hotkeys.push_back(id); }
  void OnFinderFrame() override { ++finderFrames; }
  void OnSettingsFileChanged() override { ++settingsChanges; }
  void OnTargetMoved(const TargetNotice& notice) override {
    ++targetMoves;
    notices.push_back(notice);
  }

  int ticks = 0;
  std::vector<std::uint32_t> trayEvents;
  int taskbarsCreated = 0;
  std::vector<int> hotkeys;
  int finderFrames = 0;
  int settingsChanges = 0;
  int targetMoves = 0;
  std::vector<TargetNotice> notices;
};

}  // namespace sevalune::testing
