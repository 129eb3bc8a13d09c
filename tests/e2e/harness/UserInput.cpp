#include "harness/UserInput.h"

#include <string>
#include <vector>

namespace sevalune::e2e {
namespace {

// Under Wine the system gives the foreground at once; on a busy machine a little later.
constexpr Milliseconds kClickTakesEffect = 2s;
// Several ticks at the default period, and longer than the tick that began before a click.
constexpr Milliseconds kForegroundKept = 1s;

INPUT KeyInput(WORD virtualKey, WORD unicode, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = unicode;
  input.ki.dwFlags = flags;
  return input;
}

void Send(std::vector<INPUT>& inputs) {
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void TypeText(std::wstring_view text) {
  std::vector<INPUT> inputs;
  for (const wchar_t character : text) {
    inputs.push_back(KeyInput(0, character, KEYEVENTF_UNICODE));
    inputs.push_back(KeyInput(0, character, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
  }
  Send(inputs);
}

void PressChord(std::initializer_list<WORD> virtualKeys) {
  std::vector<INPUT> inputs;
  for (const WORD key : virtualKeys) inputs.push_back(KeyInput(key, 0, 0));
  for (auto key = virtualKeys.end(); key != virtualKeys.begin();) {
    --key;
    inputs.push_back(KeyInput(*key, 0, KEYEVENTF_KEYUP));
  }
  Send(inputs);
}

void PressOnKeyboard(const char* xdotoolKeys, std::initializer_list<WORD> virtualKeys) {
  // Wine's own way of starting a program of the host system (its browser launcher uses it).
  using UnixSpawn = LONG(__cdecl*)(char* const argv[], int wait);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const auto spawn = ntdll == nullptr ? nullptr
                                      : reinterpret_cast<UnixSpawn>(reinterpret_cast<void*>(
                                            ::GetProcAddress(ntdll, "__wine_unix_spawnvp")));
  if (spawn != nullptr) {
    std::string keys(xdotoolKeys);
    char program[] = "xdotool";
    char command[] = "key";
    char* const argv[] = {program, command, keys.data(), nullptr};
    if (spawn(argv, 1) == 0) return;
  }
  PressChord(virtualKeys);
}

void MovePointerTo(POINT point) { ::SetCursorPos(point.x, point.y); }

bool ClickToFrontUntilItStays(HWND window, Milliseconds timeout) {
  const auto holds = [window] { return ::GetForegroundWindow() == window; };
  return WaitUntil(
      [&] {
        if (!holds()) ::SetForegroundWindow(window);
        return WaitUntil(holds, kClickTakesEffect) &&
               !WaitUntil([&] { return !holds(); }, kForegroundKept);
      },
      timeout);
}

HeldLeftButton::HeldLeftButton(POINT point) {
  MovePointerTo(point);
  INPUT press{};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  ::SendInput(1, &press, sizeof press);
}

HeldLeftButton::~HeldLeftButton() {
  INPUT release{};
  release.type = INPUT_MOUSE;
  release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &release, sizeof release);
}

}  // namespace sevalune::e2e
