// Pictures read from the screen and pictures drawn by the test itself, for comparing what
// another program shows with what it should show: an icon in the notification area, a
// pop-up menu whose items cannot be read from outside.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "backend/win32/WindowsHeaders.h"
#include "harness/Waiting.h"

namespace sevalune::e2e {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row by row, 0x00BBGGRR
  bool operator==(const Picture&) const = default;
};

// The screen inside the rectangle; empty when it cannot be read.
Picture ScreenPicture(const RECT& area);
// The screen inside the window once it shows the same picture on a few reads in a row
// (painting reaches the screen a little late); nullopt if it is still changing at the
// deadline or cannot be read.
std::optional<Picture> SteadyScreenPicture(HWND window, Milliseconds timeout);

// Whether `part` appears somewhere inside `whole`, pixel for pixel.
bool Contains(const Picture& whole, const Picture& part);
// For failure messages: the sizes, and how many pixels differ and the first of them.
std::string DescribeDifference(const Picture& seen, const Picture& expected);

// An icon resource of an executable file, loaded at the given size without running it.
class IconResource {
 public:
  IconResource(const std::filesystem::path& executable, int resourceId, int size);
  ~IconResource();
  IconResource(const IconResource&) = delete;
  IconResource& operator=(const IconResource&) = delete;
  HICON get() const { return icon_; }

 private:
  HMODULE module_ = nullptr;
  HICON icon_ = nullptr;
};

// The icon drawn by this process at size x size pixels on a grey ground.
Picture DrawnIcon(HICON icon, int size);

}  // namespace sevalune::e2e
