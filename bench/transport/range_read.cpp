// Loopback throughput probe: one segment request as the installer's segment
// thread makes it (browser agent, Range bytes=0-(SIZE-1), PerformRequest without
// target) and the body taken with ReadExact in 10240-byte blocks, written to a
// file (default /dev/null) six blocks at a time, as the segment thread writes its
// partial file.
//   range_read URL SIZE [OUTPUT]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/File.h"
#include "transport/http/HttpClient.h"

int main(int argc, char** argv) {
  using namespace bailan;
  if (argc < 3) {
    std::fprintf(stderr, "usage: range_read URL SIZE [OUTPUT]\n");
    return 2;
  }
  constexpr std::int64_t kBlock = 10240;       // the segment thread's block
  constexpr std::int64_t kBlocksPerWrite = 6;  // and its group of blocks per write
  const std::int64_t size = std::strtoll(argv[2], nullptr, 10);
  try {
    TFile output = TFile::Open(argc > 3 ? argv[3] : "/dev/null", TAccess::Write, TShareMode::ReadWrite);
    THttpClient client;
    client.SetHandleRedirects(true);
    client.SetReadTimeout(30000);
    client.Request.UserAgent = kBrowserUserAgent;
    client.Request.ContentRangeStart = 0;
    client.Request.ContentRangeEnd = static_cast<std::uint32_t>(size - 1);
    client.PerformRequest(THttpMethod::hmGet, argv[1], nullptr, nullptr);
    std::vector<char> group(kBlock * kBlocksPerWrite);
    std::size_t pending = 0;
    for (std::int64_t left = size; left > 0; left -= kBlock) {
      const std::int64_t count = left < kBlock ? left : kBlock;
      if (pending + count > group.size()) {
        output.Write(group.data(), pending);
        pending = 0;
      }
      client.ReadExact(group.data() + pending, count);
      pending += static_cast<std::size_t>(count);
    }
    output.Write(group.data(), pending);
  } catch (const Exception& error) {
    std::fprintf(stderr, "%s: %s\n", error.ClassName(), error.what());
    return 1;
  }
  return 0;
}
