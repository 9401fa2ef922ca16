#include "StaticHttpServer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <stdexcept>

#include "ByteRange.h"
#include "SitePath.h"

namespace bailan::demo {
namespace {

constexpr std::size_t kMaxRequestHead = 16384;  // longer request heads get 431 and the connection ends
constexpr int kPollMs = 200;                    // how often a waiting thread looks at the stop flag
constexpr int kIdleLimitMs = 60000;             // a persistent connection idle this long is closed
constexpr std::size_t kBlockBytes = 64 * 1024;  // bytes read from the file and sent per step
constexpr int kAcceptWaitMs = 200;              // how often the accepting thread looks at the stop flag
constexpr std::size_t kReceiveBytes = 4096;     // bytes taken from the socket per read of a request head

// The answer to a connection over the cap, sent by the accepting thread itself:
// a few bytes into the empty send buffer of a new socket, which never blocks.
constexpr char kBusyAnswer[] =
    "HTTP/1.1 503 Service Unavailable\r\nServer: bailan-demo-server\r\nRetry-After: 1\r\n"
    "Content-Length: 0\r\nConnection: close\r\n\r\n";

struct THeadFields {
  std::string Method, Target, Version, Range, Connection;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

THeadFields ParseHead(const std::string& head) {
  THeadFields fields;
  std::size_t lineEnd = head.find("\r\n");
  const std::string requestLine = head.substr(0, lineEnd);
  const std::size_t space1 = requestLine.find(' '), space2 = requestLine.rfind(' ');
  if (space1 != std::string::npos && space2 > space1) {
    fields.Method = requestLine.substr(0, space1);
    fields.Target = requestLine.substr(space1 + 1, space2 - space1 - 1);
    fields.Version = requestLine.substr(space2 + 1);
  }
  while (lineEnd != std::string::npos && lineEnd + 2 < head.size()) {
    const std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string line =
        head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = Lower(Trim(line.substr(0, colon)));
    if (name == "range") fields.Range = Trim(line.substr(colon + 1));
    if (name == "connection") fields.Connection = Lower(Trim(line.substr(colon + 1)));
  }
  return fields;
}

std::string ContentType(const std::filesystem::path& file) {
  const std::string ext = Lower(file.extension().string());
  if (ext == ".html") return "text/html; charset=utf-8";
  if (ext == ".txt") return "text/plain; charset=gbk";
  if (ext == ".zip") return "application/zip";
  return "application/octet-stream";
}

// The folder's real path (created when missing): requests are checked against it.
std::filesystem::path CanonicalFolder(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  return std::filesystem::canonical(folder);
}

std::string StatusHead(int status, const char* reason) {
  return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nServer: bailan-demo-server\r\n";
}

}  // namespace

struct TStaticHttpServer::TConnection {
  TSocket Socket;
  std::thread Thread;
  std::atomic<bool> Finished{false};
};

TStaticHttpServer::TStaticHttpServer(std::filesystem::path root, TStaticServerOptions options)
    : root_(CanonicalFolder(root)), options_(std::move(options)) {
  int error = 0;
  listener_ = TSocket::ListenLoopback(options_.Port, error);
  if (!listener_.IsOpen())
    throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(options_.Port) + ": " +
                             SocketErrorText(error));
  port_ = listener_.LocalPort();
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TStaticHttpServer::~TStaticHttpServer() {
  Stop();
}

void TStaticHttpServer::Stop() {
  if (stopping_.exchange(true)) return;
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::unique_ptr<TConnection>> connections;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    connections.swap(connections_);
  }
  for (auto& connection : connections) connection->Socket.Shutdown();
  for (auto& connection : connections) connection->Thread.join();
  listener_.Close();
}

void TStaticHttpServer::AcceptLoop() {
  while (!stopping_) {
    int error = 0;
    TSocket socket = listener_.Accept(kAcceptWaitMs, error);
    ReapFinished();
    if (!socket.IsOpen()) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (connections_.size() >= kMaxConnections) {
      // No thread for it: told at once, and closed when `socket` goes.
      socket.Send(kBusyAnswer, sizeof kBusyAnswer - 1, error);
      socket.Shutdown();
      if (options_.Log) options_.Log("connection refused: " + std::to_string(kMaxConnections) + " are open");
      continue;
    }
    auto connection = std::make_unique<TConnection>();
    connection->Socket = std::move(socket);
    TConnection& live = *connection;
    connections_.push_back(std::move(connection));
    live.Thread = std::thread([this, &live] {
      Serve(live);
      live.Finished = true;
    });
  }
}

void TStaticHttpServer::ReapFinished() {
  std::vector<std::unique_ptr<TConnection>> finished;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto split = std::stable_partition(connections_.begin(), connections_.end(),
                                       [](const auto& connection) { return !connection->Finished; });
    std::move(split, connections_.end(), std::back_inserter(finished));
    connections_.erase(split, connections_.end());
  }
  for (auto& connection : finished) connection->Thread.join();
}

