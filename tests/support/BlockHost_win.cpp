#include "support/BlockHost_win.h"

#include <commctrl.h>

#include <cstring>
#include <stdexcept>

TestHost::TestHost() : lib_(new BlockLibrary()), hostWindow_(CreateHostWindow()) {}

TestHost::~TestHost() {
  for (auto& block : blocks_)
    if (block) Api().DisposeUserDLL(block->Record());
  blocks_.clear();
  if (hostWindow_) DestroyWindow(hostWindow_);
  Settle(1);
}

HostBlock& TestHost::Place(const std::string& title) {
  blocks_.emplace_back(new HostBlock(hostWindow_, title));
  HostBlock& block = *blocks_.back();
  Api().InitUserDLL(block.Record());
  HWND window = FindPlotWindow(windows_);
  windows_.push_back(window);
  Settle();
  return block;
}

HWND TestHost::WindowOf(HostBlock& block) {
  for (size_t i = 0; i < blocks_.size(); ++i)
    if (blocks_[i].get() == &block) return windows_[i];
  return nullptr;
}

void TestHost::Dispose(HostBlock& block) {
  for (size_t i = 0; i < blocks_.size(); ++i) {
    if (blocks_[i].get() != &block) continue;
    Api().DisposeUserDLL(block.Record());
    blocks_[i].reset();
    windows_[i] = nullptr;
  }
  Settle();
}

void TestHost::Forget(HostBlock& block) {
  for (size_t i = 0; i < blocks_.size(); ++i)
    if (blocks_[i].get() == &block) {
      blocks_[i].reset();
      windows_[i] = nullptr;
    }
}

void TestHost::InitRun(HostBlock& block, long double x, long double y, long double control) {
  InputRecord in(x, y, control);
  Api().InitSimulationDLL(block.Record(), in.bytes, 0);
}

void TestHost::Step(HostBlock& block, long double x, long double y, long double control) {
  InputRecord in(x, y, control);
  Api().SimulateDLL(0, 0, 0, block.Record(), in.bytes, 0);
}

void TestHost::EndRun() { Api().EndSimulationDLL(); }

void Settle(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    PumpMessages();
    Sleep(5);
  }
  PumpMessages();
}

std::string StatusBarText(HWND statusBar) {
  // Windows reads the simple text as part SB_SIMPLEID, Wine as part 0.
  for (WPARAM part : {static_cast<WPARAM>(SB_SIMPLEID), static_cast<WPARAM>(0)}) {
    std::string text(1024, '\0');
    SendMessageA(statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    if (!text.empty()) return text;
  }
  return std::string();
}

HWND DrawingArea(HWND plotWindow) { return FindChild(plotWindow, "TrazelScrollBox"); }

Image DrawingAreaPicture(HWND plotWindow) { return CaptureWindow(DrawingArea(plotWindow), true); }

Image DrawingAreaPixels(HWND plotWindow) {
  HWND area = DrawingArea(plotWindow);
  RECT client{};
  GetClientRect(area, &client);
  Image image;
  image.Width = client.right;
  image.Height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC window = GetDC(area);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(window, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(window);
  if (dib && memory) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    image.Pixels.assign(pixels, pixels + static_cast<size_t>(image.Width) * image.Height);
    for (uint32_t& p : image.Pixels) p &= 0x00FFFFFFu;
    SelectObject(memory, old);
  }
  if (memory) DeleteDC(memory);
  if (dib) DeleteObject(dib);
  ReleaseDC(area, window);
  return image;
}

int CountColour(const Image& image, uint32_t rgb) {
  int n = 0;
  for (uint32_t p : image.Pixels) n += (p == rgb);
  return n;
}
