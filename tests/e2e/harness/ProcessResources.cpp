#include "harness/ProcessResources.h"

#include <psapi.h>

#include <memory>

#include "backend/win32/ScopedWin.h"

namespace sevalune::e2e {
namespace {

// NtQuerySystemInformation and its extended handle table (class 64), which every Windows
// since XP and Wine's server answer; looked up at run time, so no import library is needed.
constexpr int kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
constexpr ULONG kFirstTableBytes = 1u << 20;
constexpr int kTableAttempts = 8;

struct HandleTableEntry {
  void* object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG grantedAccess;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG attributes;
  ULONG reserved;
};

struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleTableEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(int, void*, ULONG, ULONG*);

QuerySystemInformation SystemInformationQuery() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  FARPROC found = ::GetProcAddress(ntdll, "NtQuerySystemInformation");
  // Through the generic function pointer type, which every compiler accepts quietly.
  return reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void (*)()>(found));
}

std::optional<std::uint64_t> HandleTableEntriesOf(DWORD processId) {
  const QuerySystemInformation query = SystemInformationQuery();
  if (query == nullptr) return std::nullopt;
  ULONG size = kFirstTableBytes;
  for (int attempt = 0; attempt < kTableAttempts; ++attempt, size *= 2) {
    // Aligned for the table's pointer-sized fields.
    const auto buffer = std::make_unique<ULONG_PTR[]>(size / sizeof(ULONG_PTR));
    ULONG needed = 0;
    const LONG status = query(kSystemExtendedHandleInformation, buffer.get(), size, &needed);
    if (status == kStatusInfoLengthMismatch) continue;
    if (status < 0) return std::nullopt;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.get());
    std::uint64_t count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i) {
      if (table->entries[i].processId == processId) ++count;
    }
    return count;
  }
  return std::nullopt;
}

BOOL CALLBACK CountWindow(HWND /*window*/, LPARAM parameter) {
  auto* count = reinterpret_cast<std::uint64_t*>(parameter);
  ++*count;
  return TRUE;
}

struct WindowCount {
  DWORD processId;
  std::uint64_t count;
};

BOOL CALLBACK CountWindowsOfProcess(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowCount*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  ++search->count;
  ::EnumChildWindows(window, &CountWindow, reinterpret_cast<LPARAM>(&search->count));
  return TRUE;
}

std::optional<std::uint64_t> NonZero(std::uint64_t value) {
  if (value == 0) return std::nullopt;
  return value;
}

std::string Kilobytes(std::uint64_t bytes) { return std::to_string((bytes + 512) / 1024) + " KB"; }

}  // namespace

const std::vector<NamedCounter>& ResourceCounters() {
  static const std::vector<NamedCounter> counters = {
      {"handles", &ResourceSample::handles, false},
      {"handle table", &ResourceSample::handleTable, false},
      {"GDI objects", &ResourceSample::gdiObjects, false},
      {"USER objects", &ResourceSample::userObjects, false},
      {"windows", &ResourceSample::windows, false},
      {"working set", &ResourceSample::workingSetBytes, true},
      {"private bytes", &ResourceSample::privateBytes, true},
  };
  return counters;
}

ResourceSample SampleResources(DWORD processId) {
  ResourceSample sample;
  sample.handleTable = HandleTableEntriesOf(processId);
  WindowCount windows{processId, 0};
  ::EnumWindows(&CountWindowsOfProcess, reinterpret_cast<LPARAM>(&windows));
  sample.windows = NonZero(windows.count);

  const win32::ScopedKernelHandle owner(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!owner) return sample;
  const HANDLE process = owner.get();
  DWORD handles = 0;
  if (::GetProcessHandleCount(process, &handles) != FALSE) sample.handles = NonZero(handles);
  sample.gdiObjects = NonZero(::GetGuiResources(process, GR_GDIOBJECTS));
  sample.userObjects = NonZero(::GetGuiResources(process, GR_USEROBJECTS));
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory) != FALSE) {
    sample.workingSetBytes = NonZero(memory.WorkingSetSize);
    // The two are the same on Windows; Wine fills only the second.
    sample.privateBytes =
        NonZero(memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage);
  }
  return sample;
}

std::optional<std::int64_t> Growth(const ResourceSample& from, const ResourceSample& to,
                                   std::optional<std::uint64_t> ResourceSample::*field) {
  const std::optional<std::uint64_t>& before = from.*field;
  const std::optional<std::uint64_t>& after = to.*field;
  if (!before || !after) return std::nullopt;
  return static_cast<std::int64_t>(*after) - static_cast<std::int64_t>(*before);
}

std::string DescribeSample(const ResourceSample& sample) {
  std::string text;
  for (const NamedCounter& counter : ResourceCounters()) {
    const std::optional<std::uint64_t>& value = sample.*counter.field;
    if (!text.empty()) text += ", ";
    text += counter.name;
    text += " ";
    if (!value) {
      text += "-";
    } else {
      text += counter.isBytes ? Kilobytes(*value) : std::to_string(*value);
    }
  }
  return text;
}

}  // namespace sevalune::e2e
