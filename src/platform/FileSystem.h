#pragma once

#include <cstdint>
#include <string>

#include "platform/DateTime.h"

// Functions on files and folders by name. Paths are the system's CP936 text and
// are converted to the host's encoding only at the system call.
namespace bailan {

// True when `path` names an existing file that is not a folder.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Deletes a file; false when it could not be deleted (or did not exist).
bool DeleteFile(const std::string& path);

// Renames `from` to `to`. Never replaces an existing `to`. On failure returns
// false and, when `reason` is given, stores the platform's text there.
bool RenameFile(const std::string& from, const std::string& to, std::string* reason = nullptr);

// Renames `from` to `to` in one step, replacing an existing `to`, and waits
// until the folder's new entry is on the disk: at every moment `to` names
// either the old file or the new one, whole. False with `reason` as above.
bool ReplaceFile(const std::string& from, const std::string& to, std::string* reason = nullptr);

// Creates the folder and every missing parent, one level after the other (no
// recursion, no copy of the path per level); true when it exists afterwards.
// A path that IsCreatablePath refuses is not tried.
bool ForceDirectories(const std::string& path);

// False when `path` can never name a file or folder on this platform: its host
// spelling is longer than the platform's path limit, or one of its names longer
// than the name limit.
bool IsCreatablePath(const std::string& path);

// True when `path` itself is a symbolic link (on Windows any reparse point: a
// link or a junction), which is not followed to tell.
bool IsLink(const std::string& path);

// The file's modification time as a local TDateTime. Setting it never follows
// a symbolic link: a link's own time is set.
bool GetFileDate(const std::string& path, TDateTime& value);
bool SetFileDate(const std::string& path, TDateTime value);

// The system's file attributes. On Linux only read-only has a meaning: a file is
// read-only when no write bit of its mode is set (also for root, who could write
// it anyway), and setting read-only clears every write bit.
inline constexpr std::uint32_t faReadOnly = 0x01;
inline constexpr std::uint32_t faHidden = 0x02;
inline constexpr std::uint32_t faSysFile = 0x04;
inline constexpr std::uint32_t faDirectory = 0x10;
inline constexpr std::uint32_t faArchive = 0x20;

// The attributes of an existing file or folder; -1 when there is none. Setting
// them never follows a symbolic link (on Linux a link fails).
std::int32_t FileGetAttr(const std::string& path);
bool FileSetAttr(const std::string& path, std::uint32_t attributes);

// Sets the Unix permission bits (read, write, execute for owner, group and
// others: the low nine bits of `mode`) of an existing file, narrowed by the
// process umask. Set-user-id, set-group-id and sticky bits are never set. A
// symbolic link is not followed: it fails.
bool FileSetPermissions(const std::string& path, std::uint32_t mode);

// The platform's text for its last error on this thread, and for a given code.
std::string LastSystemErrorText();
std::string SystemErrorText(int code);

// The folder for temporary files: TEMP, else (on Linux) TMPDIR, else /tmp.
std::string TempDirectory();

}  // namespace bailan
