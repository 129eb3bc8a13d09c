// The program's handlers, wired to the platform's message dispatch.
#pragma once

#include <cstdint>
#include <optional>

#include "app/Program.h"
#include "platform/Platform.h"

namespace sevalune {

class Application final : public PlatformEvents {
 public:
  explicit Application(Platform& platform);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The main window's load handler: the whole start-up. Asks the platform to quit on a
  // second instance or a settings failure.
  void Start();

  void OnTimer() override;
  void OnTrayCallback(std::uint32_t eventCode) override;
  void OnTaskbarCreated() override;
  void OnHotkey(int id) override;
  void OnFinderFrame() override;
  void OnSettingsFileChanged() override;
  void OnTargetMoved(const TargetNotice& notice) override;

  const Program& program() const { return program_; }

 private:
  Program program_;
  bool tickRunning_ = false;
  // Notices that came while a tick ran, merged: the tick may have located its target before
  // them (an answer to its own request, a caret event while it waited for the input method).
  std::optional<TargetNotice> noticeDuringTick_;
};

}  // namespace sevalune
