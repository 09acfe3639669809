// The drawing area's context menu and its export of the measured values: the menu from the
// mouse and the keys, the save dialog, the file, and a replay of it through a fresh block.
#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/Samples.h"
#include "support/BlockHost_win.h"
#include "support/PlotCheck_win.h"
#include "support/SystemFile_win.h"
#include "support/UiDriver_win.h"

namespace {

constexpr int kMenuExport = 130;     // "Messwerte exportieren ..."
constexpr int kMenuSave = 132;       // "Bild speichern ..."
constexpr int kFileNameBox = 0x47C;  // cmb13 of the file dialog

// The texts of the popup menu that opens while open() runs on the test thread; the menu is
// then closed with Escape.
std::vector<std::string> MenuOpenedBy(const std::function<void()>& open) {
  std::vector<std::string> items;
  const DWORD thread = GetCurrentThreadId();
  uitest::TDriver driver(thread, [&] {
    HWND menuWindow = nullptr;
    uitest::WaitFor([&] {
      menuWindow = uitest::FindThreadWindow(thread, [](HWND w) {
        return uitest::ClassOf(w) == "#32768";
      });
      return menuWindow != nullptr;
    });
    if (!menuWindow) return;
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[128] = "";
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      items.push_back(text);
    }
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    uitest::WaitFor([&] { return !IsWindowVisible(menuWindow); });
  });
  open();
  driver.Join();
  Settle();
  return items;
}

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

