#pragma once

#include "platform/Exception.h"

namespace bailan {

// Failures of ZIP extraction, each with its fixed message text.
BAILAN_DECLARE_EXCEPTION(EZipError, Exception);
// The file has no end-of-central-directory record: "Incomplete Zip File".
BAILAN_DECLARE_EXCEPTION(EIncompleteZip, EZipError);
// The directory is damaged and no local header could be found: "Not a valid zip file!".
BAILAN_DECLARE_EXCEPTION(EBadZipFile, EZipError);
// The archive ends inside an entry's data: "Premature end of file reached".
BAILAN_DECLARE_EXCEPTION(EFatalUnzipError, EZipError);
// zlib rejected a deflate stream: "error".
BAILAN_DECLARE_EXCEPTION(EZCompressionError, EZipError);

inline constexpr const char* kIncompleteZipText = "Incomplete Zip File";
inline constexpr const char* kBadZipFileText = "Not a valid zip file!";
inline constexpr const char* kPrematureEndText = "Premature end of file reached";
inline constexpr const char* kZCompressionErrorText = "error";

}  // namespace bailan
