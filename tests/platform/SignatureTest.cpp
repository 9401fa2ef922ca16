// The signature checks: keys and signatures as the `openssl` tool makes them,
// and every malformed or forged form refused with its reason.
#include "platform/Signature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/HostSystem.h"
#include "platform/SigningKey.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"

namespace bailan {
namespace {

const std::string kData = std::string(BAILAN_TEST_DATA_DIR) + "/signature/";

std::string Data(const std::string& name) {
  return test::ReadFileBytes(kData + name);
}

// A DER SEQUENCE of INTEGERs with the given contents.
std::string Der(const std::vector<std::string>& integers) {
  std::string body;
  for (const std::string& value : integers) body += std::string("\x02", 1) + char(value.size()) + value;
  return std::string("\x30", 1) + char(body.size()) + body;
}

// The curve's order n, and n - 1.
const std::string kOrder(
    "\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"
    "\xBC\xE6\xFA\xAD\xA7\x17\x9E\x84\xF3\xB9\xCA\xC2\xFC\x63\x25\x51",
    33);

std::string Expect(const TSignatureKey& key, const std::string& message, const std::string& signature) {
  try {
    key.Verify(message, signature);
    return "valid";
  } catch (const ESignatureError& error) {
    return error.Message();
  }
}

TEST(SignatureTest, OpensslSignatureHoldsAndEveryForgeryIsRefusedWithItsReason) {
  const TSignatureKey key(Data("public.pem"));
  const TSignatureKey other(Data("other-public.pem"));
  const std::string message = Data("manifest.txt");
  const std::string good = Data("manifest.txt.sig");  // 30 45 02 21 00 r 02 20 s
  ASSERT_EQ(good.size(), 71u);
  const std::string r = good.substr(5, 32), s = good.substr(39, 32);
  std::string nMinus1 = kOrder;
  nMinus1.back() = '\x50';
  const struct {
    const char* Name;
    const TSignatureKey& Key;
    std::string Message, Signature;
    const char* Reason;
  } cases[] = {
      {"openssl's signature", key, message, good, "valid"},
      {"other bytes", key, message + " ", good, "not this key's"},
      {"another key", other, message, good, "not this key's"},
      {"empty", key, message, "", "it is empty"},
      {"truncated", key, message, good.substr(0, 70), "length does not match"},
      {"a byte after s", key, message, Der({std::string(1, '\0') + r, s}) + "\x01", "length does not match"},
      {"a byte after s, counted", key, message, Der({"\x01", s, ""}), "bytes follow s"},
      {"long-form length", key, message, "\x30\x81\x45" + good.substr(2), "length does not match"},
      {"no SEQUENCE", key, message, "\x31" + good.substr(1), "not a SEQUENCE"},
      {"longer than any", key, message, good + std::string(2, '\0'), "longer than any"},
      {"r zero", key, message, Der({std::string(1, '\0'), s}), "r is zero"},
      {"s zero", key, message, Der({std::string(1, '\0') + r, std::string(1, '\0')}), "s is zero"},
      {"s = n", key, message, Der({std::string(1, '\0') + r, kOrder}), "s is not below"},
      {"r = n - 1, forged", key, message, Der({nMinus1, s}), "not this key's"},
      {"r negative", key, message, Der({r, s}), "r is negative"},
      {"r not minimal", key, message, Der({std::string("\x00\x01", 2), s}), "r is not minimal"},
      {"r 33 bytes", key, message, Der({std::string("\x01", 1) + r, s}), "longer than 256 bits"},
      {"r missing", key, message, std::string("\x30\x00", 2), "r is not an INTEGER"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(Expect(c.Key, c.Message, c.Signature).find(c.Reason), std::string::npos)
        << c.Name << ": " << Expect(c.Key, c.Message, c.Signature);
  }
}

TEST(SignatureTest, OnlyAnUncompressedP256PublicKeyInPemIsAKey) {
  const std::string pem = Data("public.pem");
  std::string crlf;
  for (char c : pem) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const struct {
    const char* Name;
    std::string Pem;
    const char* Reason;  // nullptr: a key
  } cases[] = {
      {"openssl's key", pem, nullptr},
      {"CR LF lines", "\r\n" + crlf, nullptr},
      {"P-384", Data("p384-public.pem"), "not an uncompressed ECDSA P-256"},
      {"compressed point", Data("compressed-public.pem"), "not an uncompressed ECDSA P-256"},
      {"Ed25519", Data("ed25519-public.pem"), "not an uncompressed ECDSA P-256"},
      {"off the curve", Data("off-curve-public.pem"), "not a point of the P-256 curve"},
      {"a private key", Data("key.pem"), "does not begin"},
      {"bytes after the end", pem + "x", "bytes after its end line"},
      {"no end line", pem.substr(0, 150), "no \"-----END PUBLIC KEY-----\""},
      {"two blocks", pem + pem, "bytes after its end line"},
      {"outside base64", pem.substr(0, 30) + "!" + pem.substr(31), "outside base64"},
      {"padding inside", pem.substr(0, 30) + "=" + pem.substr(31), "outside base64"},
      {"not in fours", pem.substr(0, 30) + pem.substr(31), "groups of four"},
      {"empty", "", "does not begin"},
      {"endless", std::string(1 << 20, '\n'), "too long"},
  };
  for (const auto& c : cases) {
    std::string reason;
    try {
      TSignatureKey key(c.Pem);
    } catch (const ESignatureError& error) {
      reason = error.Message();
    }
    if (c.Reason == nullptr) {
      EXPECT_EQ(reason, "") << c.Name;
    } else {
      EXPECT_NE(reason.find(c.Reason), std::string::npos) << c.Name << ": " << reason;
    }
  }
}

// Our tools against openssl's, both ways: a maker may use either.
TEST(SignatureTest, TheMakersToolsAndOpensslAcceptEachOthersSignatures) {
  if (kWindowsHost) GTEST_SKIP() << "the makers' key tools are not available on Windows";
  test::TTempDir dir;
  const std::string priv = dir / "key.pem", pub = dir / "public.pem", manifest = dir / "Live.txt";
  test::WriteFileBytes(manifest, Data("manifest.txt"));
  std::string out, err;
  ASSERT_EQ(test::RunCli({"keygen", priv, pub}), 0);
  EXPECT_EQ(test::RunCli({"keygen", priv, dir / "again.pem"}, &out, &err), 1) << "a key is never replaced";
  ASSERT_EQ(test::RunCli({"sign", priv, manifest}), 0);
  test::TSubprocess openssl(
      {"openssl", "dgst", "-sha256", "-verify", pub, "-signature", manifest + ".sig", manifest});
  EXPECT_EQ(openssl.Wait(30000), 0) << openssl.Stdout() << openssl.Stderr();
  const std::string opensslSig = dir / "openssl.sig";
  test::TSubprocess sign({"openssl", "dgst", "-sha256", "-sign", priv, "-out", opensslSig, manifest});
  ASSERT_EQ(sign.Wait(30000), 0) << sign.Stderr();
  const struct {
    std::vector<std::string> Args;
    int Exit;
    const char* Says;
  } cases[] = {
      {{"verify", pub, manifest, opensslSig}, 0, "valid"},
      {{"verify", kData + "other-public.pem", manifest, opensslSig},
       1,
       "ESignatureError: the signature is not"},
      {{"verify", pub, kData + "manifest.txt.sig", opensslSig}, 1, "ESignatureError: the signature is not"},
      {{"verify", pub, manifest, pub}, 1, "is longer than 73 bytes"},
      {{"verify", pub, manifest, manifest}, 1, "ESignatureError: the signature is malformed"},
      {{"verify", pub, manifest}, 2, "usage"},
  };
  for (const auto& c : cases) {
    out.clear();
    err.clear();
    EXPECT_EQ(test::RunCli(c.Args, &out, &err), c.Exit) << c.Args[0] << " " << c.Args.back();
    EXPECT_NE((out + err).find(c.Says), std::string::npos) << out << err;
    if (c.Exit == 1) {
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
  }
}

}  // namespace
}  // namespace bailan
