#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/Cp936.h"
#include "transport/http/Uri.h"

namespace bailan {
namespace {

struct TUriCase {
  const char* url;
  const char* host;
  const char* port;
  const char* path;
  const char* document;
  const char* params;
};

void PrintTo(const TUriCase& c, std::ostream* os) {
  *os << c.url;
}

class UriTable : public ::testing::TestWithParam<TUriCase> {};

TEST_P(UriTable, SplitsByText) {
  const TUriCase& c = GetParam();
  TUri uri(c.url);
  EXPECT_EQ(uri.Scheme, "http");
  EXPECT_EQ(uri.Host, c.host);
  EXPECT_EQ(uri.Port, c.port);
  EXPECT_EQ(uri.Path, c.path);
  EXPECT_EQ(uri.Document, c.document);
  EXPECT_EQ(uri.Params, c.params);
}

INSTANTIATE_TEST_SUITE_P(
    TextAfterTheHost, UriTable,
    ::testing::Values(
        TUriCase{"http://example.com/dir/file.zip", "example.com", "", "/dir/", "file.zip", ""},
        TUriCase{"http://example.com/get.php?id=3&n=a.zip", "example.com", "", "/", "get.php",
                 "?id=3&n=a.zip"},
        TUriCase{"http://example.com", "example.com", "", "/", "", ""},
        TUriCase{"http://example.com:8080/a/b.rar", "example.com", "8080", "/a/", "b.rar", ""},
        // Backslashes split as slashes.
        TUriCase{"http:\\\\example.com\\dir\\file.zip", "example.com", "", "/dir/", "file.zip", ""},
        // Ending with "/": an empty document.
        TUriCase{"http://example.com/install/", "example.com", "", "/install/", "", ""},
        // "=" starts the parameters when there is no "?".
        TUriCase{"http://example.com/a/b=c/d.zip", "example.com", "", "/a/", "b", "=c/d.zip"},
        // "?" wins over an earlier "=".
        TUriCase{"http://example.com/x=1/y?z", "example.com", "", "/x=1/", "y", "?z"},
        // An empty port after ":".
        TUriCase{"http://example.com:/f", "example.com", "", "/", "f", ""},
        // A fragment in the document is cut there, the parameters stay.
        TUriCase{"http://example.com/p/f.zip#top?x=1", "example.com", "", "/p/", "f.zip", "?x=1"},
        // Otherwise the fragment is cut from the parameters.
        TUriCase{"http://example.com/f.zip?a=1#frag", "example.com", "", "/", "f.zip", "?a=1"},
        // Parameters that hold slashes do not move the path's end.
        TUriCase{"http://example.com/d/get?u=/x/y.zip", "example.com", "", "/d/", "get", "?u=/x/y.zip"}));

TEST(Uri, UserInformation) {
  TUri full("ftp://user:secret:more@host:21/f");
  EXPECT_EQ(full.Scheme, "ftp");
  EXPECT_EQ(full.Username, "user");
  EXPECT_EQ(full.Password, "secret:more");
  EXPECT_EQ(full.Host, "host");
  EXPECT_EQ(full.Port, "21");

  TUri noPassword("http://user@host/");
  EXPECT_EQ(noPassword.Username, "user");
  EXPECT_EQ(noPassword.Password, "");

  TUri noUser("http://:secret@host/");  // no user name means no password
  EXPECT_EQ(noUser.Username, "");
  EXPECT_EQ(noUser.Password, "");
  EXPECT_EQ(noUser.Host, "host");

  TUri atInPath("http://host/a@b/c");  // "@" after the authority is path text
  EXPECT_EQ(atInPath.Host, "host");
  EXPECT_EQ(atInPath.Username, "");
  EXPECT_EQ(atInPath.Path, "/a@b/");
}

TEST(Uri, WithoutAScheme) {
  TUri relative("dir/sub/file.zip?x#y");
  EXPECT_EQ(relative.Scheme, "");
  EXPECT_EQ(relative.Host, "");
  EXPECT_EQ(relative.Path, "dir/sub/");
  EXPECT_EQ(relative.Document, "file.zip");
  EXPECT_EQ(relative.Params, "?x");

  TUri hashInDocument("a#b");  // without a scheme only the parameters lose a fragment
  EXPECT_EQ(hashInDocument.Document, "a#b");
  EXPECT_EQ(hashInDocument.Path, "");

  TUri absolute("/root/f");
  EXPECT_EQ(absolute.Path, "/root/");
  EXPECT_EQ(absolute.Document, "f");
}

TEST(Uri, DoubleByteTrailBytesAreNotSeparators) {
  // "乗" (0x81 0x5C, the lowest lead byte) and "俓" (0x82 0x5C): the trail byte
  // must not become "/".
  for (const std::string trail : {"\x81\x5C", "\x82\x5C"}) {
    TUri uri("http://host/" + trail + "\\" + trail + ".zip");
    EXPECT_EQ(uri.Path, "/" + trail + "/");
    EXPECT_EQ(uri.Document, trail + ".zip");
  }

  const std::string product = Utf8ToCp936("柏岚软件");
  TUri chinese("http://host/" + product + "/" + product + " 1.zip");
  EXPECT_EQ(chinese.Path, "/" + product + "/");
  EXPECT_EQ(chinese.Document, product + " 1.zip");  // bytes unchanged, spaces kept
}

TEST(Uri, SameAsWithSlashes) {
  TUri back("http://h\\a\\b\\c.zip");
  TUri fwd("http://h/a/b/c.zip");
  EXPECT_EQ(back.Host, fwd.Host);
  EXPECT_EQ(back.Path, fwd.Path);
  EXPECT_EQ(back.Document, fwd.Document);
}

// The command-line face prints exactly eight lines of raw bytes.
TEST(UriCommand, PrintsEightRawLines) {
  const std::string trail = "\x82\x5C";
  std::string command = std::string(BAILAN_CLI_PATH) + " uri 'http://u:p@h:81/d/" + trail + ".zip?a=1' 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  ASSERT_TRUE(pipe);
  std::string out;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) out.append(buffer, n);
  EXPECT_EQ(out, "scheme=http\nusername=u\npassword=p\nhost=h\nport=81\npath=/d/\ndocument=" + trail +
                     ".zip\nparams=?a=1\n");
  EXPECT_EQ(::pclose(pipe.release()), 0);

  std::string usage = std::string(BAILAN_CLI_PATH) + " uri >/dev/null 2>&1";
  int status = std::system(usage.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace bailan
