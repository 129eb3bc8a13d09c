// The cost of one full tick on the simulated desktop, against the number of top-level
// windows above the tracked editor, with the editor's input-method window directly above
// it (as on Windows) or missing (as under Wine, where it lies below: the input-method probe
// then reads the title of every window above the editor, the worst case).
// The counters report the platform calls one tick makes.
//
// AccessibleTickBenchmark: the same editor drawing its own caret, as a browser does, with
// the accessibility fallback answering: a system caret (no accessibility call), a caret
// published through Active Accessibility (the fallback in use on every tick), nothing
// published (the window left alone for a while once its grace is over).
#include <benchmark/benchmark.h>

#include <string>

#include "backend/sim/SimDesktop.h"
#include "backend/sim/SimProgram.h"

namespace sevalune {
namespace {

using sim::NewChild;
using sim::NewWindow;
using sim::SimDesktop;
using sim::SimProgram;

constexpr ProcessId kEditorProcess = 7;
constexpr ThreadId kEditorThread = 8;

void BuildDesktop(SimDesktop& desktop, int windowCount, bool imeWindowAbove) {
  NewWindow editor;
  editor.name = "editor";
  editor.className = "Notepad";
  editor.title = "memo - Notepad";
  editor.process = kEditorProcess;
  editor.thread = kEditorThread;
  editor.rect = Rect{100, 100, 700, 500};
  editor.defaultImeWindow = imeWindowAbove;
  const WindowHandle editorWindow = desktop.CreateWindow(editor);
  NewChild text;
  text.parent = editorWindow;
  text.className = "Edit";
  text.rect = Rect{104, 140, 696, 496};
  const WindowHandle textWindow = desktop.CreateChild(text);

  for (int i = 0; i < windowCount; ++i) {
    NewWindow other;
    other.className = "Other" + std::to_string(i % 7);
    other.title = "window " + std::to_string(i);
    other.process = static_cast<ProcessId>(1000 + i);
    other.thread = static_cast<ThreadId>(2000 + i);
    other.rect = Rect{i, i, i + 300, i + 200};
    desktop.CreateWindow(other);
  }
  desktop.SetForeground(editorWindow);

  GuiThreadInfo info;
  info.flags = 1;
  info.focus = textWindow;
  info.caret = textWindow;
  info.caretRect = Rect{20, 30, 21, 45};
  desktop.SetGuiState(kEditorThread, info);
}

void TickBenchmark(benchmark::State& state) {
  SimDesktop desktop;
  BuildDesktop(desktop, static_cast<int>(state.range(0)), state.range(1) != 0);
  SimProgram program(desktop);
  program.Start();
  program.Tick();  // the first tick sets the blink cycle going

  desktop.ResetCallCounts();
  for (auto _ : state) program.Tick();

  const auto ticks = static_cast<double>(state.iterations());
  state.counters["calls_per_tick"] = static_cast<double>(desktop.TotalCalls()) / ticks;
  state.counters["title_reads_per_tick"] =
      static_cast<double>(desktop.CallCount("GetWindowText")) / ticks;
  state.counters["repositions_per_tick"] =
      static_cast<double>(desktop.CallCount("SetWindowPos")) / ticks;
}

BENCHMARK(TickBenchmark)
    ->ArgNames({"windows_above", "ime_window_above"})
    ->ArgsProduct({{10, 100, 1000}, {1, 0}});

enum class Publishing { SystemCaret = 0, AccessibleCaret = 1, Nothing = 2 };

void AccessibleTickBenchmark(benchmark::State& state) {
  SimDesktop desktop;
  BuildDesktop(desktop, static_cast<int>(state.range(0)), true);
  const auto publishing = static_cast<Publishing>(state.range(1));
  const WindowHandle editor = desktop.Foreground();
  const WindowHandle text = desktop.Windows().Find(editor)->children.front();
  if (publishing != Publishing::SystemCaret) {
    GuiThreadInfo noCaret;
    noCaret.focus = text;
    desktop.SetGuiState(kEditorThread, noCaret);
  }
  sim::SimAccessible published;
  if (publishing != Publishing::Nothing) published.caret = Rect{124, 170, 125, 185};
  desktop.SetAccessible(text, published);
  SimProgram program(desktop);
  program.Start();
  // Past the grace after the focus arrived: the steady state.
  for (int i = 0; i < 30; ++i) program.Tick();

  desktop.ResetCallCounts();
  const std::uint64_t roundsBefore = desktop.AccessibleRounds();
  for (auto _ : state) program.Tick();

  const auto ticks = static_cast<double>(state.iterations());
  state.counters["calls_per_tick"] = static_cast<double>(desktop.TotalCalls()) / ticks;
  state.counters["queries_per_tick"] =
      static_cast<double>(desktop.CallCount("QueryAccessible")) / ticks;
  state.counters["rounds_per_tick"] =
      static_cast<double>(desktop.AccessibleRounds() - roundsBefore) / ticks;
  state.counters["repositions_per_tick"] =
      static_cast<double>(desktop.CallCount("SetWindowPos")) / ticks;
}

BENCHMARK(AccessibleTickBenchmark)
    ->ArgNames({"windows_above", "publishing"})
    ->ArgsProduct({{10, 100}, {0, 1, 2}});

}  // namespace
}  // namespace sevalune

BENCHMARK_MAIN();