void TStaticHttpServer::Serve(TConnection& connection) {
  std::string buffer, head;
  while (!stopping_ && ReadRequestHead(connection, buffer, head) && Answer(connection, head)) {
  }
  // The peer sees the end at once; the socket itself is closed when the
  // connection is reaped.
  connection.Socket.Shutdown();
}

bool TStaticHttpServer::ReadRequestHead(TConnection& connection, std::string& buffer, std::string& head) {
  int idleMs = 0;
  // The head's clock runs from its first byte, however slowly the rest comes.
  auto headStart = std::chrono::steady_clock::now();
  bool headStarted = !buffer.empty();
  for (;;) {
    const std::size_t end = buffer.find("\r\n\r\n");
    if (end != std::string::npos) {
      head = buffer.substr(0, end + 2);
      buffer.erase(0, end + 4);
      return true;
    }
    if (buffer.size() > kMaxRequestHead) {
      const std::string answer = StatusHead(431, "Request Header Fields Too Large") +
                                 "Content-Length: 0\r\nConnection: close\r\n\r\n";
      SendAll(connection, answer.data(), answer.size());
      return false;
    }
    if (headStarted &&
        std::chrono::steady_clock::now() - headStart >= std::chrono::milliseconds(options_.HeadTimeLimitMs)) {
      const std::string answer =
          StatusHead(408, "Request Timeout") + "Content-Length: 0\r\nConnection: close\r\n\r\n";
      SendAll(connection, answer.data(), answer.size());
      LogLine("request head not complete within " + std::to_string(options_.HeadTimeLimitMs) + " ms -> 408");
      return false;
    }
    int error = 0;
    const TSocketWait wait = connection.Socket.WaitReadable(kPollMs, error);
    if (stopping_ || wait == TSocketWait::Failed) return false;
    if (wait == TSocketWait::TimedOut) {
      idleMs += kPollMs;
      if (idleMs >= kIdleLimitMs) return false;
      continue;
    }
    char block[kReceiveBytes];
    const std::ptrdiff_t got = connection.Socket.Receive(block, sizeof block, false, error);
    if (got <= 0) return false;
    if (!headStarted) headStart = std::chrono::steady_clock::now();
    headStarted = true;
    buffer.append(block, static_cast<std::size_t>(got));
    idleMs = 0;
  }
}

