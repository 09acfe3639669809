#include "WindowPicture.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>

namespace {

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

class WindowDc {
 public:
  // Without DCX_CLIPCHILDREN the child windows' pixels are part of what is read.
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDCEx(hwnd, nullptr, DCX_CACHE)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

BITMAPINFOHEADER TopDownHeader(int width, int height) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = -height;
  h.biPlanes = 1;
  h.biBitCount = 32;
  h.biCompression = BI_RGB;
  return h;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace

Picture CaptureClient(HWND hwnd) {
  Picture picture;
  RECT r;
  if (!GetClientRect(hwnd, &r) || r.right <= 0 || r.bottom <= 0) return picture;
  WindowDc source(hwnd);
  MemoryDc memory(CreateCompatibleDC(source.Get()));
  BITMAPINFO info{};
  info.bmiHeader = TopDownHeader(r.right, r.bottom);
  void* bits = nullptr;
  Bitmap dib(CreateDIBSection(source.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !dib || !bits) return picture;
  HGDIOBJ old = SelectObject(memory.get(), dib.get());
  BOOL copied = BitBlt(memory.get(), 0, 0, r.right, r.bottom, source.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  SelectObject(memory.get(), old);
  if (!copied) return picture;
  picture.width = r.right;
  picture.height = r.bottom;
  const auto* px = static_cast<const uint32_t*>(bits);
  picture.pixels.assign(px, px + static_cast<size_t>(r.right) * r.bottom);
  for (uint32_t& p : picture.pixels) p &= 0x00FFFFFFu;
  return picture;
}

bool WriteBmp(const std::string& path, const Picture& picture) {
  BITMAPINFOHEADER info = TopDownHeader(picture.width, picture.height);
  info.biHeight = picture.height;  // bottom-up, the form every viewer reads
  const uint32_t imageBytes = static_cast<uint32_t>(picture.pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageBytes;
  info.biSizeImage = imageBytes;
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, f.get()) == 1 &&
            std::fwrite(&info, sizeof info, 1, f.get()) == 1;
  for (int y = picture.height - 1; ok && y >= 0; --y)
    ok = std::fwrite(&picture.pixels[static_cast<size_t>(y) * picture.width], 4, picture.width,
                     f.get()) == static_cast<size_t>(picture.width);
  return ok;
}

bool ReadBmp(const std::string& path, Picture& picture) {
  File f(std::fopen(path.c_str(), "rb"));
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  if (!f || std::fread(&file, sizeof file, 1, f.get()) != 1 ||
      std::fread(&info, sizeof info, 1, f.get()) != 1)
    return false;
  if (file.bfType != 0x4D42 || info.biBitCount != 32 || info.biCompression != BI_RGB ||
      info.biWidth <= 0 || info.biHeight <= 0 || info.biWidth > 10000 || info.biHeight > 10000)
    return false;
  picture.width = info.biWidth;
  picture.height = info.biHeight;
  picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height, 0);
  if (std::fseek(f.get(), static_cast<long>(file.bfOffBits), SEEK_SET) != 0) return false;
  for (int y = picture.height - 1; y >= 0; --y)
    if (std::fread(&picture.pixels[static_cast<size_t>(y) * picture.width], 4, picture.width,
                   f.get()) != static_cast<size_t>(picture.width))
      return false;
  return true;
}

long CountDifferentPixels(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  long n = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

int CountColours(const Picture& picture, int limit) {
  std::set<uint32_t> seen;
  for (uint32_t p : picture.pixels) {
    seen.insert(p);
    if (static_cast<int>(seen.size()) >= limit) break;
  }
  return static_cast<int>(seen.size());
}
