#include "block/TrazelPng_win.h"

#include <objbase.h>
#include <wincodec.h>

namespace {

// One reference to a COM object, released when the guard goes.
template <class T>
class TComRef {
 public:
  TComRef() = default;
  TComRef(const TComRef&) = delete;
  TComRef& operator=(const TComRef&) = delete;
  ~TComRef() {
    if (p_) p_->Release();
  }
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// The calling thread in a single-threaded apartment for as long as the guard lives; a thread
// that the host already put into another apartment is left as it is.
class TApartment {
 public:
  TApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  TApartment(const TApartment&) = delete;
  TApartment& operator=(const TApartment&) = delete;
  ~TApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

HRESULT WriteFrame(IWICBitmapEncoder* encoder, const BITMAPINFOHEADER& header,
                   const uint8_t* rows) {
  const UINT width = static_cast<UINT>(header.biWidth);
  const UINT height = static_cast<UINT>(header.biHeight);
  const UINT stride = (width * 3 + 3) & ~3u;
  TComRef<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  HRESULT hr;
  if (FAILED(hr = encoder->CreateNewFrame(frame.Out(), nullptr)) ||
      FAILED(hr = frame->Initialize(nullptr)) || FAILED(hr = frame->SetSize(width, height)) ||
      FAILED(hr = frame->SetPixelFormat(&format)))
    return hr;
  if (format != GUID_WICPixelFormat24bppBGR) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  // The bitmap keeps its bottom row first, the file its top row.
  for (UINT y = 0; y < height; ++y) {
    BYTE* row = const_cast<BYTE*>(rows + static_cast<size_t>(height - 1 - y) * stride);
    if (FAILED(hr = frame->WritePixels(1, stride, stride, row))) return hr;
  }
  return frame->Commit();
}

HRESULT StreamBytes(IStream* stream, std::vector<uint8_t>& bytes) {
  STATSTG stat{};
  HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
  const LARGE_INTEGER start{};
  if (FAILED(hr = stream->Seek(start, STREAM_SEEK_SET, nullptr))) return hr;
  ULONG read = 0;
  if (FAILED(hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read))) return hr;
  return read == bytes.size() ? S_OK : E_FAIL;
}

}  // namespace

HRESULT EncodePng(const BITMAPINFOHEADER& header, const uint8_t* rows, std::vector<uint8_t>& png) {
  if (header.biWidth <= 0 || header.biHeight <= 0 || header.biBitCount != 24) return E_INVALIDARG;
  const TApartment apartment;
  if (!apartment.Usable()) return apartment.Result();
  TComRef<IWICImagingFactory> factory;
  TComRef<IStream> stream;
  TComRef<IWICBitmapEncoder> encoder;
  HRESULT hr;
  if (FAILED(hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(factory.Out()))) ||
      FAILED(hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) ||
      FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) ||
      FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
      FAILED(hr = WriteFrame(encoder.get(), header, rows)) || FAILED(hr = encoder->Commit()))
    return hr;
  return StreamBytes(stream.get(), png);
}
