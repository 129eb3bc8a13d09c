// A console tool that prints what a running process holds of the system's resources, one
// line of name=value pairs (a dash for a counter the system does not give), for scripts
// that watch a long run:
//
//   sevalune_resource_probe.exe            the process of the running sevalune.exe (found
//                                          by its marker window)
//   sevalune_resource_probe.exe PID        any process
//
//   handles=- handle_table=57 gdi=- user=- windows=6 working_set=23572480 private=6303744
//
// Exit status 0 when the process was found, 1 otherwise. See harness/ProcessResources.h
// for what each counter is and which of them Wine gives.
#include <cstdio>
#include <cwchar>
#include <string>

#include "harness/ProcessResources.h"

namespace {

using sevalune::e2e::ResourceSample;

// The short names scripts read, in the order of ResourceCounters().
constexpr const char* kKeys[] = {"handles", "handle_table", "gdi",    "user",
                                 "windows", "working_set",  "private"};

DWORD SevaluneProcess() {
  HWND marker = ::FindWindowW(L"SevaluneMarker", L"Sevalune");
  DWORD process = 0;
  if (marker != nullptr) ::GetWindowThreadProcessId(marker, &process);
  return process;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const DWORD process =
      argc > 1 ? static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)) : SevaluneProcess();
  if (process == 0) {
    std::fprintf(stderr, "no such process (is sevalune.exe running?)\n");
    return 1;
  }
  const ResourceSample sample = sevalune::e2e::SampleResources(process);
  std::string line = "pid=" + std::to_string(process);
  std::size_t key = 0;
  for (const auto& counter : sevalune::e2e::ResourceCounters()) {
    const auto& value = sample.*counter.field;
    line.append(" ").append(kKeys[key++]).append("=");
    line.append(value ? std::to_string(*value) : std::string("-"));
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  return 0;
}
