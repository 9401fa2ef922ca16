#include "win32/common/Pictures.h"

#include <wincodec.h>

#include <stdexcept>

namespace bailan {
namespace {

void Check(HRESULT result, const char* what) {
  if (FAILED(result)) throw std::runtime_error(what);
}

// The bytes of the RCDATA resource `id`; they live as long as the program.
std::pair<const BYTE*, DWORD> ResourceBytes(int id) {
  const HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (found == nullptr) throw std::runtime_error("The picture resource is missing");
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) throw std::runtime_error("The picture resource cannot be read");
  return {static_cast<const BYTE*>(bytes), size};
}

// Decodes PNG resource `id` into a DIB of `format`, scaled to `size` when it is
// not zero.
TPicture Decode(int id, REFWICPixelFormatGUID format, SIZE size) {
  const auto [bytes, length] = ResourceBytes(id);
  TComPtr<IWICImagingFactory> factory;
  Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         factory.PutVoid()),
        "The picture decoder is not available");
  TComPtr<IWICStream> stream;
  Check(factory->CreateStream(stream.Put()), "The picture stream cannot be made");
  Check(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), length), "The picture stream cannot be made");
  TComPtr<IWICBitmapDecoder> decoder;
  Check(
      factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put()),
      "The picture is no PNG");
  TComPtr<IWICBitmapFrameDecode> frame;
  Check(decoder->GetFrame(0, frame.Put()), "The picture has no frame");
  TComPtr<IWICFormatConverter> converter;
  Check(factory->CreateFormatConverter(converter.Put()), "The picture cannot be converted");
  Check(converter->Initialize(frame.Get(), format, WICBitmapDitherTypeNone, nullptr, 0.0,
                              WICBitmapPaletteTypeCustom),
        "The picture cannot be converted");
  TComPtr<IWICBitmapSource> source = converter.As<IWICBitmapSource>(IID_IWICBitmapSource);
  TComPtr<IWICBitmapScaler> scaler;
  if (size.cx > 0 && size.cy > 0) {
    Check(factory->CreateBitmapScaler(scaler.Put()), "The picture cannot be scaled");
    Check(scaler->Initialize(source.Get(), static_cast<UINT>(size.cx), static_cast<UINT>(size.cy),
                             WICBitmapInterpolationModeFant),
          "The picture cannot be scaled");
    source = scaler.As<IWICBitmapSource>(IID_IWICBitmapSource);
  }
  if (!source) throw std::runtime_error("The picture cannot be converted");
  UINT width = 0, height = 0;
  Check(source->GetSize(&width, &height), "The picture has no size");
  // Pictures of the window are small; a huge size is a broken resource.
  constexpr UINT kMaxPictureSide = 4096;
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    throw std::runtime_error("The picture's size is out of range");
  }
  TPicture picture;
  picture.Width = static_cast<int>(width);
  picture.Height = static_cast<int>(height);
  void* bits = nullptr;
  picture.Bitmap = CreateDib(picture.Width, picture.Height, &bits);
  const UINT stride = width * 4;
  Check(source->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)),
        "The picture cannot be decoded");
  return picture;
}

}  // namespace

TPicture LoadPicture(int id) {
  return Decode(id, GUID_WICPixelFormat32bppPBGRA, SIZE{0, 0});
}

void DrawPicture(HDC dc, const TPicture& picture, RECT source, RECT target) {
  if (!picture.Bitmap) return;
  TMemoryDc memory(CreateCompatibleDC(dc));
  TSelection selected(memory.Get(), picture.Bitmap.Get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  SetStretchBltMode(dc, HALFTONE);
  AlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
             memory.Get(), source.left, source.top, source.right - source.left, source.bottom - source.top,
             blend);
}

RECT PictureSlot(int index, int width, int height) {
  return RECT{index * width, 0, (index + 1) * width, height};
}

RECT WholePicture(const TPicture& picture) {
  return RECT{0, 0, picture.Width, picture.Height};
}

TIcon LoadIconPicture(int id, int size) {
  const TPicture colour = Decode(id, GUID_WICPixelFormat32bppBGRA, SIZE{size, size});
  // The mask is unused for a 32-bit colour bitmap with alpha, but must exist.
  TBitmap mask(CreateBitmap(colour.Width, colour.Height, 1, 1, nullptr));
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = colour.Bitmap.Get();
  info.hbmMask = mask.Get();
  TIcon icon(CreateIconIndirect(&info));
  if (!icon) throw std::runtime_error("CreateIconIndirect failed");
  return icon;
}

TBitmap CreateDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  TBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
  if (!bitmap || *bits == nullptr) throw std::runtime_error("CreateDIBSection failed");
  return bitmap;
}

}  // namespace bailan
