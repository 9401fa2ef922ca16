#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace bailan {

// A job's hold on the local name of its resource (the folder and the file name
// that its partial and resume files are named after), in one table for the
// whole process: while a claim lives, no other claim of a name the host takes
// for the same one (HostNameKey: the CP936 conversion, on Windows any letter
// case) can be made, so no two live jobs ever share a partial or resume file.
class TLocalNameClaim {
 public:
  // Claims the name of `path` (CP936) for the caller, who owns the claim and
  // may release it on any thread by destroying it. When another claim holds
  // the name, waits up to `waitMs` for it to be released; null when it still
  // holds it then. Any thread.
  static std::unique_ptr<TLocalNameClaim> Claim(const std::string& path, std::uint32_t waitMs);

  ~TLocalNameClaim();
  TLocalNameClaim(const TLocalNameClaim&) = delete;
  TLocalNameClaim& operator=(const TLocalNameClaim&) = delete;

  // The name as the host compares it.
  const std::string& Key() const { return key_; }

 private:
  struct TTable;
  TLocalNameClaim(std::shared_ptr<TTable> table, std::string key);

  std::shared_ptr<TTable> table_;  // kept alive by every claim, whatever the order of exit
  std::string key_;
};

}  // namespace bailan
