#include "host/Screenshot.h"

#include <wincodec.h>

namespace {

template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

bool Fail(std::string* error, const char* what, HRESULT hr) {
  if (error) *error = std::string(what) + " failed (0x" + std::to_string(static_cast<unsigned long>(hr)) + ")";
  return false;
}

}  // namespace

Image CaptureWindow(HWND hwnd, bool clientOnly) {
  RECT r;
  if (clientOnly) {
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  } else {
    GetWindowRect(hwnd, &r);
  }
  Image image;
  image.Width = r.right - r.left;
  image.Height = r.bottom - r.top;
  if (image.Width <= 0 || image.Height <= 0) return Image{};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = image.Width;
  bi.bmiHeader.biHeight = -image.Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, image.Width, image.Height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  image.Pixels.assign(px, px + static_cast<size_t>(image.Width) * image.Height);
  for (auto& p : image.Pixels) p &= 0x00FFFFFFu;
  SelectObject(memory, old);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

namespace {

bool EncodePng(const Image& image, const std::string& path, std::string* error) {
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory));
  bool ok = false;
  if (FAILED(hr)) {
    ok = Fail(error, "WIC factory", hr);
  } else {
    std::wstring wide(path.begin(), path.end());
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    if (FAILED(hr = factory->CreateStream(&stream)) ||
        FAILED(hr = stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE)) ||
        FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
        FAILED(hr = encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
        FAILED(hr = encoder->CreateNewFrame(&frame, nullptr)) ||
        FAILED(hr = frame->Initialize(nullptr)) ||
        FAILED(hr = frame->SetSize(image.Width, image.Height)) ||
        FAILED(hr = frame->SetPixelFormat(&format)) ||
        FAILED(hr = frame->WritePixels(
                   image.Height, image.Width * 4, static_cast<UINT>(image.Pixels.size() * 4),
                   reinterpret_cast<BYTE*>(const_cast<uint32_t*>(image.Pixels.data())))) ||
        FAILED(hr = frame->Commit()) || FAILED(hr = encoder->Commit())) {
      ok = Fail(error, "PNG encoding", hr);
    } else {
      ok = true;
    }
  }
  return ok;
}

}  // namespace

bool SavePng(const Image& image, const std::string& path, std::string* error) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = EncodePng(image, path, error);
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}
