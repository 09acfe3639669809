// Pictures of windows as the user sees them, and PNG files of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Image {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, top row first
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// The screen's pixels under the window (whole window, or its client area only).
Image CaptureWindow(HWND hwnd, bool clientOnly);
// Writes the picture as a PNG file; returns false with a reason on failure.
bool SavePng(const Image& image, const std::string& path, std::string* error = nullptr);
