#pragma once

#include <string>
#include <string_view>

namespace bailan {

// The parts of a URL text, split purely textually: no name lookup, no
// validation, no percent-decoding. Every part is empty when the URL has none.
// For "http://u:p@host:8080/dir/get.php?id=3#top":
//   Scheme "http", Username "u", Password "p", Host "host", Port "8080",
//   Path "/dir/", Document "get.php", Params "?id=3".
// Texts are CP936: "\" counts as "/" except where its byte is the trail byte of
// a double-byte character.
class TUri {
 public:
  // A plain value; any text splits, no text fails.
  explicit TUri(std::string_view url);

  std::string Scheme;
  std::string Username;
  std::string Password;
  std::string Host;
  std::string Port;  // text, not a number; may be empty
  std::string Path;
  std::string Document;
  std::string Params;  // from "?" (or "=" when there is no "?") to the end, fragment removed

 private:
  void SplitAuthority(std::string_view authority);
  void SplitPathPart(std::string_view rest, bool hasScheme);
};

// "\" replaced by "/", stepping over double-byte characters.
std::string NormaliseUrlSlashes(std::string_view url);

}  // namespace bailan
