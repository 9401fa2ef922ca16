// The cookie store: which cookies are kept, replaced, dropped and sent.
#include <gtest/gtest.h>

#include "transport/http/CookieStore.h"

namespace bailan {
namespace {

TEST(CookieStoreTest, DomainAndPathDecideWhatIsSent) {
  TCookieStore store;
  store.Add("a=1", "www.example.com", "/dir/", false);
  store.Add("b=2; Domain=.example.com; Path=/", "www.example.com", "/dir/", false);
  store.Add("c=3; Path=/other/", "www.example.com", "/dir/", false);
  EXPECT_EQ(store.CookieHeader("WWW.Example.com", "/dir/x/"), "a=1; b=2");
  EXPECT_EQ(store.CookieHeader("cdn.example.com", "/other/"), "b=2");
  EXPECT_EQ(store.CookieHeader("elsewhere.org", "/"), "");
}

// A Domain attribute is taken only when the setting host lies within it.
TEST(CookieStoreTest, AHostSetsCookiesOnlyForDomainsThatContainIt) {
  struct TCase {
    std::string Host, Domain, SentTo;
    bool Stored;
  };
  const TCase cases[] = {
      {"127.0.0.1", "l", "localhost", false},
      {"127.0.0.1", ".", "127.0.0.1", true},  // the setting host itself
      {"127.0.0.1", ".", "localhost", false},
      {"www.example.com", ".example.com", "cdn.example.com", true},
      {"www.example.com", "WWW.Example.COM", "www.example.com", true},
      {"badexample.com", "example.com", "example.com", false},
      {"example.com", "www.example.com", "www.example.com", false},
      {"www.example.com", "other.org", "other.org", false},
  };
  for (const TCase& c : cases) {
    TCookieStore store;
    store.Add("k=v; Domain=" + c.Domain, c.Host, "/", false);
    EXPECT_EQ(store.CookieHeader(c.SentTo, "/"), c.Stored ? "k=v" : "") << c.Host << " " << c.Domain;
  }
}

TEST(CookieStoreTest, SecureEmptyAndExpiredCookiesAreNotSent) {
  TCookieStore store;
  store.Add("s=1; Secure", "h", "/", false);
  store.Add("e=", "h", "/", false);
  store.Add("old=1; Expires=Sun, 06 Nov 1994 08:49:37 GMT", "h", "/", false);
  store.Add("new=1; expires=Fri, 31-Dec-2099 23:59:59 GMT", "h", "/", false);
  EXPECT_EQ(store.CookieHeader("h", "/"), "new=1");
}

TEST(CookieStoreTest, ALaterCookieReplacesAndAnExpiredOneRemoves) {
  TCookieStore store;
  store.Add("id=1; Path=/", "h", "/", false);
  store.Add("id=2; Path=/", "h", "/", false);
  EXPECT_EQ(store.CookieHeader("h", "/"), "id=2");
  store.Add("id=x; Path=/; Max-Age=0", "h", "/", false);
  EXPECT_EQ(store.CookieHeader("h", "/"), "");
  EXPECT_EQ(store.Count(), 0u);
}

TEST(CookieStoreTest, SetCookie2MayHoldSeveralWithQuotedValues) {
  TCookieStore store;
  store.Add("x=\"1\"; Version=\"1\", y=\"two, three\"; Path=\"/\"", "h", "/", true);
  EXPECT_EQ(store.CookieHeader("h", "/"), "x=1; y=two, three");
}

TEST(CookieStoreTest, NonsenseIsIgnoredAndTheStoreIsBounded) {
  TCookieStore store;
  store.Add("", "h", "/", false);
  store.Add("=novalue", "h", "/", false);
  store.Add(";;;", "h", "/", true);
  store.Add("big=" + std::string(10000, 'x'), "h", "/", false);
  EXPECT_EQ(store.Count(), 0u);
  for (int i = 0; i < 1000; ++i) store.Add("c" + std::to_string(i) + "=1", "h", "/", false);
  EXPECT_EQ(store.Count(), TCookieStore::kMaxCookies);
}

TEST(CookieStoreTest, CookieDatesInTheThreeForms) {
  EXPECT_EQ(ParseCookieDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(ParseCookieDate("Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
  EXPECT_EQ(ParseCookieDate("Sun Nov  6 08:49:37 1994"), 784111777);
  EXPECT_FALSE(ParseCookieDate("tomorrow"));
  EXPECT_FALSE(ParseCookieDate("Sun, 06 Nov 1994 99:49:37 GMT"));
}

}  // namespace
}  // namespace bailan
