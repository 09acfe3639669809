// Pictures of a window's client area, kept as BMP files and compared pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// The client area of the window with its child windows, read from the window's own
// surface: what is drawn there counts at once, before the screen is refreshed.
Picture CaptureClient(HWND hwnd);

// 32 bits per pixel, top row last, as Windows writes them.
bool WriteBmp(const std::string& path, const Picture& picture);
// Reads what WriteBmp wrote; false for any other layout.
bool ReadBmp(const std::string& path, Picture& picture);

// Number of pixels that differ; -1 when the sizes differ.
long CountDifferentPixels(const Picture& a, const Picture& b);
// Number of different colours, up to `limit`.
int CountColours(const Picture& picture, int limit);
