// libFuzzer target: arbitrary bytes as sevalune.ini, through a real start of the program on
// the simulated desktop and one tick. Whatever the bytes, the start ends either running with
// usable settings or with the failure box and the end of the process.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimProgram.h"

namespace {

using sevalune::sim::SimDesktop;
using sevalune::sim::SimProgram;

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckRunningProgram(SimProgram& program) {
  const auto& settings = program.program().settings;
  const auto& platform = program.process();
  Require(platform.TimerEnabled());
  Require(platform.TimerPeriod() >= 1 && platform.TimerPeriod() <= 65535);
  Require(settings.blinkFactor >= 1 && settings.blinkFactor <= 32767);
  Require(program.program().state.isEnabled);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SimDesktop desktop;
  std::string boxes;
  desktop.SetEventSink([&boxes](const std::string& line) {
    if (line.rfind("box ", 0) == 0) boxes += line;
  });
  sevalune::sim::PutSettingsFile(desktop, std::string(reinterpret_cast<const char*>(data), size));
  SimProgram program(desktop);
  program.Start();
  if (program.Ended()) {
    // Only a settings failure ends a first instance, and only after its box: Japanese on
    // the simulated desktop, English where the file's Gengo asks for it.
    Require(program.ExitCode() == 1);
    Require(boxes.find("エラー（ＩＮＩファイル読み込み） : ") != std::string::npos ||
            boxes.find("Error reading sevalune.ini: ") != std::string::npos);
    return 0;
  }
  CheckRunningProgram(program);
  program.Tick();
  Require(!program.Ended());
  return 0;
}
