#include "transport/http/Uri.h"

#include "platform/Cp936.h"

namespace bailan {
namespace {

constexpr std::string_view kSchemeSeparator = "://";
constexpr std::size_t npos = std::string_view::npos;

// Position of the first "://" that does not start inside a double-byte
// character; npos when there is none.
std::size_t FindSchemeSeparator(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += Cp936CharLength(text, i)) {
    if (text.substr(i, kSchemeSeparator.size()) == kSchemeSeparator) return i;
  }
  return npos;
}

// Cuts `text` at its first "#" (the fragment), if any.
void RemoveFragment(std::string& text) {
  std::size_t hash = Cp936FindFirst(text, '#');
  if (hash != npos) text.erase(hash);
}

}  // namespace

std::string NormaliseUrlSlashes(std::string_view url) {
  std::string out(url);
  for (std::size_t i = 0; i < out.size(); i += Cp936CharLength(out, i)) {
    if (out[i] == '\\') out[i] = '/';
  }
  return out;
}

TUri::TUri(std::string_view url) {
  std::string text = NormaliseUrlSlashes(url);
  std::string_view view(text);
  std::size_t separator = FindSchemeSeparator(view);
  if (separator == npos) {
    SplitPathPart(view, false);
    return;
  }
  Scheme = std::string(view.substr(0, separator));
  std::string_view rest = view.substr(separator + kSchemeSeparator.size());
  std::size_t slash = Cp936FindFirst(rest, '/');
  SplitAuthority(rest.substr(0, slash));
  SplitPathPart(slash == npos ? std::string_view() : rest.substr(slash + 1), true);
}

void TUri::SplitAuthority(std::string_view authority) {
  std::size_t at = Cp936FindFirst(authority, '@');
  if (at != npos) {
    std::string_view userInfo = authority.substr(0, at);
    std::size_t colon = Cp936FindFirst(userInfo, ':');
    Username = std::string(userInfo.substr(0, colon));
    if (colon != npos && !Username.empty()) Password = std::string(userInfo.substr(colon + 1));
    authority = authority.substr(at + 1);
  }
  std::size_t colon = Cp936FindFirst(authority, ':');
  Host = std::string(authority.substr(0, colon));
  if (colon != npos) Port = std::string(authority.substr(colon + 1));
}

void TUri::SplitPathPart(std::string_view rest, bool hasScheme) {
  std::size_t paramsStart = Cp936FindFirst(rest, '?');
  if (paramsStart == npos) paramsStart = Cp936FindFirst(rest, '=');
  if (paramsStart == npos) paramsStart = rest.size();

  std::string_view beforeParams = rest.substr(0, paramsStart);
  std::size_t lastSlash = Cp936FindLast(beforeParams, '/');
  std::size_t documentStart = lastSlash == npos ? 0 : lastSlash + 1;

  std::string_view folder = beforeParams.substr(0, documentStart);
  Path.reserve(folder.size() + 1);
  if (hasScheme) Path.push_back('/');
  Path.append(folder.data(), folder.size());
  Document = std::string(beforeParams.substr(documentStart));
  Params = std::string(rest.substr(paramsStart));

  if (hasScheme && Cp936FindFirst(Document, '#') != npos) {
    RemoveFragment(Document);
  } else {
    RemoveFragment(Params);
  }
}

}  // namespace bailan
