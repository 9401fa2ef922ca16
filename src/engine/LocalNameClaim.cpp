#include "engine/LocalNameClaim.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "platform/FileNames.h"

namespace bailan {

struct TLocalNameClaim::TTable {
  std::mutex Mutex;
  std::condition_variable Released;
  std::set<std::string> Held;  // guarded by Mutex
};

TLocalNameClaim::TLocalNameClaim(std::shared_ptr<TTable> table, std::string key)
    : table_(std::move(table)), key_(std::move(key)) {}

std::unique_ptr<TLocalNameClaim> TLocalNameClaim::Claim(const std::string& path, std::uint32_t waitMs) {
  static const std::shared_ptr<TTable> table = std::make_shared<TTable>();
  std::string key = HostNameKey(path);
  std::unique_lock lock(table->Mutex);
  if (!table->Released.wait_for(lock, std::chrono::milliseconds(waitMs),
                                [&] { return table->Held.count(key) == 0; }))
    return nullptr;
  table->Held.insert(key);
  return std::unique_ptr<TLocalNameClaim>(new TLocalNameClaim(table, std::move(key)));
}

TLocalNameClaim::~TLocalNameClaim() {
  {
    std::lock_guard lock(table_->Mutex);
    table_->Held.erase(key_);
  }
  table_->Released.notify_all();
}

}  // namespace bailan
