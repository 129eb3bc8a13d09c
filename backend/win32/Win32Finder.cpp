// The finder's frame: four bars in windows of their own, as click-through and as unable to
// take the activation as the marker, drawn above every other window while it shows.
#include "backend/win32/HandleCast.h"
#include "backend/win32/Win32Platform.h"
#include "backend/win32/WindowInstance.h"
#include "marker/FinderAnimation.h"

namespace sevalune::win32 {
namespace {

constexpr const wchar_t* kFinderClassName = L"SevaluneFinder";
constexpr UINT kMovedAndShown = SWP_NOACTIVATE | SWP_SHOWWINDOW;
constexpr UINT kHidden = SWP_NOACTIVATE | SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;

}  // namespace

LRESULT CALLBACK Win32Platform::FinderProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) noexcept {
  const auto* self = WindowInstance<const Win32Platform>(window, message, lParam);
  switch (message) {
    case WM_MOUSEACTIVATE:
      // Wine honours WS_EX_NOACTIVATE on a click only through this answer.
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      if (self != nullptr) self->PaintFinder(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC deviceContext = ::BeginPaint(window, &paint);
      if (self != nullptr) self->PaintFinder(window, deviceContext);
      ::EndPaint(window, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

void Win32Platform::PaintFinder(HWND window, HDC deviceContext) const {
  RECT client{};
  ::GetClientRect(window, &client);
  ::FillRect(deviceContext, &client, finderBrush_.get());
}

bool Win32Platform::EnsureFinderWindows() {
  // Disabled as well: the system never hands a disabled window the activation, not even
  // when the window in front goes away while the frame shows.
  constexpr DWORD kStyle = WS_POPUP | WS_DISABLED;
  constexpr DWORD kExtendedStyle =
      WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  for (ScopedWindow& bar : finderBars_) {
    if (bar) continue;
    // Made while the program runs: a failure (no window handles left) only costs the frame.
    bar.reset(::CreateWindowExW(kExtendedStyle, kFinderClassName, L"", kStyle, 0, 0, 0, 0, nullptr,
                                nullptr, instance_, this));
    if (!bar) return false;
    ::SetLayeredWindowAttributes(bar.get(), 0, 255, LWA_ALPHA);
  }
  return true;
}

void Win32Platform::ShowFinderFrame(const Rect& outer, std::int32_t thickness, Color color) {
  if (!EnsureFinderWindows()) return;
  const bool newColor = !finderBrush_ || color != finderColor_;
  if (newColor) {
    finderColor_ = color;
    // The top byte would select a palette entry; only the RGB part is a colour.
    finderBrush_.reset(::CreateSolidBrush(color & 0x00FFFFFFu));
  }
  const FrameSides sides = FinderFrameSides(outer, thickness);
  const Rect* places[] = {&sides.top, &sides.bottom, &sides.left, &sides.right};
  // The four bars move together, as one frame.
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(finderBars_.size()));
  for (std::size_t i = 0; i < finderBars_.size() && moves != nullptr; ++i) {
    const Rect& place = *places[i];
    moves = ::DeferWindowPos(moves, finderBars_[i].get(), HWND_TOPMOST, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, kMovedAndShown);
  }
  if (moves != nullptr) ::EndDeferWindowPos(moves);
  if (!newColor) return;
  for (const ScopedWindow& bar : finderBars_) {
    ::InvalidateRect(bar.get(), nullptr, TRUE);
    ::UpdateWindow(bar.get());
  }
}

void Win32Platform::HideFinderFrame() {
  HDWP hides = ::BeginDeferWindowPos(static_cast<int>(finderBars_.size()));
  for (const ScopedWindow& bar : finderBars_) {
    if (bar && hides != nullptr)
      hides = ::DeferWindowPos(hides, bar.get(), nullptr, 0, 0, 0, 0, kHidden);
  }
  if (hides != nullptr) ::EndDeferWindowPos(hides);
}

}  // namespace sevalune::win32
