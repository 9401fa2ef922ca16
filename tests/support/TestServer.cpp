#include "support/TestServer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <stdexcept>

namespace bailan::test {
namespace {

constexpr int kPollSliceMs = 20;                  // how often blocked server threads look at the stop flag
constexpr std::size_t kMaxRequestHead = 1 << 20;  // a request head larger than this ends the connection

std::string HeaderValue(const std::string& head, const std::string& name) {
  std::size_t pos = 0;
  while ((pos = head.find("\r\n", pos)) != std::string::npos) {
    pos += 2;
    std::size_t colon = head.find(':', pos);
    std::size_t end = head.find("\r\n", pos);
    if (colon == std::string::npos || end == std::string::npos || colon > end) continue;
    std::string key = head.substr(pos, colon - pos);
    if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
          return std::tolower(a) == std::tolower(b);
        })) {
      std::string value = head.substr(colon + 1, end - colon - 1);
      std::size_t first = value.find_first_not_of(" \t");
      return first == std::string::npos ? std::string() : value.substr(first);
    }
  }
  return std::string();
}

std::string StatusText(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 404:
      return "Not Found";
    case 416:
      return "Requested Range Not Satisfiable";
    default:
      return "Status";
  }
}

}  // namespace

// ---- TConnectionScript ----

TConnectionScript& TConnectionScript::ReadRequest() {
  steps_.push_back({TKind::ReadRequest, {}, 0});
  return *this;
}
TConnectionScript& TConnectionScript::Send(std::string bytes) {
  steps_.push_back({TKind::Send, std::move(bytes), 0});
  return *this;
}
TConnectionScript& TConnectionScript::SendSlowly(std::string bytes, int delayMs) {
  steps_.push_back({TKind::SendSlowly, std::move(bytes), delayMs});
  return *this;
}
TConnectionScript& TConnectionScript::SendAndCloseAfter(std::string bytes, std::size_t count) {
  bytes.resize(std::min(count, bytes.size()));
  return Send(std::move(bytes)).Close();
}
TConnectionScript& TConnectionScript::Pause(int milliseconds) {
  steps_.push_back({TKind::Pause, {}, milliseconds});
  return *this;
}
TConnectionScript& TConnectionScript::Close() {
  steps_.push_back({TKind::Close, {}, 0});
  return *this;
}
TConnectionScript& TConnectionScript::Reset() {
  steps_.push_back({TKind::Reset, {}, 0});
  return *this;
}
TConnectionScript& TConnectionScript::Hang() {
  steps_.push_back({TKind::Hang, {}, 0});
  return *this;
}

// ---- connection state ----

struct TTestServer::TLiveConnection {
  std::mutex Mutex;  // guards closing against Stop()'s shutdown
  TSocket Socket;
  void Close(bool abortive) {
    std::lock_guard lock(Mutex);
    abortive ? Socket.AbortiveClose() : Socket.Close();
  }
  void Shutdown() {
    std::lock_guard lock(Mutex);
    Socket.Shutdown();
  }
};

// Reads whole requests off one connection, keeping bytes that follow a request.
class TTestServer::TConnectionReader {
 public:
  TConnectionReader(TSocket& socket, const std::atomic<bool>& stopping)
      : socket_(socket), stopping_(stopping) {}

  // One request head plus its Content-Length body; empty when the peer closed first.
  std::string NextRequest() {
    std::size_t headEnd;
    while ((headEnd = pending_.find("\r\n\r\n")) == std::string::npos) {
      if (pending_.size() > kMaxRequestHead || !ReceiveMore()) return std::string();
    }
    std::size_t total = headEnd + 4;
    std::string lengthText = HeaderValue(pending_.substr(0, total), "Content-Length");
    if (!lengthText.empty()) total += std::min<std::size_t>(std::stoul(lengthText), kMaxRequestHead);
    while (pending_.size() < total) {
      if (!ReceiveMore()) return std::string();
    }
    std::string request = pending_.substr(0, total);
    pending_.erase(0, total);
    return request;
  }

 private:
  bool ReceiveMore() {
    char buffer[16384];
    for (;;) {
      if (stopping_.load()) return false;
      int error = 0;
      TSocketWait wait = socket_.WaitReadable(kPollSliceMs, error);
      if (wait == TSocketWait::Failed) return false;
      if (wait == TSocketWait::TimedOut) continue;
      std::ptrdiff_t received = socket_.Receive(buffer, sizeof buffer, false, error);
      if (received <= 0) return false;
      pending_.append(buffer, static_cast<std::size_t>(received));
      return true;
    }
  }

