#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "win32/common/Handles.h"
#include "win32/common/Pictures.h"

namespace bailan {

using TImageList = TOwned<HIMAGELIST, &ImageList_Destroy>;

// An image list of 32-bit pictures cut from the strip `picture` (slots of
// `size` x `size` side by side): its picture i is slot slots[i]. Raises an error
// when the system refuses one. GUI thread only.
TImageList ImageListFromStrip(const TPicture& picture, int size, const std::vector<int>& slots);

}  // namespace bailan
