// The built installer program against the demo server, under its own Xvfb, driven
// with xdotool by the same script as the README's run command. The test owns
// what it needs: the server on a port chosen free (the test build of the
// program takes its address from BAILAN_E2E_SERVER_URL), an X server of its
// own, the X platform for the program whatever the caller's environment says,
// and a process group that ends with the test.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "DemoProduct.h"
#include "DemoSignature.h"
#include "DemoSite.h"
#include "ProcessGroup.h"
#include "StaticHttpServer.h"
#include "platform/Cp936.h"
#include "support/TempDir.h"

namespace bailan::test {
namespace {

namespace fs = std::filesystem;

constexpr int kInstallTimeoutMs = 180000;  // the whole drive: start, 30 MB, completion
constexpr int kStartTimeoutMs = 10000;
// How long an installation with a failed job is watched for not completing:
// well beyond the time the other archives take at full speed.
constexpr int kIncompleteWatchSeconds = 20;
// The programs the drive needs besides the installer.
const char* const kTools[] = {"Xvfb", "xdotool"};

// Whether `program` is an executable file in one of PATH's folders.
bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// An X server of its own on a free display, for as long as the object lives.
class TXvfb {
 public:
  // Starts Xvfb and waits until it serves; Display() stays empty when it did
  // not come up in time. The X server ends with the object (or with the test).
  TXvfb()
      : process_(
            {"/usr/bin/env", "Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      // Xvfb writes its display number as a line of its own once it accepts
      // clients, among whatever it warns about; the file may not even exist yet.
      std::string out;
      try {
        out = process_.Output();
      } catch (const std::exception&) {
      }
      std::stringstream lines(out);
      for (std::string line; std::getline(lines, line);) {
        if (!lines.eof() && !line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
          display_ = ":" + line;
          return;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  const std::string& Display() const { return display_; }

 private:
  TProcessGroup process_;
  std::string display_;
};

// Every file below `folder`, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (!entry.is_directory()) files.insert(fs::relative(entry.path(), folder).string());
  return files;
}

// One drive of the installer against the demo site, its manifest signed with
// the demo key (and changed after signing when `tamperManifest`): the server on
// a free port (serving `tamperedArchive` changed after its digest was pinned, if named),
// its own Xvfb, HOME and TEMP in a fresh folder; `driveEnvironment` goes to the
// drive script besides.
class TDemoDrive {
 public:
  // Owns the folder and the server (the X server lives for one Run); the test's
  // thread alone.
  explicit TDemoDrive(const std::string& tamperedArchive = "", bool tamperManifest = false)
      : site_(work_ / "site"),
        home_(work_ / "home"),
        temp_(work_ / "temp"),
        server_(site_, demo::TStaticServerOptions{}),  // a free port, no rate limit
        serverUrl_("http://127.0.0.1:" + std::to_string(server_.Port())) {
    fs::create_directories(home_);
    fs::create_directories(temp_);
    demo::WriteDemoSite(site_, serverUrl_, demo::ShellProgramStandIn(), tamperedArchive);
    demo::SignDemoManifest(site_, tamperManifest);
  }

  // Runs the drive to its end: its exit code, and its output in `output`.
  int Run(const std::vector<std::string>& driveEnvironment, std::string& output) {
    for (const char* tool : kTools) {
      if (!OnPath(tool)) {
        output = std::string("cannot run: ") + tool + " is not installed (scripts/setup.sh installs it)";
        return -1;
      }
    }
    TXvfb xvfb;
    if (xvfb.Display().empty()) {
      output = "cannot run: Xvfb did not come up within " + std::to_string(kStartTimeoutMs) + " ms";
      return -1;
    }
    std::vector<std::string> command{"/usr/bin/env",
                                     "DISPLAY=" + xvfb.Display(),
                                     "QT_QPA_PLATFORM=xcb",
                                     "HOME=" + home_.string(),
                                     "TEMP=" + temp_.string(),
                                     "QTWEBENGINE_DISABLE_SANDBOX=1",
                                     "BAILAN_E2E_SERVER_URL=" + serverUrl_};
    command.insert(command.end(), driveEnvironment.begin(), driveEnvironment.end());
    command.push_back(BAILAN_DRIVER_PATH);
    command.push_back(BAILAN_INSTALLER_PATH);
    TProcessGroup drive(command);
    const int exit = drive.Wait(kInstallTimeoutMs);
    output = drive.Output();
    return exit;
  }

  fs::path Product() const { return home_ / "柏岚软件" / "柏岚销售记账打印软件"; }
  fs::path Site() const { return site_; }
  fs::path Temp() const { return temp_; }

 private:
  TTempDir work_;
  fs::path site_, home_, temp_;
  demo::TStaticHttpServer server_;
  std::string serverUrl_;
};

// The files of the demo's archives, by relative path, except those of `skipped`.
std::map<std::string, std::string> ArchiveFiles(const std::string& skipped = "") {
  std::map<std::string, std::string> files;
  for (const demo::TDemoArchive& archive : demo::DemoArchives()) {
    if (archive.FileName == skipped) continue;
    for (const demo::TZipInput& file : archive.Files) files[Cp936ToUtf8(file.Name)] = file.Data;
  }
  return files;
}

// Every file of `expected` lies in `product` with its bytes, and nothing else
// but `alsoThere`: no partial or resume file, no archive, no launcher.
void ExpectExactlyFiles(const fs::path& product, const std::map<std::string, std::string>& expected,
                        const std::set<std::string>& alsoThere) {
  std::set<std::string> names;
  for (const auto& [name, data] : expected) {
    names.insert(name);
    EXPECT_TRUE(ReadFileBytes((product / name).string()) == data) << name;
  }
  std::set<std::string> found = FilesBelow(product);
  for (const std::string& name : alsoThere) found.erase(name);
  EXPECT_EQ(found, names);
}

TEST(InstallerEndToEndTest, InstallsTheDemoProductAndStartsItsProgram) {
  TDemoDrive demo;
  std::string output;
  ASSERT_EQ(demo.Run({}, output), 0) << output;

  const fs::path product = demo.Product();
  ExpectExactlyFiles(product, ArchiveFiles(), {demo::kLaunchProofName});
  // The manifest's local copy stays in TEMP.
  EXPECT_EQ(ReadFileBytes((demo.Temp() / "update.ini").string()),
            ReadFileBytes((demo.Site() / std::string(demo::kManifestPath).substr(1)).string()));

  // Extraction keeps the program's execute bit, so the launcher starts it.
  EXPECT_NE(fs::status(product / "BL.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
  // The program is started detached, after the installer has written and removed
  // its launcher: give it a moment to leave its proof.
  const fs::path proof = product / demo::kLaunchProofName;
  for (int i = 0; i < 100 && !fs::exists(proof); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ReadFileBytes(proof.string()), demo::kLaunchProofText + product.string() + "\n");
}

// An archive that arrives changed fails its job as any failed job does: the
// installer stays on its install page without completing, nothing of that
// archive is unpacked and nothing of it is left; the other archives are in place
// and the product's program is never started.
TEST(InstallerEndToEndTest, TamperedArchiveLeavesTheInstallationIncomplete) {
  const std::string tampered = "BLHelp.zip";
  TDemoDrive demo(tampered);
  std::string output;
  ASSERT_EQ(demo.Run({"DRIVE_EXPECT_INCOMPLETE=" + std::to_string(kIncompleteWatchSeconds)}, output), 0)
      << output;
  ExpectExactlyFiles(demo.Product(), ArchiveFiles(tampered), {});
}

// A manifest changed after signing: the error box, its reason in the
// program's output, no copy in TEMP and nothing installed.
TEST(InstallerEndToEndTest, RefusesAManifestChangedAfterSigning) {
  TDemoDrive demo("", true);
  std::string output;
  ASSERT_EQ(demo.Run({"DRIVE_EXPECT_ERROR=1"}, output), 0) << output;
  EXPECT_NE(output.find("manifest: The manifest is refused: the signature is not this key's"),
            std::string::npos)
      << output;
  EXPECT_FALSE(fs::exists(demo.Temp() / "update.ini"));
  EXPECT_TRUE(fs::is_empty(demo.Temp()));
  EXPECT_FALSE(fs::exists(demo.Product().parent_path()));
}

}  // namespace
}  // namespace bailan::test