  TSocket& socket_;
  const std::atomic<bool>& stopping_;
  std::string pending_;
};

// ---- TTestServer ----

TTestServer::TTestServer(std::uint16_t port) {
  int error = 0;
  listener_ = TSocket::ListenLoopback(port, error);
  if (error != 0) throw std::runtime_error("test server cannot listen: " + SocketErrorText(error));
  port_ = listener_.LocalPort();
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TTestServer::~TTestServer() {
  Stop();
}

std::string TTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TTestServer::AddScript(TConnectionScript script) {
  std::lock_guard lock(mutex_);
  scripts_.push_back(std::move(script));
}

void TTestServer::AddFile(const std::string& path, std::string bytes) {
  std::lock_guard lock(mutex_);
  files_[path] = std::move(bytes);
}

void TTestServer::AddRedirect(const std::string& path, const std::string& location, int status) {
  std::lock_guard lock(mutex_);
  redirects_[path] = {status, location};
}

void TTestServer::SetFileOptions(const TFileServingOptions& options) {
  std::lock_guard lock(mutex_);
  options_ = options;
}

std::vector<TRecordedRequest> TTestServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string TTestServer::Request(std::size_t index) const {
  std::lock_guard lock(mutex_);
  return index < requests_.size() ? requests_[index].Raw : std::string();
}

bool TTestServer::WaitForRequests(std::size_t count, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return requests_.size() >= count; });
}

void TTestServer::Stop() {
  if (stopping_.exchange(true)) return;
  {
    std::lock_guard lock(mutex_);  // no pause can miss the wake-up
  }
  changed_.notify_all();
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> handlers;
  {
    std::lock_guard lock(mutex_);
    for (auto& live : live_) live->Shutdown();
    handlers.swap(handlers_);
  }
  for (std::thread& handler : handlers) handler.join();
  listener_.Close();
}

void TTestServer::AcceptLoop() {
  while (!stopping_.load()) {
    int error = 0;
    TSocket accepted = listener_.Accept(kPollSliceMs, error);
    if (!accepted.IsOpen()) continue;
    auto live = std::make_shared<TLiveConnection>();
    live->Socket = std::move(accepted);
    const int index = connections_.fetch_add(1);
    std::lock_guard lock(mutex_);
    live_.push_back(live);
    handlers_.emplace_back([this, live, index] { Serve(live, index); });
  }
}

void TTestServer::Serve(std::shared_ptr<TLiveConnection> live, int index) {
  TConnectionReader reader(live->Socket, stopping_);
  std::optional<TConnectionScript> script;
  {
    std::lock_guard lock(mutex_);
    if (!scripts_.empty()) {
      script = std::move(scripts_.front());
      scripts_.erase(scripts_.begin());
    }
  }
  if (script) {
    RunScript(reader, *live, *script, index);
  } else {
    ServeFiles(reader, *live, index);
  }
  live->Close(false);
}

void TTestServer::RunScript(TConnectionReader& reader, TLiveConnection& live, const TConnectionScript& script,
                            int index) {
  for (const TConnectionScript::TStep& step : script.steps_) {
    if (stopping_.load()) return;
    switch (step.Kind) {
      case TConnectionScript::TKind::ReadRequest: {
        std::string request = reader.NextRequest();
        if (request.empty()) return;
        Record(index, request);
        break;
      }
      case TConnectionScript::TKind::Send:
        if (!SendAll(live, step.Bytes)) return;
        break;
      case TConnectionScript::TKind::SendSlowly:
        for (char byte : step.Bytes) {
          if (!SendAll(live, std::string(1, byte)) || !PauseFor(step.Milliseconds)) return;
        }
        break;
      case TConnectionScript::TKind::Pause:
        if (!PauseFor(step.Milliseconds)) return;
        break;
      case TConnectionScript::TKind::Close:
        return;
      case TConnectionScript::TKind::Reset:
        live.Close(true);
        return;
      case TConnectionScript::TKind::Hang:
        while (PauseFor(1000)) {
        }
        return;
    }
  }
}

void TTestServer::ServeFiles(TConnectionReader& reader, TLiveConnection& live, int index) {
  for (;;) {
    std::string request = reader.NextRequest();
    if (request.empty()) return;
    Record(index, request);
    if (!AnswerFileRequest(live, request)) return;
  }
}

