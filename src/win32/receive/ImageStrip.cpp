#include "win32/receive/ImageStrip.h"

#include <stdexcept>

namespace bailan {
TImageList ImageListFromStrip(const TPicture& picture, int size, const std::vector<int>& slots) {
  TImageList list(ImageList_Create(size, size, ILC_COLOR32, static_cast<int>(slots.size()), 0));
  if (!list) throw std::runtime_error("ImageList_Create failed");
  TMemoryDc source(CreateCompatibleDC(nullptr));
  TMemoryDc target(CreateCompatibleDC(nullptr));
  TSelection strip(source.Get(), picture.Bitmap.Get());
  for (int slot : slots) {
    void* bits = nullptr;
    TBitmap bitmap = CreateDib(size, size, &bits);
    {
      // The slot's pixels with their alpha as they are: no blending here.
      TSelection selected(target.Get(), bitmap.Get());
      BitBlt(target.Get(), 0, 0, size, size, source.Get(), slot * size, 0, SRCCOPY);
    }
    if (ImageList_Add(list.Get(), bitmap.Get(), nullptr) < 0)
      throw std::runtime_error("ImageList_Add failed");
  }
  return list;
}

}  // namespace bailan
