#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/DateTime.h"

namespace bailan {

// Who else may use a file while this handle holds it open. Honoured on Windows;
// Linux has no sharing modes and opens the file all the same.
enum class TShareMode {
  Exclusive,  // no other handle may read or write
  DenyWrite,  // other handles may read, none may write
  ReadWrite,  // other handles may read and write at the same time
};

enum class TAccess { Read, Write, ReadWrite };

// An open file: one RAII handle with its own position. Paths are the system's
// CP936 text. Each failure raises EFCreateError / EFOpenError (when opening) or
// EInOutError (on the open handle) with the path and the platform's reason.
class TFile {
 public:
  // A closed handle.
  TFile() = default;
  ~TFile();
  TFile(TFile&& other) noexcept;
  TFile& operator=(TFile&& other) noexcept;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Creates `path` for reading and writing, replacing an existing file (its
  // contents are lost).
  static TFile Create(const std::string& path, TShareMode share);
  // As Create, but an existing symbolic link of that name (on Windows any
  // reparse point) is not followed: the creation fails with EFCreateError. A
  // file that did not exist gets the Unix permission bits `newFileMode`
  // (narrowed by the umask) on Linux; Windows files have none.
  static TFile CreateNoLink(const std::string& path, TShareMode share, std::uint32_t newFileMode = 0666);
  // As CreateNoLink, but only a file that does not exist yet is made (O_EXCL,
  // CREATE_NEW: never through a link): a closed handle when an entry of that
  // name exists, which saves looking the name up before creating it.
  static TFile CreateNew(const std::string& path, TShareMode share, std::uint32_t newFileMode = 0666);
  // Opens an existing file.
  static TFile Open(const std::string& path, TAccess access, TShareMode share);
  // Creates a new file of a private name in the folder of `besidePath`: `besidePath`,
  // ".", random hexadecimal digits and ".tmp". The name is created exclusively
  // (an entry of that name, a symbolic link included, is never followed or
  // reused: another name is tried), readable and writable by this user alone
  // on Linux, not shared on Windows. Path() gives the name. Raises EFCreateError
  // naming `besidePath` when the folder takes no new file.
  static TFile CreateTemporary(const std::string& besidePath);

  bool IsOpen() const { return handle_ >= 0; }
  const std::string& Path() const { return path_; }
  void Close();

  std::int64_t Size() const;
  // Sets the length; the position is unchanged.
  void SetSize(std::int64_t size);
  void Seek(std::int64_t position) { position_ = position; }
  std::int64_t Position() const { return position_; }

  // Reads up to `count` bytes at the position and advances it; 0 at the end.
  std::size_t Read(void* buffer, std::size_t count);
  // Reads up to `count` bytes at `offset`, leaving the position alone; 0 at the
  // end. Threads may read one handle this way at once.
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;
  // Writes all `count` bytes at the position and advances it.
  void Write(const void* data, std::size_t count);
  // Sets the modification time (local time) through the handle, with no
  // second lookup of the name; false when the system refuses. Writes after it
  // would set the time anew.
  bool SetDate(TDateTime value);
  // Waits until the file's contents written so far, through any handle, are on
  // the disk (not its times): a record of them may then be written.
  void FlushData();
  // Waits until the file's contents and its length are on the disk.
  void Flush();

 private:
  TFile(std::string path, std::intptr_t handle) : path_(std::move(path)), handle_(handle) {}
  // A fresh candidate for CreateTemporary.
  static std::string TemporaryName(const std::string& besidePath);
  [[noreturn]] void Fail(const char* what) const;

  std::string path_;
  std::intptr_t handle_ = -1;
  std::int64_t position_ = 0;
};

}  // namespace bailan
