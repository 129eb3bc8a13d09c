// Whether another program runs at a higher integrity level than this one: a program run as
// administrator while this one is not. The system drops the messages this one sends it
// and refuses its accessibility calls, so it is not asked at all.
#include <optional>

#include "backend/win32/HandleCast.h"
#include "backend/win32/ScopedWin.h"
#include "backend/win32/Win32Platform.h"

namespace sevalune::win32 {
namespace {

// The integrity level (the last sub-authority of the token's mandatory label) of a process
// token; nullopt when it cannot be read.
std::optional<DWORD> IntegrityLevelOf(HANDLE token) {
  alignas(TOKEN_MANDATORY_LABEL) unsigned char buffer[64] = {};
  DWORD size = 0;
  if (::GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &size) == FALSE) {
    return std::nullopt;
  }
  const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer);
  PSID sid = label->Label.Sid;
  if (sid == nullptr || ::IsValidSid(sid) == FALSE) return std::nullopt;
  const UCHAR count = *::GetSidSubAuthorityCount(sid);
  if (count == 0) return std::nullopt;
  return *::GetSidSubAuthority(sid, count - 1u);
}

std::optional<DWORD> IntegrityLevelOfProcess(HANDLE process) {
  HANDLE raw = nullptr;
  if (::OpenProcessToken(process, TOKEN_QUERY, &raw) == FALSE) return std::nullopt;
  const ScopedKernelHandle token(raw);
  return IntegrityLevelOf(token.get());
}

std::optional<DWORD> OwnIntegrityLevel() {
  static const std::optional<DWORD> level = IntegrityLevelOfProcess(::GetCurrentProcess());
  return level;
}

bool RunsAbove(DWORD processId) {
  const std::optional<DWORD> own = OwnIntegrityLevel();
  // Without a level of its own there is nothing to compare with: every program is asked.
  if (!own) return false;
  const ScopedKernelHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  // A token this process may not read belongs to a program above it (or to the system).
  if (!process) return true;
  const std::optional<DWORD> level = IntegrityLevelOfProcess(process.get());
  return !level || *level > *own;
}

}  // namespace

bool Win32Platform::RunsAboveOurIntegrity(WindowHandle window) {
  DWORD processId = 0;
  if (::GetWindowThreadProcessId(ToHwnd(window), &processId) == 0) return false;
  if (processId == ::GetCurrentProcessId()) return false;
  // The input-method probe asks on every tick, mostly about the same window: its answer is
  // kept while the window and its process stay (a process's level never changes).
  if (window != integrityAsked_.window || processId != integrityAsked_.process) {
    integrityAsked_ = IntegrityAnswer{window, processId, RunsAbove(processId)};
  }
  return integrityAsked_.above;
}

}  // namespace sevalune::win32
