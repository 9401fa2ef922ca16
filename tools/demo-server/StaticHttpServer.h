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

// Most connections served at once, each with its own thread: an installer opens
// about a dozen (three jobs of three segments, the manifest, the pages), and
// what comes over this is answered 503 by the accepting thread and closed, so
// that a flood of connections cannot exhaust threads or memory.
inline constexpr std::size_t kMaxConnections = 32;
// How long a client may take to send one request head, from its first byte: a
// real one sends it in one packet; a client that trickles it byte by byte to
// hold the connection (and its thread) is answered 408 and cut off, whatever the
// idle limit between requests.
inline constexpr int kHeadTimeLimitMs = 10000;

struct TStaticServerOptions {
  std::uint16_t Port = 0;                  // 0: a free port chosen by the system
  std::uint64_t BytesPerSecond = 0;        // per connection; 0 sends as fast as the peer reads
  int HeadTimeLimitMs = kHeadTimeLimitMs;  // lowered by tests
  // Told one line per answered request ("GET /a.zip bytes=0-99 -> 206, 100 bytes"),
  // from the connection's thread, one call at a time.
  std::function<void(const std::string&)> Log;
};

// Serves the files below a folder over HTTP/1.1 on 127.0.0.1: GET and HEAD, one
// byte range per request (206 with Content-Range, 416 beyond the end),
// persistent connections, and an optional rate limit per connection. A thread
// per connection, at most kMaxConnections of them; nothing outside the folder is
// ever served (see FileOfTarget), not even through a link inside it.
class TStaticHttpServer {
 public:
  // Binds and starts accepting at once (throws std::runtime_error when the port
  // cannot be bound, std::filesystem::filesystem_error when `root` cannot be
  // created). The server owns its threads and sockets until it is destroyed or
  // stopped; `root` (created when missing) must stay in place as long as it runs.
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
