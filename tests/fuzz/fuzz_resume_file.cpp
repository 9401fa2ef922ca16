// Arbitrary bytes as a resume file: loading rejects them or yields a table
// whose every segment fits the resource, and saving that table writes back the
// very bytes that were loaded.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/ResumeFile.h"
#include "fuzz_work_folder.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bailan;
  const std::filesystem::path& work = fuzz::WorkFolder("resume");
  const std::filesystem::path input = work / "input.rpc.cfg", saved = work / "saved.rpc.cfg";
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  TSegmentTable table;
  const TResumeLoadResult result = LoadResumeFile(input.string(), table);
  if (result.Status != TResumeLoadStatus::Loaded) return 0;
  const TResumeHeader& header = result.Header;
  for (std::int32_t k = 1; k <= header.Count; ++k) {
    const TSegmentRec& segment = table.Segments[k];
    if (segment.Start < 0 || segment.Start > segment.End || segment.End > header.TotalSize ||
        segment.Received < 0 || segment.Received > segment.End - segment.Start) {
      __builtin_trap();
    }
  }
  SaveResumeFile(saved.string(), header, table);
  if (ReadAll(saved) != std::string(reinterpret_cast<const char*>(data), size)) __builtin_trap();
  return 0;
}
