#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Socket.h"

namespace bailan::test {

// What one connection of the test server does, step by step. Build it with the
// chained calls, then hand it to TTestServer::AddScript:
//
//   server.AddScript(TConnectionScript().ReadRequest().Send("HTTP/1.1 200 OK\r\n").Pause(300).Close());
//
// When the steps run out the server closes the connection (orderly close).
class TConnectionScript {
 public:
  // Waits for one complete request head (up to the empty line, plus a body of
  // its Content-Length) and records it; ends the script when the client closes.
  TConnectionScript& ReadRequest();
  // Sends the bytes as they are.
  TConnectionScript& Send(std::string bytes);
  // Sends the bytes one at a time with `delayMs` between them.
  TConnectionScript& SendSlowly(std::string bytes, int delayMs);
  // Sends the first `count` bytes, then closes: a peer that dies mid-answer.
  TConnectionScript& SendAndCloseAfter(std::string bytes, std::size_t count);
  TConnectionScript& Pause(int milliseconds);
  // Orderly close (FIN); later steps are ignored.
  TConnectionScript& Close();
  // Abortive close (RST); later steps are ignored.
  TConnectionScript& Reset();
  // Never answers: holds the connection open until the server stops.
  TConnectionScript& Hang();
  // ReadRequest() followed by Send(bytes): the common case.
  TConnectionScript& Respond(std::string bytes) { return ReadRequest().Send(std::move(bytes)); }

 private:
  friend class TTestServer;
  enum class TKind { ReadRequest, Send, SendSlowly, Pause, Close, Reset, Hang };
  struct TStep {
    TKind Kind;
    std::string Bytes;
    int Milliseconds = 0;
  };
  std::vector<TStep> steps_;
};

// How the file-serving mode answers.
struct TFileServingOptions {
  bool CloseAfterResponse = false;  // send "Connection: close" and close after each answer
  bool IgnoreRange = false;         // answer ranged GETs with 200 and the whole file
  std::size_t BlockSize = 65536;    // bytes per send of a body
  int BlockDelayMs = 0;             // pause after each block: a slow server
  // A body longer than this is cut by a reset (RST) once this many of its bytes
  // have been sent (0: never); ResetCount bodies are cut so (-1: every one).
  std::size_t ResetAfterBytes = 0;
  int ResetCount = -1;
};

// One request as the server received it.
struct TRecordedRequest {
  int Connection = 0;  // 0 for the first accepted connection, then 1, 2, ...
  std::string Raw;     // the bytes of the request head (and body), exactly as received
};

// A loopback HTTP peer for the tests: listens on 127.0.0.1 on a free port and
// answers each connection either from the next queued script or, when no script
// is queued, by serving the files and redirects it was given (HEAD, Range with
// 206 and Content-Range, 416, keep-alive). Every request's raw bytes are kept.
// All methods may be called from any thread.
class TTestServer {
 public:
  // Starts listening on `port` (0: a free one) and accepting at once; the server
  // owns its threads and sockets until it is destroyed (or Stop() is called).
  explicit TTestServer(std::uint16_t port = 0);
  ~TTestServer();
  TTestServer(const TTestServer&) = delete;
  TTestServer& operator=(const TTestServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `path`.
  std::string Url(const std::string& path) const;

  // Queues a script for the next accepted connection that has none yet.
  void AddScript(TConnectionScript script);
  // File mode: serves `bytes` at `path` (the request target without parameters).
  void AddFile(const std::string& path, std::string bytes);
  // File mode: answers `path` with `status` and a Location header.
  void AddRedirect(const std::string& path, const std::string& location, int status = 302);
  void SetFileOptions(const TFileServingOptions& options);

  std::vector<TRecordedRequest> Requests() const;
  // The raw bytes of request `index`; empty when there is none.
  std::string Request(std::size_t index) const;
  int ConnectionCount() const { return connections_.load(); }
  // Waits until at least `count` requests arrived; false on time-out.
  bool WaitForRequests(std::size_t count, int timeoutMs) const;

  // Stops accepting, ends every connection and joins the threads.
  void Stop();

 private:
  struct TLiveConnection;
  class TConnectionReader;

  void AcceptLoop();
  void Serve(std::shared_ptr<TLiveConnection> live, int index);
  void RunScript(TConnectionReader& reader, TLiveConnection& live, const TConnectionScript& script,
                 int index);
  void ServeFiles(TConnectionReader& reader, TLiveConnection& live, int index);
  bool AnswerFileRequest(TLiveConnection& live, const std::string& request);
  bool SendAll(TLiveConnection& live, const std::string& bytes);
  bool SendBody(TLiveConnection& live, const std::string& bytes, std::size_t from, std::size_t count);
  void Record(int connection, const std::string& raw);
  // Sleeps up to `milliseconds`; false when the server is stopping.
  bool PauseFor(int milliseconds);

  TSocket listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread acceptThread_;

  mutable std::mutex mutex_;  // guards everything below
  mutable std::condition_variable changed_;
  std::vector<TConnectionScript> scripts_;
  std::map<std::string, std::string> files_;
  std::map<std::string, std::pair<int, std::string>> redirects_;
  TFileServingOptions options_;
  std::vector<TRecordedRequest> requests_;
  std::vector<std::shared_ptr<TLiveConnection>> live_;
  std::vector<std::thread> handlers_;
};

}  // namespace bailan::test
