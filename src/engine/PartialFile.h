#pragma once

#include <cstdint>
#include <string>

#include "engine/SegmentTable.h"
#include "platform/File.h"
#include "platform/FileNames.h"

namespace bailan {

// The partial file holds the resource at its full length from the moment it is
// created, so that each segment thread writes at its own offsets through its own
// handle, without extending the file and without a lock. Its name and the resume
// file's are the resource's with kPartialSuffix and kResumeSuffix (FileNames.h).

// A rename of the finished partial file is retried this long (with a yield between
// attempts) before it fails: long enough for segment threads to close their
// handles, short enough that a file that can never be renamed is reported.
inline constexpr std::uint32_t kFinaliseTimeoutMs = 30000;

// Creates (or replaces) the partial file with `length` bytes, then closes it.
// A negative length (size unknown) gives an empty file. Raises EFCreateError or
// EInOutError.
void CreatePartialFile(const std::string& path, std::int32_t length);

// Opens the existing partial file for a segment thread, sharing reads and writes
// with the other segments' handles, positioned at Start + Received of `segment`.
// Raises EFOpenError.
TFile OpenPartialForSegment(const std::string& path, const TSegmentRec& segment);

// The final name for `path` (the partial file's path without its suffix): `path`
// itself when no file of that name exists, else the first of B(1)E, B(2)E, ...
// that names no existing file, E being the extension with its dot.
std::string ChooseFinalName(const std::string& path);

// Finalises a complete resource: chooses the final name, waits until every
// segment thread of slots 1..count has set its done flag (a segment thread sets it
// only after closing its handle), renames the partial file, then deletes the
// resume file and any temporary file a save left beside it, ignoring whether
// that succeeds. Returns the final path. Raises
// EInOutError naming the file when the wait and the rename have not succeeded
// within kFinaliseTimeoutMs (`timeoutMs` for tests).
std::string FinalisePartialFile(const std::string& partialPath, const std::string& resumePath,
                                const TSegmentTable& table, std::int32_t count,
                                std::uint32_t timeoutMs = kFinaliseTimeoutMs);

}  // namespace bailan
