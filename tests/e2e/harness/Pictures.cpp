#include "harness/Pictures.h"

#include "harness/Desktop.h"

namespace sevalune::e2e {
namespace {

constexpr int kSteadyReads = 3;

// A memory bitmap of 32-bit top-down pixels that GDI can draw into.
class DrawingSurface {
 public:
  DrawingSurface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    context_ = ::CreateCompatibleDC(nullptr);
    bitmap_ = ::CreateDIBSection(context_, &format, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (bitmap_ != nullptr) previous_ = ::SelectObject(context_, bitmap_);
  }
  ~DrawingSurface() {
    if (previous_ != nullptr) ::SelectObject(context_, previous_);
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    if (context_ != nullptr) ::DeleteDC(context_);
  }
  DrawingSurface(const DrawingSurface&) = delete;
  DrawingSurface& operator=(const DrawingSurface&) = delete;

  HDC context() const { return bitmap_ != nullptr ? context_ : nullptr; }

  Picture Read() const {
    Picture picture{width_, height_, {}};
    if (bits_ == nullptr) return Picture{};
    ::GdiFlush();
    // Each pixel is stored as blue, green, red, unused: the reverse of a colour value.
    const auto* bytes = static_cast<const unsigned char*>(bits_);
    const auto count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    picture.pixels.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      picture.pixels.push_back(RGB(bytes[4 * i + 2], bytes[4 * i + 1], bytes[4 * i]));
    }
    return picture;
  }

 private:
  int width_;
  int height_;
  HDC context_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

bool MatchesAt(const Picture& whole, const Picture& part, int left, int top) {
  for (int y = 0; y < part.height; ++y) {
    for (int x = 0; x < part.width; ++x) {
      const auto inWhole = static_cast<std::size_t>((top + y) * whole.width + left + x);
      const auto inPart = static_cast<std::size_t>(y * part.width + x);
      if (whole.pixels[inWhole] != part.pixels[inPart]) return false;
    }
  }
  return true;
}

}  // namespace

Picture ScreenPicture(const RECT& area) {
  const int width = static_cast<int>(area.right - area.left);
  const int height = static_cast<int>(area.bottom - area.top);
  if (width <= 0 || height <= 0) return Picture{};
  const DrawingSurface surface(width, height);
  HDC screen = ::GetDC(nullptr);
  const bool copied = screen != nullptr && surface.context() != nullptr &&
                      ::BitBlt(surface.context(), 0, 0, width, height, screen, area.left, area.top,
                               SRCCOPY) != FALSE;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return copied ? surface.Read() : Picture{};
}

std::optional<Picture> SteadyScreenPicture(HWND window, Milliseconds timeout) {
  Picture last;
  int sameReadsInARow = 0;
  const bool steady = WaitUntil(
      [&] {
        Picture now = ScreenPicture(WindowRectOf(window));
        sameReadsInARow = !now.pixels.empty() && now == last ? sameReadsInARow + 1 : 1;
        last = std::move(now);
        return sameReadsInARow == kSteadyReads;
      },
      timeout);
  if (!steady) return std::nullopt;
  return last;
}

bool Contains(const Picture& whole, const Picture& part) {
  if (part.pixels.empty() || part.width > whole.width || part.height > whole.height) return false;
  for (int top = 0; top + part.height <= whole.height; ++top) {
    for (int left = 0; left + part.width <= whole.width; ++left) {
      if (MatchesAt(whole, part, left, top)) return true;
    }
  }
  return false;
}

std::string DescribeDifference(const Picture& seen, const Picture& expected) {
  std::string text = "seen " + std::to_string(seen.width) + "x" + std::to_string(seen.height);
  text.append(", expected ").append(std::to_string(expected.width)).append("x");
  text.append(std::to_string(expected.height));
  if (seen.width != expected.width || seen.height != expected.height) return text;
  int differing = 0;
  std::optional<std::size_t> first;
  for (std::size_t i = 0; i < seen.pixels.size(); ++i) {
    if (seen.pixels[i] == expected.pixels[i]) continue;
    ++differing;
    if (!first) first = i;
  }
  text.append(", ").append(std::to_string(differing)).append(" pixels differ");
  if (first) {
    const auto width = static_cast<std::size_t>(seen.width);
    text.append(", the first at ").append(std::to_string(*first % width)).append(",");
    text.append(std::to_string(*first / width)).append(": ");
    text.append(DescribeColor(seen.pixels[*first])).append(" instead of ");
    text.append(DescribeColor(expected.pixels[*first]));
  }
  return text;
}

IconResource::IconResource(const std::filesystem::path& executable, int resourceId, int size)
    : module_(::LoadLibraryExW(executable.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
  if (module_ == nullptr) return;
  icon_ = static_cast<HICON>(
      ::LoadImageW(module_, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, size, size, 0));
}

IconResource::~IconResource() {
  if (icon_ != nullptr) ::DestroyIcon(icon_);
  if (module_ != nullptr) ::FreeLibrary(module_);
}

Picture DrawnIcon(HICON icon, int size) {
  DrawingSurface surface(size, size);
  if (icon == nullptr || surface.context() == nullptr) return Picture{};
  const RECT all{0, 0, size, size};
  ::FillRect(surface.context(), &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
  ::DrawIconEx(surface.context(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  return surface.Read();
}

}  // namespace sevalune::e2e
