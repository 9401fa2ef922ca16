#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Socket.h"

namespace bailan::demo {

struct TStaticServerOptions {
  std::uint16_t Port = 0;            // 0: a free port chosen by the system
  std::uint64_t BytesPerSecond = 0;  // per connection; 0 sends as fast as the peer reads
  // Told one line per answered request ("GET /a.zip bytes=0-99 -> 206, 100 bytes"),
  // from the connection's thread, one call at a time.
  std::function<void(const std::string&)> Log;
};

// Serves the files below a folder over HTTP/1.1 on 127.0.0.1: GET and HEAD, one
// byte range per request (206 with Content-Range, 416 beyond the end),
// persistent connections, and an optional rate limit per connection. A thread
// per connection; nothing outside the folder is ever served.
class TStaticHttpServer {
 public:
  // Binds and starts accepting at once (throws std::runtime_error when the port
  // cannot be bound). The server owns its threads and sockets until it is
  // destroyed or stopped; `root` must stay in place as long as it runs.
  TStaticHttpServer(std::filesystem::path root, TStaticServerOptions options);
  ~TStaticHttpServer();
  TStaticHttpServer(const TStaticHttpServer&) = delete;
  TStaticHttpServer& operator=(const TStaticHttpServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // Stops accepting, ends every connection and joins the threads. Any thread.
  void Stop();

 private:
  struct TConnection;

  void AcceptLoop();
  void ReapFinished();
  void Serve(TConnection& connection);
  bool ReadRequestHead(TConnection& connection, std::string& buffer, std::string& head);
  bool Answer(TConnection& connection, const std::string& head);
  bool SendFile(TConnection& connection, const std::filesystem::path& path, std::uint64_t first,
                std::uint64_t count);
  bool SendAll(TConnection& connection, const char* data, std::size_t count);
  void LogLine(const std::string& line);

  const std::filesystem::path root_;
  const TStaticServerOptions options_;
  TSocket listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;

  std::mutex mutex_;  // guards connections_ and the log
  std::vector<std::unique_ptr<TConnection>> connections_;
};

}  // namespace bailan::demo
