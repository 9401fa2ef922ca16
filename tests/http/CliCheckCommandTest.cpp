// bailan-cli check: the rows it prints for a server that departs from what the
// installer relies on, against the scriptable test server and nginx.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Sha256.h"
#include "support/NginxFixture.h"
#include "support/Subprocess.h"
#include "support/TestServer.h"
#include "support/ZipBuilder.h"

namespace bailan::test {
namespace {

const std::string& Archive() {
  static const std::string archive = TZipBuilder().AddFile("BL.exe", std::string(5000, 'b')).Build();
  return archive;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

struct TCheckRun {
  int ExitCode = -1;
  std::vector<std::string> Rows;  // "check:result" of each row, in order
  std::string Details;            // every row's detail, one a line
  std::string Output;
};

TCheckRun RunCheck(std::vector<std::string> args) {
  args.insert(args.begin(), "check");
  TCheckRun run;
  std::string err;
  run.ExitCode = RunCli(args, &run.Output, &err);
  run.Output += err;
  std::size_t pos = run.Output.find('\n');  // the header line
  for (std::size_t next;
       pos != std::string::npos && (next = run.Output.find('\n', pos + 1)) != std::string::npos; pos = next) {
    std::vector<std::string> cells;
    const std::string line = run.Output.substr(pos + 1, next - pos - 1);
    for (std::size_t from = 0, bar;; from = bar + 3) {
      bar = line.find(" | ", from);
      cells.push_back(Trimmed(line.substr(from, bar == std::string::npos ? std::string::npos : bar - from)));
      if (bar == std::string::npos) break;
    }
    if (cells.size() != 5) continue;  // the summary line
    run.Rows.push_back(cells[2] + ":" + cells[3]);
    run.Details += cells[4] + "\n";
  }
  return run;
}

std::string Manifest(const std::string& url, const std::string& more = "") {
  return "[bailan]\r\nurl=" + url + "\r\n" + more;
}

std::string Answer(const std::string& status, const std::string& headers, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

std::string RangeAnswer(std::size_t start, std::size_t end, const std::string& extra,
                        const std::string& body) {
  return Answer("206 Partial Content",
                "Content-Range: bytes " + std::to_string(start) + "-" + std::to_string(end) + "/" +
                    std::to_string(Archive().size()) + "\r\n" + extra,
                body);
}

// Sets the server up for one case; returns the manifest's address.
using TServe = std::function<std::string(TTestServer&)>;

// The file mode alone, answering as `options` say.
TServe Files(TFileServingOptions options) {
  return [options](TTestServer& s) {
    s.SetFileOptions(options);
    return s.Url("/m.ini");
  };
}

// The manifest, then `head` as the probe's answer; the file mode serves the rest.
TServe ProbeAnswer(std::string head) {
  return [head](TTestServer& s) {
    s.AddScript(TConnectionScript().Respond(Answer("200 OK", "", Manifest(s.Url("/files/a.zip")))));
    s.AddScript(TConnectionScript().Respond(head));
    return s.Url("/m.ini");
  };
}

// Every connection scripted: the manifest, the probe, the whole GET, then the
// three ranged answers to the job's segments of Archive() as `answer(start,
// end)` gives each (end inclusive: the extra byte the job asks for included).
TServe ScriptedRanges(std::function<std::string(std::size_t, std::size_t)> answer) {
  return [answer](TTestServer& s) {
    const std::size_t total = Archive().size(), part = total / 3;
    s.AddScript(TConnectionScript().Respond(Answer("200 OK", "", Manifest(s.Url("/a.zip")))));
    s.AddScript(TConnectionScript().Respond("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(total) +
                                            "\r\n\r\n"));
    s.AddScript(TConnectionScript().Respond(Answer("200 OK", "", Archive())));
    for (std::size_t k = 0; k < 3; ++k) {
      const std::size_t start = k * part, end = k == 2 ? total - 1 : (k + 1) * part;
      s.AddScript(TConnectionScript().Respond(answer(start, end)));
    }
    return s.Url("/m.ini");
  };
}

struct TDeviation {
  const char* Name;
  TServe Serve;
  int ExitCode;
  std::vector<std::string> Rows;
  const char* Detail;  // in the first row's detail
};

TEST(CliCheckCommandTest, EachDeviationGivesItsRows) {
  const std::vector<TDeviation> cases = {
      {"ranges ignored",
       Files(TFileServingOptions{false, true}),
       1,
       {"range 2:fail", "range 3:fail", "range 1:warn"},
       "answered 200 instead of 206: ranges ignored"},
      {"connection close",
       Files(TFileServingOptions{true, false}),
       1,
       {"range 1:fail", "range 2:fail", "range 3:fail"},
       "\"Connection: close\" on a ranged answer"},
      {"chunked segments",
       ScriptedRanges([](std::size_t a, std::size_t b) {
         return RangeAnswer(a, b, "Transfer-Encoding: chunked\r\n", "");
       }),
       1,
       {"range 1:fail", "range 2:fail", "range 3:fail"},
       "Transfer-Encoding: chunked on a ranged answer"},
      {"range from another byte",
       ScriptedRanges([](std::size_t a, std::size_t b) {
         std::string body = Archive().substr(a, b - a + 1);
         if (a > 0) body[10] ^= 1;  // the second and third ranges carry other bytes
         return RangeAnswer(a, b, "", body);
       }),
       1,
       {"range 2:fail", "range 3:fail"},
       "differs from the whole GET's"},
      {"no Content-Length",
       ProbeAnswer("HTTP/1.1 200 OK\r\n\r\n"),
       1,
       {"Content-Length:fail"},
       "gives no Content-Length: the job never completes"},
      {"2 GiB",
       ProbeAnswer("HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n"),
       1,
       {"size:fail"},
       "2147483648 bytes"},
      {"manifest without length, redirect chain",
       [](TTestServer& s) {
         s.AddScript(
             TConnectionScript().Respond("HTTP/1.1 200 OK\r\n\r\n" + Manifest(s.Url("/moved.zip"))).Close());
         s.AddRedirect("/moved.zip", "/files/a.zip", 301);
         return s.Url("/m.ini");
       },
       0,
       {"Content-Length:warn", "redirect:warn"},
       "read until the server closes"},
      {"not a ZIP, pinned digest",
       [](TTestServer& s) {
         s.AddFile("/files/a.zip", "plain text");
         s.AddFile("/m.ini", Manifest(s.Url("/files/a.zip"), "sha256=" + std::string(64, '0') + "\r\n"));
         return s.Url("/m.ini");
       },
       1,
       {"sha256:fail", "zip:fail"},
       "the manifest pins 0000"},
      {"name, unread section, unreachable entry",
       [](TTestServer& s) {
         s.AddFile("/files/a.rpc", Archive());
         s.AddFile("/m.ini", Manifest(s.Url("/files/a.rpc"),
                                      "[file1]\r\nurl=http://127.0.0.1:1/b.zip\r\n"
                                      "[file3]\r\nurl=x\r\n[FILE21]\r\nurl=y\r\n"));
         return s.Url("/m.ini");
       },
       1,
       {"section:fail", "section:fail", "name:fail", "head:fail", "get:fail"},
       "never read"},
      // What a hostile server sends never runs beyond what the probe announced,
      // and reaches the terminal without its control characters.
      {"longer than announced",
       ProbeAnswer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"),
       1,
       {"get:fail", "range 1:fail", "range 2:fail", "range 3:fail"},
       "longer than 100 bytes"},
      {"control characters",
       ProbeAnswer("HTTP/1.1 404 \x81\x1b[2J\r\nContent-Length: 0\r\n\r\n"),
       1,
       {"head:fail"},
       "HTTP/1.1 404 \\x81\\x1B[2J"},
      {"many unread sections",
       [](TTestServer& s) {
         std::string more;
         for (int n = 30; n < 60; ++n) more += "[file" + std::to_string(n) + "]\r\nurl=x\r\n";
         s.AddFile("/m.ini", Manifest(s.Url("/files/a.zip"), more));
         return s.Url("/m.ini");
       },
       1, std::vector<std::string>(21, "section:fail"), "never read"},
      {"address longer than a record",
       [](TTestServer& s) {
         s.AddFile("/m.ini", Manifest(s.Url("/files/a.zip?" + std::string(1100, 'q'))));
         return s.Url("/m.ini");
       },
       1,
       {"url:fail"},
       "bytes: a record holds 1023"},
      {"manifest missing",
       [](TTestServer& s) { return s.Url("/none.ini"); },
       1,
       {"fetch:fail"},
       "EHttpProtocolException: HTTP/1.1 404 Not Found"},
  };
  for (const TDeviation& deviation : cases) {
    SCOPED_TRACE(deviation.Name);
    TTestServer server;
    server.AddFile("/files/a.zip", Archive());
    server.AddFile("/m.ini", Manifest(server.Url("/files/a.zip")));
    const std::string url = deviation.Serve(server);
    TCheckRun run = RunCheck({"--read-timeout", "3000", url});
    EXPECT_EQ(run.ExitCode, deviation.ExitCode) << run.Output;
    EXPECT_EQ(run.Rows, deviation.Rows) << run.Output;
    EXPECT_NE(run.Details.substr(0, run.Details.find('\n')).find(deviation.Detail), std::string::npos)
        << run.Output;
  }
}

TEST(CliCheckCommandTest, NginxServesAsTheInstallerNeeds) {
  if (!TNginxFixture::Available()) GTEST_SKIP() << TNginxFixture::UnavailableReason();
  TNginxFixture nginx;
  nginx.Start();
  nginx.AddFile("a.zip", Archive());
  const std::string pin = "sha256=" + DigestToHex(TSha256::Of(Archive())) + "\r\n";
  nginx.AddFile("good.ini", Manifest(nginx.Url("/files/a.zip"), pin));
  nginx.AddFile("close.ini", Manifest(nginx.Url("/close/a.zip"), pin));

  TCheckRun run = RunCheck({nginx.Url("/files/good.ini")});
  EXPECT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_EQ(run.Output, "entries: 1, failures: 0, warnings: 0: every entry would install\n");

  run = RunCheck({nginx.Url("/files/close.ini")});
  EXPECT_EQ(run.ExitCode, 1) << run.Output;
  EXPECT_EQ(run.Rows, (std::vector<std::string>{"range 1:fail", "range 2:fail", "range 3:fail"}))
      << run.Output;

  // With the maker's key: the signature beside the manifest must hold.
  const std::string keys = std::string(BAILAN_TEST_DATA_DIR) + "/signature/";
  nginx.AddFile("signed.ini", Manifest(nginx.Url("/files/a.zip"), pin));
  ASSERT_EQ(RunCli({"sign", keys + "key.pem", nginx.FilePath("signed.ini")}), 0);
  run = RunCheck({"--public-key", keys + "public.pem", nginx.Url("/files/signed.ini")});
  EXPECT_EQ(run.ExitCode, 0) << run.Output;
  run = RunCheck({"--public-key", keys + "other-public.pem", nginx.Url("/files/signed.ini")});
  EXPECT_EQ(run.ExitCode, 1) << run.Output;
  EXPECT_EQ(run.Rows, std::vector<std::string>{"signature:fail"}) << run.Output;
  run = RunCheck({"--public-key", keys + "public.pem", nginx.Url("/files/good.ini")});
  EXPECT_EQ(run.ExitCode, 1) << run.Output;
  EXPECT_EQ(run.Rows, std::vector<std::string>{"signature:fail"}) << run.Output;
}

TEST(CliCheckCommandTest, UsageErrors) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"--public-key"},
                                             {"--public-key", "a", "--public-key", "b", "http://a/"},
                                             {"http://a/", "x"}}) {
    EXPECT_EQ(RunCheck(args).ExitCode, 2);
  }
}

}  // namespace
}  // namespace bailan::test