TEST(PlotWindowMenu, TheMouseAndTheMenuKeysOpenTheMenuOfTheCommandsThatWork) {
  TestHost host;
  HostBlock& block = host.Place();
  const HWND area = DrawingArea(host.WindowOf(block));
  SendMessageA(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageA(area, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_EQ(GetFocus(), area) << "a click gives the drawing area the focus";
  const std::vector<std::string> entries{"Bild kopieren\tStrg+C", "Bild speichern \x85",
                                        "Messwerte exportieren \x85"};
  const struct {
    const char* name;
    std::function<void()> open;
  } openers[] = {
      {"right button",
       [&] {
         SendMessageA(area, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 30));
         SendMessageA(area, WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
       }},
      {"menu key", [&] { SendMessageA(area, WM_KEYDOWN, VK_APPS, 1); }},
      {"Shift+F10",
       [&] {
         SetShift(true);
         SendMessageA(area, WM_SYSKEYDOWN, VK_F10, 1);
         SetShift(false);
       }},
  };
  for (const auto& o : openers) EXPECT_EQ(MenuOpenedBy(o.open), entries) << o.name;
  // F10 alone is no menu key.
  EXPECT_EQ(MenuOpenedBy([&] { SendMessageA(area, WM_SYSKEYDOWN, VK_F10, 1); }),
            std::vector<std::string>{});
}

// Runs the export command (or another of the menu's) as the menu gives it; the save dialog is confirmed with file, or
// cancelled when file is empty. Message boxes that open after the dialog are read and answered
// with Yes where they ask, else OK. False when no save dialog opened.
bool ExportThroughDialog(HWND window, const std::string& file,
                         std::vector<uitest::TBoxInfo>* boxes = nullptr,
                         int command = kMenuExport) {
  bool seen = false;
  const DWORD thread = GetCurrentThreadId();
  uitest::TDriver driver(thread, [&] {
    HWND dialog = nullptr;
    uitest::WaitFor([&] {
      dialog = uitest::FindThreadWindow(thread, [](HWND w) {
        return uitest::ClassOf(w) == "#32770" && !uitest::IsMessageBox(w);
      });
      return dialog != nullptr;
    }, 10000);
    if (!dialog) return;
    seen = true;
    if (file.empty()) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
      SetWindowTextA(GetDlgItem(dialog, kFileNameBox), file.c_str());
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    HWND last = nullptr;
    while (IsWindow(dialog) || boxes) {
      HWND box = nullptr;
      if (!uitest::WaitFor([&] {
            box = uitest::FindThreadWindow(thread, uitest::IsMessageBox);
            return (box && box != last) || (!boxes && !IsWindow(dialog));
          }, 1500) || !box || box == last)
        break;
      last = box;
      const uitest::TBoxInfo info = uitest::ReadBox(box);
      if (boxes) boxes->push_back(info);
      const bool asks = std::count(info.Buttons.begin(), info.Buttons.end(), IDYES) > 0;
      uitest::CloseBox(box, asks ? IDYES : IDOK);
    }
  });
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  driver.Join();
  Settle();
  return seen;
}

// Files of the export's temporary names in the folder of file.
int TemporaryFilesBeside(const std::string& file) {
  const std::string pattern = file.substr(0, file.find_last_of('\\') + 1) + "trz*.tmp";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int n = 1;
  while (FindNextFileA(search, &found)) ++n;
  FindClose(search);
  return n;
}

bool Exists(const std::string& file) {
  return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A fresh block with the settings replays the file as trazelplay does: the first step starts
// the run.
Image Replay(TestHost& host, const std::string& settings, const std::string& file) {
  HostBlock& block = host.Place("Wiedergabe");
  systemfile::ReadSettings(host, block, settings);
  std::ifstream in(file, std::ios::binary);
  int problems = 0;
  TSampleReader reader(in, [&](const TSampleProblem&) { ++problems; });
  TSample s;
  for (bool first = true; reader.Next(s); first = false) {
    if (first) {
      host.InitRun(block, s.X, s.Y, s.Control);
    } else {
      host.Step(block, s.X, s.Y, s.Control);
    }
  }
  EXPECT_EQ(problems, 0);
  host.EndRun();
  RepaintNow(host.WindowOf(block));
  return DrawingAreaPixels(host.WindowOf(block));
}

struct TStep {
  long double x, y, control;
};

TEST(PlotWindowExport, AReplayOfTheExportedValuesDrawsTheSamePicture) {
  const long double big = 3.4028234663852886e38L;  // the largest float
  std::vector<TStep> many;
  for (int i = 0; i < 600; ++i)
    many.push_back({std::sin(i * 0.05L) * 0.9L, std::cos(i * 0.031L) * 0.9L, (i / 50) % 3 == 2 ? 5.0L : 0});
  const struct {
    const char* name;
    const char* range;  // of both axes, from its negative
    const char* axes;
    std::vector<TStep> steps;
    int minBlue;  // line pixels that the picture must show
  } cases[] = {
      {"one trace", "1", "0", {{-0.9L, -0.5L, 0}, {0.1L, 0.7L, 0}, {0.8L, -0.2L, 0}}, 150},
      {"many traces and pen lifts", "1", "1", many, 800},
      {"points beyond the float range",
       "1", "0",
       {{-0.8L, 0, 0}, {-0.2L, 0.5L, 0}, {1e39L, 0.5L, 0}, {0.2L, -0.5L, 0}, {0.8L, 0.5L, 0},
        {0.5L, -1e40L, 0}, {0.1L, 0.1L, 0}, {0.9L, 0.9L, 0}},
       100},
      {"ends of the float range",
       "3.4E38", "0",
       {{-big, -big, 0}, {big, big, 0}, {1e-45L, 0, 0}, {big, -big, 0}, {0, 0, 9}, {-big, big, 0},
        {0, 0, 0}},
       300},
  };
  for (const auto& c : cases) {
    const std::string settings = systemfile::Lines(
        {std::string("-") + c.range, c.range, std::string("-") + c.range, c.range, "0", "0",
         "100", "100", c.axes, "*.*"});
    const std::string file = systemfile::TempPath("export.csv");
    DeleteFileA(file.c_str());
    TestHost host;
    HostBlock& block = host.Place();
    systemfile::ReadSettings(host, block, settings);
    host.InitRun(block, c.steps[0].x, c.steps[0].y, c.steps[0].control);
    for (size_t i = 1; i < c.steps.size(); ++i)
      host.Step(block, c.steps[i].x, c.steps[i].y, c.steps[i].control);
    host.EndRun();
    const HWND window = host.WindowOf(block);
    ASSERT_TRUE(ExportThroughDialog(window, file)) << c.name;
    ASSERT_TRUE(Exists(file)) << c.name;
    RepaintNow(window);
    const Image original = DrawingAreaPixels(window);
    const Image replayed = Replay(host, settings, file);
    ASSERT_EQ(original.Pixels.size(), replayed.Pixels.size()) << c.name;
    size_t differing = 0;
    for (size_t i = 0; i < original.Pixels.size(); ++i)
      differing += original.Pixels[i] != replayed.Pixels[i];
    EXPECT_EQ(differing, 0u) << c.name;
    EXPECT_GT(CountColour(original, kLineBlue), c.minBlue) << c.name;
    if (c.steps.size() == 7) {
      EXPECT_EQ(systemfile::ReadFileBytes(file),
                "x,y,control\r\n-3.4028235e+38,-3.4028235e+38,0\r\n3.4028235e+38,3.4028235e+38,0\r\n"
                "1e-45,0,0\r\n3.4028235e+38,-3.4028235e+38,0\r\n-3.4028235e+38,3.4028235e+38,5\r\n"
                "-3.4028235e+38,3.4028235e+38,0\r\n0,0,0\r\n");
    }
    DeleteFileA(file.c_str());
  }
}

// A cancelled dialog writes nothing. A file that cannot be replaced (held open) gives one message with
// its name and the system's reason, keeps its content and leaves nothing beside it; the window
// goes on working.
TEST(PlotWindowExport, OnlyTheDialogWritesAndAFailureLosesNothing) {
  TestHost host;
  HostBlock& block = host.Place();
  const HWND window = host.WindowOf(block);
  host.InitRun(block, 0, 0, 0);
  host.Step(block, 0.5L, 0.5L, 0);
  host.EndRun();
  const std::string file = systemfile::TempPath("cancelled.csv");
  DeleteFileA(file.c_str());
  std::vector<uitest::TBoxInfo> boxes;
  ASSERT_TRUE(ExportThroughDialog(window, "", &boxes));
  EXPECT_FALSE(Exists(file));
  EXPECT_TRUE(boxes.empty());

  // Held open by another program that lets nobody replace it.
  const std::string kept = systemfile::TempPath("held.csv");
  systemfile::WriteFileBytes(kept, "old");
  HANDLE held = CreateFileA(kept.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ExportThroughDialog(window, kept, &boxes));
  CloseHandle(held);
  ASSERT_EQ(boxes.size(), 2u) << "the question to replace, then the failure";
  const std::string head =
      "Die Messwerte konnten nicht in die Datei \"" + kept + "\" geschrieben werden.\r\n";
  EXPECT_EQ(boxes[1].Text.substr(0, head.size()), head);
  EXPECT_GT(boxes[1].Text.size(), head.size() + 5) << "the system's reason follows";
  EXPECT_EQ(systemfile::ReadFileBytes(kept), "old");
  EXPECT_EQ(TemporaryFilesBeside(kept), 0);
  DeleteFileA(kept.c_str());

  const std::string written = systemfile::TempPath("after.csv");
  ASSERT_TRUE(ExportThroughDialog(window, written));
  EXPECT_EQ(systemfile::ReadFileBytes(written), "x,y,control\r\n0,0,0\r\n0.5,0.5,0\r\n");
  EXPECT_EQ(TemporaryFilesBeside(written), 0);
  DeleteFileA(written.c_str());
}

// Started as win_tests.exe --paste "FILE", the test program is the other process that pastes
// the picture: it writes the clipboard's bitmap to FILE.dib and its metafile to FILE.emf and ends
// before any test runs, with status 0 when both formats were there.
std::string PastedFile(const std::string& file, const char* kind) { return file + "." + kind; }

void WriteBytes(const std::string& file, const void* data, size_t size) {
  std::ofstream(file, std::ios::binary).write(static_cast<const char*>(data), std::streamsize(size));
}

struct TPaster {
  TPaster() {
    static const char kOption[] = " --paste \"";
    const char* option = std::strstr(GetCommandLineA(), kOption);
    if (!option) return;
    std::string file = option + sizeof kOption - 1;
    file = file.substr(0, file.find('"'));
    int status = 2;
    if (OpenClipboard(nullptr)) {
      HGLOBAL dib = GetClipboardData(CF_DIB);
      const void* bytes = dib ? GlobalLock(dib) : nullptr;
      HENHMETAFILE metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
      if (bytes && metafile) {
        WriteBytes(PastedFile(file, "dib"), bytes, GlobalSize(dib));
        std::vector<BYTE> records(GetEnhMetaFileBits(metafile, 0, nullptr));
        GetEnhMetaFileBits(metafile, static_cast<UINT>(records.size()), records.data());
        WriteBytes(PastedFile(file, "emf"), records.data(), records.size());
        status = 0;
      }
      if (bytes) GlobalUnlock(dib);
      CloseClipboard();
    }
    ExitProcess(status);
  }
} paster;

// Runs the pasting process with FILE; its status.
DWORD PasteInOtherProcess(const std::string& file) {
  std::string command = "\"" + uitest::ProgramFolder() + "win_tests.exe\" --paste \"" + file + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return GetLastError();
  // The clipboard's owner renders nothing later, but its messages keep flowing meanwhile.
  uitest::PumpUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 30000);
  DWORD status = 1;
  GetExitCodeProcess(pi.hProcess, &status);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return status;
}

void SetControl(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// The pixels of a packed 24-bit bitmap, bottom row first, as 0x00RRGGBB top row first.
Image FromPackedBitmap(const BITMAPINFOHEADER* header) {
  Image image;
  image.Width = header->biWidth;
  image.Height = header->biHeight;
  const auto* bits = reinterpret_cast<const uint8_t*>(header + 1);
  const size_t stride = (static_cast<size_t>(image.Width) * 3 + 3) & ~size_t(3);
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x) {
      const uint8_t* p = bits + (image.Height - 1 - y) * stride + x * 3;
      image.Pixels.push_back(uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
    }
  return image;
}

// The metafile played into a white bitmap of the given size.
Image Played(HENHMETAFILE metafile, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  RECT r{0, 0, width, height};
  FillRect(memory, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PlayEnhMetaFile(memory, metafile, &r);
  GdiFlush();
  Image image;
  image.Width = width;
  image.Height = height;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  image.Pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
  for (uint32_t& p : image.Pixels) p &= 0x00FFFFFFu;
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  return image;
}

// A block with axes on and one zigzag trace of 40 segments, its run ended.
HostBlock& PlaceZigzag(TestHost& host) {
  HostBlock& block = host.Place();
  systemfile::ReadSettings(host, block,
                           systemfile::Lines({"-1", "1", "-1", "1", "15", "15", "80", "80", "1", "*.*"}));
  host.InitRun(block, -0.9L, -0.5L, 0);
  for (int i = 1; i <= 40; ++i) host.Step(block, -0.9L + 0.045L * i, (i % 7) * 0.3L - 0.9L, 0);
  host.EndRun();
  return block;
}

size_t Differing(const Image& a, const Image& b) {
  if (a.Pixels.size() != b.Pixels.size()) return a.Pixels.size() + b.Pixels.size();
  size_t n = 0;
  for (size_t i = 0; i < a.Pixels.size(); ++i) n += a.Pixels[i] != b.Pixels[i];
  return n;
}

// Strg+C in the drawing area: the clipboard holds the window's pixels and a metafile of the same
// picture, with axes, numbers and titles.
TEST(PlotWindowCopy, TheClipboardGetsTheWindowsPixelsAndAMetafileOfThePicture) {
  TestHost host;
  HostBlock& block = PlaceZigzag(host);
  const HWND window = host.WindowOf(block);
  const HWND area = DrawingArea(window);
  SendMessageA(area, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SetControl(true);
  SendMessageA(area, WM_KEYDOWN, 'C', 1);
  SetControl(false);
  Settle();
  const Image shown = DrawingAreaPixels(window);
  ASSERT_GT(CountColour(shown, kLineBlue), 200);

  const std::string pasted = systemfile::TempPath("pasted");
  ASSERT_EQ(PasteInOtherProcess(pasted), 0u) << "another process sees both formats";
  const std::string dib = systemfile::ReadFileBytes(PastedFile(pasted, "dib"));
  ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  EXPECT_EQ(header->biBitCount, 24);
  ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER) + header->biSizeImage);
  const Image copied = FromPackedBitmap(header);
  const std::string records = systemfile::ReadFileBytes(PastedFile(pasted, "emf"));
  // Later tests find the clipboard empty, as before this one.
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  const HENHMETAFILE metafile = SetEnhMetaFileBits(
      static_cast<UINT>(records.size()), reinterpret_cast<const BYTE*>(records.data()));
  DeleteFileA(PastedFile(pasted, "dib").c_str());
  DeleteFileA(PastedFile(pasted, "emf").c_str());
  ASSERT_EQ(copied.Width, shown.Width);
  ASSERT_EQ(copied.Height, shown.Height);
  EXPECT_EQ(Differing(copied, shown), 0u);

  ASSERT_TRUE(metafile);
  ENHMETAHEADER head{};
  ASSERT_TRUE(GetEnhMetaFileHeader(metafile, sizeof head, &head));
  EXPECT_GT(head.nRecords, 40u);
  HDC screen = GetDC(nullptr);
  const double hundredths = 100.0 * GetDeviceCaps(screen, HORZSIZE) / GetDeviceCaps(screen, HORZRES);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(head.rclFrame.left, 0);
  EXPECT_NEAR(head.rclFrame.right, shown.Width * hundredths, hundredths + 1);
  const Image played = Played(metafile, shown.Width, shown.Height);
  DeleteEnhMetaFile(metafile);
  // The letters of numbers and titles, beside the plot area, may be smoothed otherwise; the plot
  // area (15 % from the left and bottom, 80 % wide and high) is the same pixel for pixel.
  size_t inside = 0;
  const int left = shown.Width * 15 / 100 + 4, right = shown.Width * 95 / 100 - 4;
  const int top = shown.Height * 5 / 100 + 4, bottom = shown.Height * 85 / 100 - 4;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) inside += played.At(x, y) != shown.At(x, y);
  EXPECT_EQ(inside, 0u);
  EXPECT_LT(Differing(played, shown), shown.Pixels.size() / 20);
  EXPECT_NEAR(CountColour(played, kLineBlue), CountColour(shown, kLineBlue),
              CountColour(shown, kLineBlue) / 50);
}

// The pixels of a PNG file, read back through the platform's imaging component.
Image DecodedPng(const std::string& file) {
  Image image;
  const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  const std::wstring name(file.begin(), file.end());
  UINT width = 0, height = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->CreateDecoderFromFilename(name.c_str(), nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
      SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                      nullptr, 0, WICBitmapPaletteTypeCustom))) {
    image.Width = static_cast<int>(width);
    image.Height = static_cast<int>(height);
    image.Pixels.resize(static_cast<size_t>(width) * height);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                     reinterpret_cast<BYTE*>(image.Pixels.data()))))
      image = Image{};
    for (uint32_t& p : image.Pixels) p &= 0x00FFFFFFu;
  }
  for (IUnknown* object : std::initializer_list<IUnknown*>{converter, frame, decoder, factory})
    if (object) object->Release();
  if (SUCCEEDED(apartment)) CoUninitialize();
  return image;
}

