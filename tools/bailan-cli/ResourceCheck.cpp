#include "ResourceCheck.h"

#include <memory>

#include "RangeCheck.h"
#include "RedirectHops.h"
#include "WholeBody.h"
#include "engine/DownloadManager.h"
#include "engine/SegmentTable.h"
#include "platform/FileNames.h"
#include "platform/Format.h"
#include "receive/ManifestJobs.h"
#include "receive/ResourceRecords.h"
#include "transport/http/HttpClient.h"
#include "transport/zip/UnZipper.h"

namespace bailan::cli {
namespace {

class TResourceCheck {
 public:
  // Borrows all three for the duration of Run(); one thread.
  TResourceCheck(const TCheckEntry& entry, const TCheckSettings& settings, TCheckReport& report)
      : entry_(entry), settings_(settings), report_(report) {}

  void Run() {
    CheckName();
    ProbeSize();
    GetWhole();
    CheckRanges();
  }

 private:
  void Fail(const std::string& check, const std::string& detail) {
    report_.Fail(entry_.Section, entry_.Url, check, detail);
  }

  // The address as the job gets it: a record holds kLongText - 1 bytes of it,
  // and the document names the local file.
  void CheckName() {
    if (entry_.Url.size() >= kLongText) {
      Fail("url", Format("%d bytes: a record holds %d, the job would ask for a cut address",
                         static_cast<int>(entry_.Url.size()), static_cast<int>(kLongText - 1)));
    }
    const std::string name = TDownloadManager::GetFileName(entry_.Url);
    if (name.empty()) {
      Fail("name", "the address names no file: the job ends before any request");
    } else if (!IsCreatableName(name) || IsJobFileName(name)) {
      Fail("name", "\"" + name + "\" cannot name a local file: the job ends before any request");
    }
  }

  void ProbeSize() {
    THttpClient client;
    client.SetReadTimeout(settings_.ReadTimeoutMs);
    TRedirectHops hops(client);
    try {
      size_ = TDownloadManager::ProbeSize(client, entry_.Url);
    } catch (const std::exception& error) {
      Fail("head", FailureText(error));
      return;
    }
    if (hops.Any()) report_.Warn(entry_.Section, entry_.Url, "redirect", hops.Describe());
    if (size_ < 0) {
      Fail("Content-Length", "the HEAD answer gives no Content-Length: the job never completes");
    } else if (size_ > kLargestResourceSize) {
      Fail("size", Format("%lld bytes: a resource of 2 GiB (2147483648 bytes) or more cannot be received",
                          static_cast<long long>(size_)));
    }
  }

  bool SizeKnown() const { return size_ >= 0 && size_ <= kLargestResourceSize; }

  // The whole resource, never more than the probe announced (or than any
  // resource may hold when it announced nothing).
  void GetWhole() {
    if (size_ > kLargestResourceSize) return;  // the installer asks for nothing more
    std::unique_ptr<TWholeBody> body;
    THttpClient client;
    client.SetHandleRedirects(true);
    client.SetReadTimeout(settings_.ReadTimeoutMs);
    client.Request.UserAgent = kBrowserUserAgent;
    std::int64_t length = 0;
    TSha256::TDigest digest{};
    try {
      body = std::make_unique<TWholeBody>(SizeKnown() ? size_ : kLargestResourceSize);
      client.GetToStream(entry_.Url, *body);
      length = body->Position();
      digest = body->Finish();
    } catch (const std::exception& error) {
      Fail("get", FailureText(error));
      return;
    }
    if (SizeKnown() && length != size_) {
      Fail("length", Format("the whole GET gave %lld bytes where HEAD gave %lld",
                            static_cast<long long>(length), static_cast<long long>(size_)));
    }
    if (entry_.Pin && digest != *entry_.Pin) {
      Fail("sha256", "the whole GET's digest is " + DigestToHex(digest) + ", the manifest pins " +
                         DigestToHex(*entry_.Pin));
    }
    CheckArchive(body->Path());
    wholeLength_ = length;
    whole_ = std::move(body);
  }

  // What the job's extraction would find: the ZIP reader's directory.
  void CheckArchive(const std::string& path) {
    TUnZipper unzipper;
    unzipper.SetZipName(path);
    try {
      unzipper.ReadDirectory();
    } catch (const std::exception& error) {
      Fail("zip", "not a ZIP archive: " + FailureText(error));
      return;
    }
    if (!unzipper.DirectoryRead()) Fail("zip", "not a ZIP archive: no end-of-central-directory record");
  }

  // The segments a fresh job splits the size into; without a size from the
  // probe, the whole GET's length stands in, so that the ranges are still tried.
  void CheckRanges() {
    const std::int64_t total = SizeKnown() ? size_ : wholeLength_;
    if (total < 0 || total > kLargestResourceSize) return;
    TSegmentTable table;
    table.Split(static_cast<std::int32_t>(total), kManifestSegments);
    TSha256 ranges;
    bool complete = true;
    for (std::int32_t k = 1; k <= kManifestSegments; ++k) {
      const TSegmentRec& segment = table.Segments[k];
      if (!segment.NeedsThread()) continue;
      const TRangeAsk ask{k, segment.Start, segment.End, static_cast<std::int32_t>(total)};
      complete = CheckRange(entry_, ask, settings_, whole_.get(), ranges, report_) && complete;
    }
    const TSha256::TDigest digest = ranges.Finish();
    if (!whole_ && complete && entry_.Pin && digest != *entry_.Pin) {
      Fail("sha256", "the ranges' digest is " + DigestToHex(digest) + ", the manifest pins " +
                         DigestToHex(*entry_.Pin));
    }
  }

  const TCheckEntry& entry_;
  const TCheckSettings& settings_;
  TCheckReport& report_;
  std::int64_t size_ = -1;         // what the probe gave; -1: no size
  std::int64_t wholeLength_ = -1;  // bytes of the whole GET; -1: it failed
  std::unique_ptr<TWholeBody> whole_;
};

}  // namespace

void CheckResource(const TCheckEntry& entry, const TCheckSettings& settings, TCheckReport& report) {
  TResourceCheck(entry, settings, report).Run();
}

}  // namespace bailan::cli
