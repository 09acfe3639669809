#include "host/BlockSession_win.h"

#include <commctrl.h>

#include <cstring>
#include <stdexcept>

#include "graphic/WinHandles_win.h"

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A file handle of the kind the host hands to ReadFromFile, closed with the guard.
class THostFile {
 public:
  explicit THostFile(const std::string& path) : file_(_lopen(path.c_str(), OF_READ)) {
    if (file_ == HFILE_ERROR) throw std::runtime_error("cannot open " + path);
  }
  ~THostFile() { _lclose(file_); }
  THostFile(const THostFile&) = delete;
  THostFile& operator=(const THostFile&) = delete;
  uint32_t Word() const { return static_cast<uint32_t>(file_); }

 private:
  HFILE file_;
};

// A file in the temporary folder, deleted with the guard.
class TTempFile {
 public:
  explicit TTempFile(const std::string& content) {
    char folder[MAX_PATH] = {}, name[MAX_PATH] = {};
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "trz", 0, name))
      throw std::runtime_error("cannot create a temporary file");
    path_ = name;
    HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                           nullptr);
    DWORD written = 0;
    const bool ok =
        h != INVALID_HANDLE_VALUE &&
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
        written == content.size();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok) {
      DeleteFileA(path_.c_str());
      throw std::runtime_error("cannot write the temporary file " + path_);
    }
  }
  ~TTempFile() { DeleteFileA(path_.c_str()); }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

TBlockSession::TBlockSession(BlockLibrary& library, const std::string& title)
    : library_(library), block_(nullptr, title) {
  const std::vector<HWND> before = PlotWindows();
  library_.Api().InitUserDLL(block_.Record());
  Settle();
  window_ = FindPlotWindow(before);
  if (!window_) throw std::runtime_error("the block opened no window");
}

TBlockSession::~TBlockSession() {
  library_.Api().DisposeUserDLL(block_.Record());
  Settle();
}

HWND TBlockSession::DrawingArea() const { return FindChild(window_, "TrazelScrollBox"); }

void TBlockSession::SetDrawingAreaSize(int width, int height) {
  HWND area = DrawingArea();
  if (!area) throw std::runtime_error("the block's window has no drawing area");
  // Twice: the first size can change how the bars lay themselves out.
  for (int round = 0; round < 2; ++round) {
    RECT window, client;
    GetWindowRect(window_, &window);
    GetClientRect(area, &client);
    const int w = Width(window) + width - client.right;
    const int h = Height(window) + height - client.bottom;
    RECT screen;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    if (w > Width(screen) || h > Height(screen))
      throw std::runtime_error("a drawing area of " + std::to_string(width) + "x" +
                               std::to_string(height) + " needs a window of " + std::to_string(w) +
                               "x" + std::to_string(h) + ", larger than the screen (" +
                               std::to_string(Width(screen)) + "x" +
                               std::to_string(Height(screen)) + ")");
    // Keep the window where it is unless that puts a part of it off the screen.
    const int x =
        window.left < screen.left || window.left + w > screen.right ? screen.left : window.left;
    const int y =
        window.top < screen.top || window.top + h > screen.bottom ? screen.top : window.top;
    SetWindowPos(window_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    Settle();
  }
  RECT client;
  GetClientRect(area, &client);
  if (client.right != width || client.bottom != height)
    throw std::runtime_error("the drawing area is " + std::to_string(client.right) + "x" +
                             std::to_string(client.bottom) + ", not " + std::to_string(width) +
                             "x" + std::to_string(height));
}

void TBlockSession::SetLineWidth(int width) {
  HWND upDown = FindChild(window_, UPDOWN_CLASSA);
  if (!upDown) throw std::runtime_error("the block's window has no line width field");
  SendMessageA(upDown, UDM_SETPOS32, 0, width);
  Settle();
}

void TBlockSession::ReadSettings(const std::string& path, const std::string& lines,
                                 bool useFileItself) {
  if (useFileItself) {
    THostFile file(path);
    library_.Api().ReadFromFile(file.Word(), block_.Record());
  } else {
    TTempFile copy(lines);
    THostFile file(copy.Path());
    library_.Api().ReadFromFile(file.Word(), block_.Record());
  }
  Settle();
}

void TBlockSession::Begin(const TSample& first) {
  InputRecord in(first.X, first.Y, first.Control);
  library_.Api().InitSimulationDLL(block_.Record(), in.bytes, 0);
}

void TBlockSession::Step(const TSample& sample) {
  InputRecord in(sample.X, sample.Y, sample.Control);
  library_.Api().SimulateDLL(0, 0, 0, block_.Record(), in.bytes, 0);
}

void TBlockSession::End() { library_.Api().EndSimulationDLL(); }

void TBlockSession::Repaint() {
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle();
}

void TBlockSession::Settle() {
  for (int i = 0; i < 10; ++i) {
    PumpMessages();
    Sleep(10);
  }
  PumpMessages();
}

Image TBlockSession::Picture(bool drawingAreaOnly) const {
  // Read from the window's own device context rather than from the screen: the window's
  // pixels as drawn, whether or not the display has shown them yet or covers a part of them.
  HWND area = DrawingArea();
  HWND source = drawingAreaOnly && area ? area : window_;
  RECT client;
  GetClientRect(source, &client);
  Image image;
  if (client.right <= 0 || client.bottom <= 0) return image;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  win::TWindowDC window(source);
  void* bits = nullptr;
  win::TUniqueBitmap dib(CreateDIBSection(window.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win::TUniqueDC memory(CreateCompatibleDC(window.get()));
  if (!dib || !memory) return image;
  {
    win::TSelectGuard selected = win::SelectObjectScoped(memory.get(), dib.get());
    BitBlt(memory.get(), 0, 0, client.right, client.bottom, window.get(), 0, 0, SRCCOPY);
    GdiFlush();
  }
  image.Width = client.right;
  image.Height = client.bottom;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  image.Pixels.assign(pixels, pixels + static_cast<size_t>(image.Width) * image.Height);
  for (uint32_t& p : image.Pixels) p &= 0x00FFFFFFu;
  return image;
}

void TBlockSession::ClickPrint() {
  HWND toolBar = FindChild(window_, TOOLBARCLASSNAMEA);
  TBBUTTON button{};
  if (!toolBar || !SendMessageA(toolBar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&button)))
    throw std::runtime_error("the block's window has no print button");
  // What a click on the button sends to the window.
  SendMessageA(window_, WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
               reinterpret_cast<LPARAM>(toolBar));
  Settle();
}

void TBlockSession::WaitUntilClosed() {
  while (IsWindow(window_) && !IsIconic(window_)) {
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0)
      PumpMessages();
  }
}
