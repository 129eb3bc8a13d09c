// A process the test started. It is ended when the object goes out of scope, also when a
// test fails half way, so no test leaves a program running for the next one.
#pragma once

#include <optional>
#include <string>

#include "backend/win32/ScopedWin.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

class ChildProcess {
 public:
  // Starts `executable` with the given arguments (already quoted as needed); throws
  // std::system_error when the process cannot be created.
  ChildProcess(const std::wstring& executable, const std::wstring& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  bool IsRunning() const;
  // The exit code once the process has ended; nullopt if it still runs at the deadline.
  std::optional<DWORD> WaitForExit(Milliseconds timeout) const;
  // Waits until the process waits for input with nothing left to do (its start-up is over).
  bool WaitUntilIdle(Milliseconds timeout) const;
  // Ends the process if it still runs and waits until it has gone.
  void Terminate();

 private:
  win32::ScopedKernelHandle process_;
  DWORD id_ = 0;
};

}  // namespace sevalune::e2e
