#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ZipWriter.h"

namespace bailan::demo {

// The big archive's data file: large enough that the progress of a download can
// be watched, small enough to be made in well under a second.
inline constexpr std::size_t kBigFileBytes = 30u << 20;

// The file that the product's program stand-in writes into the folder it was
// started in, and the first words of each line it writes there.
inline constexpr const char* kLaunchProofName = "BL.started";
inline constexpr const char* kLaunchProofText = "BL.exe started in ";

// One archive of the demo product, as it is served and what it unpacks to.
struct TDemoArchive {
  std::string FileName;  // the last element of its address, e.g. "BLMain.zip"
  std::vector<TZipInput> Files;
};

// The Linux stand-in for the product's program: a shell script that appends
// kLaunchProofText and the folder it was started in to kLaunchProofName beside
// itself. (tools/bl-standin builds the Windows one, which writes the same line.)
std::string ShellProgramStandIn();

// The demo product: three archives that unpack side by side into the product
// folder, the first holding the program "BL.exe" with the bytes of `program`.
// Every byte is a function of the arguments alone, so a test can rebuild the
// expected folder without asking the server.
std::vector<TDemoArchive> DemoArchives(std::size_t bigFileBytes = kBigFileBytes,
                                       const std::string& program = ShellProgramStandIn());

// One archive as the server holds it: its file name and its ZIP bytes.
struct TServedArchive {
  std::string FileName;
  std::string Bytes;
};

// The manifest that lists the archives, CP936 with CR LF line ends; each url is
// `archiveBaseUrl` followed by the archive's file name, and beside it the
// SHA-256 of the archive's bytes.
std::string DemoManifest(const std::vector<TServedArchive>& archives, const std::string& archiveBaseUrl);

// Changes bytes of `archive` in place, keeping its length: what the server then
// serves no longer has the digest the manifest gives.
void TamperArchive(TServedArchive& archive);

// The showcase page (its body ends in the completion marker) and the licence
// page, UTF-8 HTML.
std::string DemoShowcasePage();
std::string DemoLicencePage();

}  // namespace bailan::demo