// "Bild speichern": the window's picture as PNG or as EMF, by the name's ending; a file that
// cannot be replaced gives one message, keeps its content and leaves nothing beside it.
TEST(PlotWindowSave, TheDialogSavesThePictureAsPngOrEmfAndAFailureLosesNothing) {
  TestHost host;
  HostBlock& block = PlaceZigzag(host);
  const HWND window = host.WindowOf(block);
  RepaintNow(window);
  const Image shown = DrawingAreaPixels(window);
  ASSERT_GT(CountColour(shown, kLineBlue), 200);

  const std::string png = systemfile::TempPath("saved.png");
  ASSERT_TRUE(ExportThroughDialog(window, png, nullptr, kMenuSave));
  EXPECT_EQ(systemfile::ReadFileBytes(png).substr(0, 8), "\x89PNG\r\n\x1A\n");
  const Image decoded = DecodedPng(png);
  ASSERT_EQ(decoded.Width, shown.Width);
  ASSERT_EQ(decoded.Height, shown.Height);
  EXPECT_EQ(Differing(decoded, shown), 0u);
  EXPECT_EQ(TemporaryFilesBeside(png), 0);
  DeleteFileA(png.c_str());

  const std::string emf = systemfile::TempPath("saved.emf");
  ASSERT_TRUE(ExportThroughDialog(window, emf, nullptr, kMenuSave));
  const HENHMETAFILE metafile = GetEnhMetaFileA(emf.c_str());
  ASSERT_TRUE(metafile);
  ENHMETAHEADER head{};
  EXPECT_TRUE(GetEnhMetaFileHeader(metafile, sizeof head, &head));
  DeleteEnhMetaFile(metafile);
  HDC screen = GetDC(nullptr);
  const double hundredths = 100.0 * GetDeviceCaps(screen, VERTSIZE) / GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(head.rclFrame.top, 0);
  EXPECT_NEAR(head.rclFrame.bottom, shown.Height * hundredths, hundredths + 1);
  EXPECT_GT(head.nRecords, 40u) << "a line for each step, the grid and the numbers";
  DeleteFileA(emf.c_str());

  const std::string kept = systemfile::TempPath("held.png");
  systemfile::WriteFileBytes(kept, "old");
  HANDLE held = CreateFileA(kept.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::vector<uitest::TBoxInfo> boxes;
  ASSERT_TRUE(ExportThroughDialog(window, kept, &boxes, kMenuSave));
  CloseHandle(held);
  ASSERT_EQ(boxes.size(), 2u) << "the question to replace, then the failure";
  const std::string head1 =
      "Das Bild konnte nicht in die Datei \"" + kept + "\" geschrieben werden.\r\n";
  EXPECT_EQ(boxes[1].Text.substr(0, head1.size()), head1);
  EXPECT_GT(boxes[1].Text.size(), head1.size() + 5) << "the system's reason follows";
  EXPECT_EQ(systemfile::ReadFileBytes(kept), "old");
  EXPECT_EQ(TemporaryFilesBeside(kept), 0);
  DeleteFileA(kept.c_str());
}

}  // namespace
