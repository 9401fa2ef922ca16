#pragma once

namespace bailan {

// What a message box of either face shows and answers: its icon, and its
// buttons as a set of bits (the answer is one of them).
enum class TMessageIcon { None, Information, Warning, Error, Question };
enum TMessageButton : int { mbOK = 1, mbYes = 2, mbNo = 4 };

}  // namespace bailan