bool TStaticHttpServer::Answer(TConnection& connection, const std::string& head) {
  const THeadFields fields = ParseHead(head);
  const bool keepAlive = fields.Version == "HTTP/1.1" && fields.Connection != "close";
  const std::string connectionHeader = keepAlive ? "" : "Connection: close\r\n";
  const bool isHead = fields.Method == "HEAD";
  if (fields.Method != "GET" && !isHead) {
    const std::string answer =
        StatusHead(501, "Not Implemented") + "Content-Length: 0\r\nConnection: close\r\n\r\n";
    SendAll(connection, answer.data(), answer.size());
    LogLine(fields.Method + " " + fields.Target + " -> 501");
    return false;
  }
  const std::filesystem::path file = FileOfTarget(root_, fields.Target);
  std::error_code sizeError;
  const std::uint64_t size = file.empty() ? 0 : std::filesystem::file_size(file, sizeError);
  if (file.empty() || sizeError) {  // no such file, or one that went away meanwhile
    const std::string body = "not found\n";
    const std::string answer = StatusHead(404, "Not Found") +
                               "Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\n" + connectionHeader + "\r\n" + (isHead ? "" : body);
    LogLine(fields.Method + " " + fields.Target + " -> 404");
    return SendAll(connection, answer.data(), answer.size()) && keepAlive;
  }
  const TByteRange range = ResolveByteRange(isHead ? "" : fields.Range, size);
  std::string answer;
  std::uint64_t first = 0, count = size;
  if (range.Kind == TByteRange::TKind::Unsatisfiable) {
    answer = StatusHead(416, "Range Not Satisfiable") + "Content-Range: bytes */" + std::to_string(size) +
             "\r\nContent-Length: 0\r\n";
    count = 0;
  } else if (range.Kind == TByteRange::TKind::Part) {
    first = range.First;
    count = range.Last - range.First + 1;
    answer = StatusHead(206, "Partial Content") + "Content-Range: bytes " + std::to_string(range.First) +
             "-" + std::to_string(range.Last) + "/" + std::to_string(size) + "\r\n";
  } else {
    answer = StatusHead(200, "OK");
  }
  if (range.Kind != TByteRange::TKind::Unsatisfiable)
    answer += "Content-Type: " + ContentType(file) + "\r\nContent-Length: " + std::to_string(count) + "\r\n";
  answer += "Accept-Ranges: bytes\r\n" + connectionHeader + "\r\n";
  LogLine(fields.Method + " " + fields.Target + (fields.Range.empty() ? "" : " " + fields.Range) + " -> " +
          answer.substr(9, 3) + (isHead ? "" : ", " + std::to_string(count) + " bytes"));
  if (!SendAll(connection, answer.data(), answer.size())) return false;
  if (!isHead && count > 0 && !SendFile(connection, file, first, count)) return false;
  return keepAlive;
}

bool TStaticHttpServer::SendFile(TConnection& connection, const std::filesystem::path& path,
                                 std::uint64_t first, std::uint64_t count) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(first));
  const auto started = std::chrono::steady_clock::now();
  std::uint64_t sent = 0;
  std::string block(kBlockBytes, '\0');
  while (sent < count) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, count - sent));
    if (!in.read(block.data(), static_cast<std::streamsize>(want))) return false;
    if (!SendAll(connection, block.data(), want)) return false;
    sent += want;
    if (options_.BytesPerSecond == 0) continue;
    // Sleeps until the bytes sent so far are due at the given rate, in slices
    // short enough to notice a stop.
    const auto due = started + std::chrono::microseconds(sent * 1000000 / options_.BytesPerSecond);
    while (!stopping_ && std::chrono::steady_clock::now() < due)
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
          due - std::chrono::steady_clock::now(), std::chrono::milliseconds(kPollMs)));
    if (stopping_) return false;
  }
  return true;
}

bool TStaticHttpServer::SendAll(TConnection& connection, const char* data, std::size_t count) {
  while (count > 0) {
    int error = 0;
    const std::ptrdiff_t done = connection.Socket.Send(data, count, error);
    if (done <= 0) return false;
    data += done;
    count -= static_cast<std::size_t>(done);
  }
  return true;
}

void TStaticHttpServer::LogLine(const std::string& line) {
  if (!options_.Log) return;
  std::lock_guard<std::mutex> lock(mutex_);
  options_.Log(line);
}

}  // namespace bailan::demo
