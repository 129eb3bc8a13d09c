// What another process holds of the system's resources, read from outside: kernel
// handles, GDI and USER objects, windows and memory. Used to tell whether a program that
// runs for long keeps taking more.
//
// Under Wine (8.0) some counters read 0: GetGuiResources answers 0 for both kinds and
// GetProcessHandleCount 0 handles, and the private bytes of GetProcessMemoryInfo are 0.
// What works there: the system's handle table (NtQuerySystemInformation), which Wine's
// server fills, and the working set and page-file bytes, which Wine takes from Linux's
// /proc/PID/status (VmRSS, and RssAnon + VmSwap). The windows of a process are counted
// directly, as a stand-in for its USER objects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backend/win32/WindowsHeaders.h"

namespace sevalune::e2e {

struct ResourceSample {
  std::optional<std::uint64_t> handles;          // GetProcessHandleCount
  std::optional<std::uint64_t> handleTable;      // entries of the system's handle table
  std::optional<std::uint64_t> gdiObjects;       // GetGuiResources(GR_GDIOBJECTS)
  std::optional<std::uint64_t> userObjects;      // GetGuiResources(GR_USEROBJECTS)
  std::optional<std::uint64_t> windows;          // top-level and child windows
  std::optional<std::uint64_t> workingSetBytes;  // GetProcessMemoryInfo
  std::optional<std::uint64_t> privateBytes;     // PrivateUsage, else PagefileUsage
};

// The counters one after the other, with their names and units, in a fixed order.
struct NamedCounter {
  const char* name;
  std::optional<std::uint64_t> ResourceSample::*field;
  bool isBytes;
};
const std::vector<NamedCounter>& ResourceCounters();

// Reads what it can of process `processId`; a counter the system does not give (or
// gives as 0, which no live process has) is nullopt.
ResourceSample SampleResources(DWORD processId);

// One counter's change between two samples, or nullopt when either lacks it.
std::optional<std::int64_t> Growth(const ResourceSample& from, const ResourceSample& to,
                                   std::optional<std::uint64_t> ResourceSample::*field);

std::string DescribeSample(const ResourceSample& sample);

}  // namespace sevalune::e2e
