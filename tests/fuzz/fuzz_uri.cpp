// Arbitrary text as a URL: splitting never fails and takes every part from the
// text (a path may gain its leading "/"), and the path of the next request
// merged from it never grows beyond the two paths together.
#include <cstdint>
#include <string>
#include <string_view>

#include "transport/http/RequestPath.h"
#include "transport/http/Uri.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bailan;
  const TUri uri(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::size_t parts = uri.Scheme.size() + uri.Username.size() + uri.Password.size() + uri.Host.size() +
                            uri.Port.size() + uri.Path.size() + uri.Document.size() + uri.Params.size();
  if (parts > size + 1) __builtin_trap();
  const std::string current = "/dir/sub/";
  if (MergeRequestPath(current, uri.Path).size() > current.size() + uri.Path.size() + 1) __builtin_trap();
  return 0;
}
