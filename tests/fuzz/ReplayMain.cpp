// Replays saved inputs through a fuzz target without libFuzzer: every file
// named on the command line, and every file in each folder named there, goes
// once through LLVMFuzzerTestOneInput. A finding that still breaks the code
// crashes this program, so the test that runs it fails.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& argument) {
  std::vector<fs::path> inputs;
  std::error_code error;
  if (fs::is_directory(argument, error)) {
    for (const fs::directory_entry& item : fs::directory_iterator(argument, error)) {
      if (item.is_regular_file() && item.path().filename().string()[0] != '.') inputs.push_back(item.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else if (fs::is_regular_file(argument, error)) {
    inputs.push_back(argument);
  }
  return inputs;  // a folder that does not exist holds no inputs
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& input : InputsOf(argv[i])) {
      std::ifstream in(input, std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      std::fprintf(stderr, "replaying %s\n", input.string().c_str());
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  return 0;
}
