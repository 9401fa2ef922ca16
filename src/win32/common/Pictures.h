#pragma once

#include <windows.h>

#include "win32/common/Handles.h"

namespace bailan {

// A picture decoded once from a PNG resource of the program (RCDATA): a 32-bit
// top-down DIB section with premultiplied alpha, drawn with AlphaBlend.
struct TPicture {
  TBitmap Bitmap;
  int Width = 0;
  int Height = 0;
};

// Decodes the PNG resource `id` through WIC; raises an error when it is missing
// or no picture. GUI thread (COM initialised on it).
TPicture LoadPicture(int id);

// Draws `source` of `picture` (a slot of a strip, or the whole) into `target`
// of `dc`, stretched when the sizes differ, blending its alpha over what is
// there.
void DrawPicture(HDC dc, const TPicture& picture, RECT source, RECT target);
// Slot `index` of a strip of equal slots of `width` x `height` side by side.
RECT PictureSlot(int index, int width, int height);
// The whole picture.
RECT WholePicture(const TPicture& picture);

// A blank 32-bit top-down DIB section of `width` x `height`; `bits` receives
// its pixels. Raises an error when the system gives none.
TBitmap CreateDib(int width, int height, void** bits);

// An icon made from the PNG resource `id` (the application icon of the tray),
// `size` pixels square.
TIcon LoadIconPicture(int id, int size);

}  // namespace bailan
