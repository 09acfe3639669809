// Pictures of windows as the user sees them, and PNG or BMP files of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/Options.h"

struct Image {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// The screen's pixels under the window (whole window, or its client area only).
Image CaptureWindow(HWND hwnd, bool clientOnly);
// Writes the picture as a file of the format; returns false with the system's reason on
// failure.
bool SavePicture(const Image& image, const std::string& path, TPictureFormat format,
                 std::string* error = nullptr);
