#pragma once

// Shared by the HTTP client tests: a client wired to the test server with short
// time-outs, and a check for a failure's class and text.
#include <gtest/gtest.h>

#include <string>

#include "support/TestServer.h"
#include "transport/http/HttpClient.h"

namespace bailan::test {

// Runs `body`, expecting a failure of class E whose message is `message`.
template <typename E, typename F>
void ExpectFailure(F body, const std::string& message) {
  try {
    body();
    ADD_FAILURE() << "no failure, expected " << message;
  } catch (const E& error) {
    EXPECT_EQ(error.Message(), message);
  }
}

// A client as the installer's callers set it up, with time-outs lowered so
// that time-out cases finish quickly.
inline void ConfigureLikeTheCallers(THttpClient& client, int readTimeout = 3000) {
  client.SetHandleRedirects(true);
  client.SetReadTimeout(readTimeout);
  client.SetRedirectDrainTimeout(400);
  client.SetErrorBodyTimeout(400);
}

inline std::string Ok(const std::string& body, const std::string& extra = "") {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extra + "\r\n" + body;
}

inline std::string Redirect(const std::string& location, const std::string& extra = "") {
  return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n" + extra + "\r\n";
}

// The header block of a recorded request, without its request line.
inline std::string RequestLine(const std::string& raw) {
  return raw.substr(0, raw.find("\r\n"));
}

}  // namespace bailan::test
