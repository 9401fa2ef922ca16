// bailan-demo-server: serves a demo product for the installer on 127.0.0.1.
//   bailan-demo-server [--port N] [--rate KIB] [--folder DIR] [--bl-exe PATH]
//                      [--tamper-archive NAME] [--tamper-manifest] [--quiet]
// The site (manifest, three archives, showcase and licence page) is generated at
// start-up into DIR, or into a temporary folder that is removed again at exit.
// The manifest gives each archive's SHA-256 and is signed with the demo key
// ("Live.txt.sig" beside it); --tamper-archive serves the archive NAME changed
// after its digest was taken, --tamper-manifest the manifest changed after
// signing, to show how the installer refuses them.
// Runs until SIGINT or SIGTERM.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "DemoSignature.h"
#include "DemoSite.h"
#include "StaticHttpServer.h"

namespace {

constexpr std::uint16_t kDefaultPort = 18931;    // the installer's built-in server address
constexpr std::uint64_t kDefaultRateKib = 3072;  // per connection: the 30 MB archive takes a few seconds
constexpr int kSignalPollMs = 100;
constexpr std::uint64_t kMaxRateKib = 1u << 30;  // a larger rate is a typo, not a limit
constexpr std::size_t kMaxDigits = 19;           // every 19-digit number fits in 64 bits

volatile std::sig_atomic_t gStopRequested = 0;

extern "C" void RequestStop(int) {
  gStopRequested = 1;
}

struct TOptions {
  std::uint16_t Port = kDefaultPort;
  std::uint64_t RateKib = kDefaultRateKib;
  std::filesystem::path Folder;
  std::filesystem::path Program;  // the product's BL.exe; empty: the shell stand-in
  std::string TamperedArchive;    // the archive served changed after hashing; empty: none
  bool Quiet = false;
  bool TamperManifest = false;  // change the manifest after signing it
};

int Usage() {
  std::cerr << "usage: bailan-demo-server [--port N] [--rate KIB] [--folder DIR] [--bl-exe PATH]\n"
               "                          [--tamper-archive NAME] [--tamper-manifest] [--quiet]\n"
               "  --port N      port on 127.0.0.1 (default 18931; 0 picks a free one)\n"
               "  --rate KIB    KiB per second and connection (default 3072; 0: no limit)\n"
               "  --folder DIR  generate the site into DIR and keep it (default: a temporary folder)\n"
               "  --bl-exe PATH the product's BL.exe (default: a shell script standing in for it)\n"
               "  --tamper-archive NAME  serve the archive NAME (BLMain.zip, BLData.zip, BLHelp.zip)\n"
               "                changed after the manifest's sha256 was taken\n"
               "  --tamper-manifest  change the manifest after signing it (a signed build refuses it)\n"
               "  --quiet       no line per request\n";
  return 2;
}

bool ParseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19)
    return false;
  value = std::stoull(text);
  return value <= limit;
}

bool ParseOptions(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--quiet" || name == "--tamper-manifest") {
      (name == "--quiet" ? options.Quiet : options.TamperManifest) = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    std::uint64_t number = 0;
    if (name == "--port" && ParseNumber(value, 65535, number)) {
      options.Port = static_cast<std::uint16_t>(number);
    } else if (name == "--rate" && ParseNumber(value, kMaxRateKib, number)) {
      options.RateKib = number;
    } else if (name == "--folder" && !value.empty()) {
      options.Folder = value;
    } else if (name == "--bl-exe" && !value.empty()) {
      options.Program = value;
    } else if (name == "--tamper-archive" && !value.empty()) {
      options.TamperedArchive = value;
    } else {
      return false;
    }
  }
  return true;
}

// A new, empty folder under the system's temporary folder.
std::filesystem::path MakeTemporaryFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("bailan-demo-" + std::to_string(random() % 1000000000u));
    if (std::filesystem::create_directory(folder)) return folder;
  }
  throw std::runtime_error("cannot create a temporary folder");
}

// The whole file at `path`; throws when it cannot be read.
std::string ReadProgram(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in || bytes.str().empty()) throw std::runtime_error("cannot read the program " + path.string());
  return bytes.str();
}

// Removes the temporary site folder on every way out of main.
class TFolderRemover {
 public:
  // Owns nothing but the path; an empty path removes nothing.
  explicit TFolderRemover(std::filesystem::path folder) : folder_(std::move(folder)) {}
  ~TFolderRemover() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  TFolderRemover(const TFolderRemover&) = delete;
  TFolderRemover& operator=(const TFolderRemover&) = delete;

 private:
  std::filesystem::path folder_;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace bailan::demo;
  TOptions options;
  if (!ParseOptions(argc, argv, options)) return Usage();
  try {
    // Read before anything is made, so that a wrong path costs nothing.
    const std::string program =
        options.Program.empty() ? ShellProgramStandIn() : ReadProgram(options.Program);
    const bool temporary = options.Folder.empty();
    const std::filesystem::path root = temporary ? MakeTemporaryFolder() : options.Folder;
    TFolderRemover remover(temporary ? root : std::filesystem::path());
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    TStaticServerOptions serverOptions;
    serverOptions.Port = options.Port;
    serverOptions.BytesPerSecond = options.RateKib * 1024;
    if (!options.Quiet) serverOptions.Log = [](const std::string& line) { std::cout << line << std::endl; };
    // Bound first, so that the manifest can name the port a request for port 0 got.
    TStaticHttpServer server(root, serverOptions);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.Port());
    WriteDemoSite(root, url, program, options.TamperedArchive);
    try {
      SignDemoManifest(root, options.TamperManifest);
    } catch (const std::exception& error) {
      // Where signing is not available the site is served unsigned.
      std::cerr << "bailan-demo-server: the manifest is not signed: " << error.what() << std::endl;
    }
    std::cout << "demo server: " << url << kManifestPath << " (site in " << root.string() << ")" << std::endl;

    while (!gStopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(kSignalPollMs));
    server.Stop();
    std::cout << "demo server: stopped" << std::endl;
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "bailan-demo-server: " << error.what() << std::endl;
    return 1;
  }
}