// Answers one request of the file mode; false when the connection is to end.
bool TTestServer::AnswerFileRequest(TLiveConnection& live, const std::string& request) {
  const std::string method = request.substr(0, request.find(' '));
  std::size_t targetStart = method.size() + 1;
  std::string target = request.substr(targetStart, request.find(' ', targetStart) - targetStart);
  target = target.substr(0, target.find('?'));
  TFileServingOptions options;
  std::string body;
  bool found = false;
  std::pair<int, std::string> redirect{0, {}};
  {
    std::lock_guard lock(mutex_);
    options = options_;
    if (auto file = files_.find(target); file != files_.end()) {
      body = file->second;
      found = true;
    } else if (auto hop = redirects_.find(target); hop != redirects_.end()) {
      redirect = hop->second;
    }
  }
  const bool close = options.CloseAfterResponse || HeaderValue(request, "Connection") == "close";
  const std::string connection = close ? "Connection: close\r\n" : "";
  if (redirect.first != 0) {
    return SendAll(live, "HTTP/1.1 " + std::to_string(redirect.first) + " " + StatusText(redirect.first) +
                             "\r\nLocation: " + redirect.second + "\r\nContent-Length: 0\r\n" + connection +
                             "\r\n") &&
           !close;
  }
  if (!found) {
    const std::string text = "not found";
    return SendAll(live, "HTTP/1.1 404 Not Found\r\nContent-Length: " + std::to_string(text.size()) + "\r\n" +
                             connection + "\r\n" + (method == "HEAD" ? "" : text)) &&
           !close;
  }
  std::size_t from = 0;
  std::size_t count = body.size();
  int status = 200;
  std::string extra;
  std::string range = HeaderValue(request, "Range");
  if (!range.empty() && !options.IgnoreRange && range.rfind("bytes=", 0) == 0) {
    std::string spec = range.substr(6);
    std::size_t dash = spec.find('-');
    std::size_t first = std::stoull(spec.substr(0, dash));
    std::size_t last = body.empty() ? 0 : body.size() - 1;
    if (dash != std::string::npos && dash + 1 < spec.size())
      last = std::min<std::size_t>(last, std::stoull(spec.substr(dash + 1)));
    if (first >= body.size() || first > last) {
      return SendAll(live, "HTTP/1.1 416 Requested Range Not Satisfiable\r\nContent-Range: bytes */" +
                               std::to_string(body.size()) + "\r\nContent-Length: 0\r\n" + connection +
                               "\r\n") &&
             !close;
    }
    status = 206;
    from = first;
    count = last - first + 1;
    extra = "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
            std::to_string(body.size()) + "\r\n";
  }
  std::string head = "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) +
                     "\r\nContent-Length: " + std::to_string(count) + "\r\nAccept-Ranges: bytes\r\n" + extra +
                     connection + "\r\n";
  if (!SendAll(live, head)) return false;
  if (method != "HEAD" && !SendBody(live, body, from, count)) return false;
  return !close;
}

bool TTestServer::SendBody(TLiveConnection& live, const std::string& bytes, std::size_t from,
                           std::size_t count) {
  TFileServingOptions options;
  {
    std::lock_guard lock(mutex_);
    options = options_;
  }
  const std::size_t block = std::max<std::size_t>(options.BlockSize, 1);
  bool cut = false;
  if (options.ResetAfterBytes > 0 && count > options.ResetAfterBytes) {
    std::lock_guard lock(mutex_);
    if (options_.ResetCount != 0) {
      if (options_.ResetCount > 0) --options_.ResetCount;
      cut = true;
      count = options.ResetAfterBytes;
    }
  }
  for (std::size_t sent = 0; sent < count; sent += block) {
    if (!SendAll(live, bytes.substr(from + sent, std::min(block, count - sent)))) return false;
    if (options.BlockDelayMs > 0 && !PauseFor(options.BlockDelayMs)) return false;
  }
  if (cut) {
    PauseFor(kPollSliceMs);  // let the bytes leave before the reset discards them
    live.Close(true);
    return false;
  }
  return true;
}

bool TTestServer::SendAll(TLiveConnection& live, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (stopping_.load()) return false;
    int error = 0;
    std::ptrdiff_t sent = live.Socket.Send(bytes.data() + done, bytes.size() - done, error);
    if (sent <= 0) return false;
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

void TTestServer::Record(int connection, const std::string& raw) {
  std::lock_guard lock(mutex_);
  requests_.push_back({connection, raw});
  changed_.notify_all();
}

bool TTestServer::PauseFor(int milliseconds) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return stopping_.load(); });
}

}  // namespace bailan::test
