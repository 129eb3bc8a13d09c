// libFuzzer target: arbitrary bytes as sevalune.ini, through a real start of the program on
// the simulated desktop and one tick. Whatever the bytes, the start ends either running with
// usable settings or with the failure box and the end of the process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/Application.h"
#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimPlatform.h"

namespace {

using sevalune::Application;
using sevalune::sim::SimDesktop;
using sevalune::sim::SimPlatform;
using sevalune::sim::SimProcessExit;

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckRunningProgram(const Application& app, const SimPlatform& platform) {
  const auto& settings = app.program().settings;
  Require(platform.TimerEnabled());
  Require(platform.TimerPeriod() >= 1 && platform.TimerPeriod() <= 65535);
  Require(settings.BlinkFactor >= 1 && settings.BlinkFactor <= 32767);
  Require(settings.MarkerSizes[0] == 0);
  Require(app.program().state.IsEnabled);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SimDesktop desktop;
  std::string boxes;
  desktop.SetEventSink([&boxes](const std::string& line) {
    if (line.rfind("box ", 0) == 0) boxes += line;
  });
  desktop.Files().Put("C:\\Program Files\\Sevalune\\sevalune.ini",
                      std::string(reinterpret_cast<const char*>(data), size));
  SimPlatform platform(desktop, 4000, 4001);
  Application app(platform);
  platform.SetEventHandler(&app);
  try {
    app.Start();
    CheckRunningProgram(app, platform);
    platform.Deliver(sevalune::sim::SimMessage::Timer());
  } catch (const SimProcessExit& exit) {
    // Only a settings failure ends a first instance, and only after its box.
    Require(exit.code == 1);
    Require(boxes.find("エラー（ＩＮＩファイル読み込み） : ") != std::string::npos);
  }
  platform.SetEventHandler(nullptr);
  return 0;
}
