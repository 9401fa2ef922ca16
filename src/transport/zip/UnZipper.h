#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/File.h"
#include "transport/zip/UnzipNotifier.h"
#include "transport/zip/ZipDestination.h"
#include "transport/zip/ZipDirectory.h"
#include "transport/zip/ZipEntry.h"
#include "transport/zip/ZipEntryExtractor.h"

namespace bailan {

enum class TUZSortMode {
  ByNone,  // directory order
  ByName,  // by full entry name
};

// When entry names are taken from the OEM code page. On this system the OEM
// and ANSI code pages are both 936, so every choice leaves names unchanged.
enum class TOEMConvert { oemNever, oemAlways, oemFlagged };

// Extracts a ZIP archive into a folder: stored, shrunk, reduced (factors 1 to
// 4), imploded and deflated entries, each checked by its CRC-32. Nothing is
// ever written outside DestDir, and no symbolic link is ever made: an entry an
// archiver marked as a link becomes a plain file holding its data.
// Entries are decoded ahead on two threads of their own, which only read the
// archive; the calling thread alone writes them, one at a time, in directory
// order, so of two entries of one name the later one wins, and nothing after
// an entry whose failure ends the extraction is written.
class TUnZipper {
 public:
  // A fresh object with the default settings; it owns its open archive (if
  // any) and its buffers. Used by one thread at a time (IsBusy may be read by
  // others).
  TUnZipper();
  ~TUnZipper();
  TUnZipper(const TUnZipper&) = delete;
  TUnZipper& operator=(const TUnZipper&) = delete;

  const std::string& ZipName() const { return zipName_; }
  // A different path (ignoring case) drops the directory read so far.
  void SetZipName(const std::string& name);
  const std::string& DestDir() const { return destDir_; }
  // One trailing separator is removed.
  void SetDestDir(const std::string& folder);
  bool IsBusy() const { return busy_.load(); }

  bool DoAll = false;
  bool RecreateDirs = false;
  bool RetainAttributes = true;
  TUZOverwriteMode OverwriteMode = TUZOverwriteMode::Prompt;
  bool ReplaceReadOnly = false;
  TUZSortMode SortMode = TUZSortMode::ByNone;
  TIncompleteZipMode IncompleteZipMode = TIncompleteZipMode::izAssumeMulti;
  TOEMConvert OEMConvert = TOEMConvert::oemAlways;
  bool KeepZipOpen = false;
  // No window messages reach the threads that extract; kept for the settings' sake.
  bool DoProcessMessages = true;
  // Receives the unknown-method notice; the process default when created.
  std::shared_ptr<TUnzipNotifier> Notifier;

  // Reads the archive's directory. A file without an end record is no failure
  // here (nothing is read); other failures are raised after the object was reset.
  void ReadDirectory();
  // Extracts the marked entries (all of them with DoAll) and returns how many
  // were handled: files written with a matching CRC plus folders made.
  int ExtractMarked();

  bool DirectoryRead() const { return directoryRead_; }
  const std::vector<TZipEntry>& Entries() const { return entries_; }

 private:
  void OpenArchive();
  void CloseArchive();
  void ReadDirectoryFromArchive();
  bool DirectoryIsCurrent() const;
  void Reset();
  std::vector<const TZipEntry*> MarkedEntries() const;
  TZipEntrySettings EntrySettings() const;
  void NotifyUnknownMethod();
  int ExtractInOrder(const std::vector<const TZipEntry*>& entries);

  std::string zipName_;
  std::string destDir_;
  std::atomic<bool> busy_{false};
  bool directoryRead_ = false;
  TDateTime archiveDate_;
  std::vector<TZipEntry> entries_;
  TFile archive_;
};

}  // namespace bailan
