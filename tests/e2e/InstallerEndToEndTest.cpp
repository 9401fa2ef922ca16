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
#include <set>
#include <sstream>
#include <thread>

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

// One drive of the installer program against the demo site, signed with the
// demo key (and changed after signing when `tamper`), in a work folder of its own.
struct TDrive {
  TTempDir work;
  fs::path site = work / "site", home = work / "home", temp = work / "temp";
  int Exit = -1;
  std::string Output;

  // `expectError`: the drive confirms the error box instead of installing.
  void Run(bool tamper, bool expectError) {
    for (const char* tool : kTools) {
      ASSERT_TRUE(OnPath(tool)) << "cannot run: " << tool
                                << " is not installed (scripts/setup.sh installs it)";
    }
    fs::create_directories(home);
    fs::create_directories(temp);
    demo::TStaticHttpServer server(site, demo::TStaticServerOptions{});  // a free port
    const std::string serverUrl = "http://127.0.0.1:" + std::to_string(server.Port());
    demo::WriteDemoSite(site, serverUrl);
    demo::SignDemoManifest(site, tamper);
    TXvfb xvfb;
    ASSERT_FALSE(xvfb.Display().empty())
        << "cannot run: Xvfb did not come up within " << kStartTimeoutMs << " ms";
    TProcessGroup drive({"/usr/bin/env", "DISPLAY=" + xvfb.Display(), "QT_QPA_PLATFORM=xcb",
                         "HOME=" + home.string(), "TEMP=" + temp.string(), "QTWEBENGINE_DISABLE_SANDBOX=1",
                         std::string("DRIVE_EXPECT_ERROR=") + (expectError ? "1" : ""),
                         "BAILAN_E2E_SERVER_URL=" + serverUrl, BAILAN_DRIVER_PATH, BAILAN_INSTALLER_PATH});
    Exit = drive.Wait(kInstallTimeoutMs);
    Output = drive.Output();
  }
};

TEST(InstallerEndToEndTest, InstallsTheDemoProductAndStartsItsProgram) {
  TDrive run;
  ASSERT_NO_FATAL_FAILURE(run.Run(false, false));
  ASSERT_EQ(run.Exit, 0) << run.Output;
  const fs::path &home = run.home, &temp = run.temp, &site = run.site;

  const fs::path product = home / "柏岚软件" / "柏岚销售记账打印软件";
  std::set<std::string> expected;
  for (const demo::TDemoArchive& archive : demo::DemoArchives()) {
    for (const demo::TZipInput& file : archive.Files) {
      const std::string name = Cp936ToUtf8(file.Name);
      expected.insert(name);
      EXPECT_TRUE(ReadFileBytes((product / name).string()) == file.Data) << name;
    }
  }
  // The manifest's local copy stays in TEMP.
  EXPECT_EQ(ReadFileBytes((temp / "update.ini").string()),
            ReadFileBytes((site / std::string(demo::kManifestPath).substr(1)).string()));
  // Nothing else: no partial or resume file, no archive, no launcher.
  std::set<std::string> found = FilesBelow(product);
  found.erase(demo::kLaunchProofName);
  EXPECT_EQ(found, expected);

  // Extraction keeps the program's execute bit, so the launcher starts it.
  EXPECT_NE(fs::status(product / "BL.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
  // The program is started detached, after the installer has written and removed
  // its launcher: give it a moment to leave its proof.
  const fs::path proof = product / demo::kLaunchProofName;
  for (int i = 0; i < 100 && !fs::exists(proof); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ReadFileBytes(proof.string()), demo::kLaunchProofText + product.string() + "\n");
}

// A manifest changed after signing: the error box, its reason in the
// program's output, no copy in TEMP and nothing installed.
TEST(InstallerEndToEndTest, RefusesAManifestChangedAfterSigning) {
  TDrive run;
  ASSERT_NO_FATAL_FAILURE(run.Run(true, true));
  ASSERT_EQ(run.Exit, 0) << run.Output;
  EXPECT_NE(run.Output.find("manifest: The manifest is refused: the signature is not this key's"),
            std::string::npos)
      << run.Output;
  EXPECT_FALSE(fs::exists(run.temp / "update.ini"));
  EXPECT_TRUE(fs::is_empty(run.temp));
  EXPECT_FALSE(fs::exists(run.home / "柏岚软件"));
}

}  // namespace
}  // namespace bailan::test
