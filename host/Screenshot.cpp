#include "host/Screenshot.h"

#include <wincodec.h>

#include "host/SystemText_win.h"

namespace {

template <class T>
struct ComPtr {
  T* p = nullptr;
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

bool Fail(std::string* error, HRESULT hr) {
  if (error) *error = ResultText(hr);
  return false;
}

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(wide.size() - 1);
  return wide;
}

// The pixels as the format stores them: 32 bits for PNG, 24 for BMP (the common bitmap).
std::vector<BYTE> PixelBytes(const Image& image, TPictureFormat format, UINT& stride) {
  const auto* bytes = reinterpret_cast<const BYTE*>(image.Pixels.data());
  if (format == TPictureFormat::Png) {
    stride = static_cast<UINT>(image.Width) * 4;
    return std::vector<BYTE>(bytes, bytes + image.Pixels.size() * 4);
  }
  stride = static_cast<UINT>(image.Width) * 3;
  std::vector<BYTE> rgb;
  rgb.reserve(image.Pixels.size() * 3);
  for (uint32_t p : image.Pixels) {
    rgb.push_back(static_cast<BYTE>(p));
    rgb.push_back(static_cast<BYTE>(p >> 8));
    rgb.push_back(static_cast<BYTE>(p >> 16));
  }
  return rgb;
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

HRESULT EncodeFrame(IWICBitmapEncoder* encoder, const Image& image, TPictureFormat format) {
  ComPtr<IWICBitmapFrameEncode> frame;
  const WICPixelFormatGUID wanted = format == TPictureFormat::Png ? GUID_WICPixelFormat32bppBGR
                                                                  : GUID_WICPixelFormat24bppBGR;
  WICPixelFormatGUID given = wanted;
  UINT stride = 0;
  std::vector<BYTE> pixels = PixelBytes(image, format, stride);
  HRESULT hr;
  if (FAILED(hr = encoder->CreateNewFrame(&frame, nullptr)) ||
      FAILED(hr = frame->Initialize(nullptr)) ||
      FAILED(hr = frame->SetSize(image.Width, image.Height)) ||
      FAILED(hr = frame->SetPixelFormat(&given)))
    return hr;
  if (given != wanted) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  if (FAILED(hr = frame->WritePixels(image.Height, stride, static_cast<UINT>(pixels.size()),
                                     pixels.data())))
    return hr;
  return frame->Commit();
}

bool Encode(const Image& image, const std::string& path, TPictureFormat format,
            std::string* error) {
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory));
  if (FAILED(hr)) return Fail(error, hr);
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  const GUID container =
      format == TPictureFormat::Png ? GUID_ContainerFormatPng : GUID_ContainerFormatBmp;
  if (FAILED(hr = factory->CreateStream(&stream)) ||
      FAILED(hr = stream->InitializeFromFilename(Wide(path).c_str(), GENERIC_WRITE)) ||
      FAILED(hr = factory->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(hr = encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) ||
      FAILED(hr = EncodeFrame(encoder.p, image, format)) || FAILED(hr = encoder->Commit()))
    return Fail(error, hr);
  return true;
}

}  // namespace

bool SavePicture(const Image& image, const std::string& path, TPictureFormat format,
                 std::string* error) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool ok = Encode(image, path, format, error);
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}
