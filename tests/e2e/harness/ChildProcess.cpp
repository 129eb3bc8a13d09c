#include "harness/ChildProcess.h"

#include <system_error>
#include <vector>

namespace sevalune::e2e {
namespace {

constexpr DWORD kTerminatedExitCode = 0xE2E;
constexpr DWORD kTerminateWaitMs = 10000;

DWORD ToWaitMilliseconds(Milliseconds timeout) {
  return timeout.count() <= 0 ? 0 : static_cast<DWORD>(timeout.count());
}

}  // namespace

ChildProcess::ChildProcess(const std::wstring& executable, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + executable + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created{};
  if (::CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &created) == FALSE) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                            "CreateProcessW");
  }
  ::CloseHandle(created.hThread);
  process_.reset(created.hProcess);
  id_ = created.dwProcessId;
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::IsRunning() const {
  return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::WaitForExit(Milliseconds timeout) const {
  if (::WaitForSingleObject(process_.get(), ToWaitMilliseconds(timeout)) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process_.get(), &exitCode);
  return exitCode;
}

bool ChildProcess::WaitUntilIdle(Milliseconds timeout) const {
  return ::WaitForInputIdle(process_.get(), ToWaitMilliseconds(timeout)) == 0;
}

void ChildProcess::Terminate() {
  if (!IsRunning()) return;
  ::TerminateProcess(process_.get(), kTerminatedExitCode);
  ::WaitForSingleObject(process_.get(), kTerminateWaitMs);
}

}  // namespace sevalune::e2e
