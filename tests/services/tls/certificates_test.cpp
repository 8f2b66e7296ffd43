#include "services/tls/certificates.h"

#include <gtest/gtest.h>
#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "support/https_server.h"

namespace {

using services::tls::CertificateAuthority;
using services::tls::Credentials;
using services::tls::KeyKind;

struct CertFree {
  void operator()(X509* c) const { X509_free(c); }
};
struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using Cert = std::unique_ptr<X509, CertFree>;
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

Cert parseCert(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  Cert cert(PEM_read_bio_X509(bio, nullptr, nullptr, nullptr));
  BIO_free(bio);
  return cert;
}

Key parseKey(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  Key key(PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr));
  BIO_free(bio);
  return key;
}

// Verifies `leaf` against `ca`; given a host, also as a TLS client would
// (server purpose and name). Returns OpenSSL's verdict.
int verifyServer(X509* ca, X509* leaf, const char* host) {
  X509_STORE* store = X509_STORE_new();
  X509_STORE_add_cert(store, ca);
  X509_STORE_CTX* ctx = X509_STORE_CTX_new();
  X509_STORE_CTX_init(ctx, store, leaf, nullptr);
  X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(ctx);
  if (host) {
    X509_VERIFY_PARAM_set_purpose(param, X509_PURPOSE_SSL_SERVER);
    X509_VERIFY_PARAM_set1_host(param, host, 0);
  }
  int verdict = X509_verify_cert(ctx) == 1 ? X509_V_OK : X509_STORE_CTX_get_error(ctx);
  X509_STORE_CTX_free(ctx);
  X509_STORE_free(store);
  return verdict;
}

// Seconds from now to `t` (negative: in the past).
long secondsFromNow(const ASN1_TIME* t) {
  int days = 0, seconds = 0;
  ASN1_TIME_diff(&days, &seconds, nullptr, t);
  return days * 86400L + seconds;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Certificates : public ::testing::TestWithParam<KeyKind> {};

TEST_P(Certificates, AuthorityIsASelfSignedSigningCA) {
  auto authority = CertificateAuthority::create(GetParam());
  ASSERT_TRUE(authority) << authority.error();
  Cert ca = parseCert(authority.value().certificatePem());
  ASSERT_TRUE(ca) << "authority PEM does not parse";

  char cn[128] = {};
  X509_NAME_get_text_by_NID(X509_get_subject_name(ca.get()), NID_commonName, cn, sizeof cn);
  EXPECT_STREQ(cn, "ScoreLens Test CA");
  EXPECT_EQ(X509_check_ca(ca.get()), 1) << "basicConstraints CA:TRUE with keyCertSign expected";
  EXPECT_TRUE(X509_get_key_usage(ca.get()) & KU_KEY_CERT_SIGN) << "keyUsage must allow signing certificates";
  EXPECT_EQ(verifyServer(ca.get(), ca.get(), nullptr), X509_V_OK) << "the authority must verify against itself";
}

TEST_P(Certificates, LeafVerifiesForItsNamesAndLoopbackOnly) {
  auto credentials = services::tls::makeServerCredentials({"www.rottentomatoes.com", "*.algolia.net"}, GetParam());
  ASSERT_TRUE(credentials) << credentials.error();
  Cert ca = parseCert(credentials.value().caCertificatePem);
  Cert leaf = parseCert(credentials.value().certificatePem);
  Key key = parseKey(credentials.value().privateKeyPem);
  ASSERT_TRUE(ca && leaf && key) << "PEM output does not parse";

  EXPECT_EQ(X509_check_private_key(leaf.get(), key.get()), 1) << "key.pem must belong to cert.pem";
  EXPECT_EQ(EVP_PKEY_get_base_id(key.get()), GetParam() == KeyKind::Rsa2048 ? EVP_PKEY_RSA : EVP_PKEY_EC);
  EXPECT_EQ(X509_check_ca(leaf.get()), 0) << "a server certificate must not be a CA";

  EXPECT_EQ(verifyServer(ca.get(), leaf.get(), "www.rottentomatoes.com"), X509_V_OK);
  EXPECT_EQ(verifyServer(ca.get(), leaf.get(), "abc123-dsn.algolia.net"), X509_V_OK) << "wildcard entry";
  EXPECT_EQ(verifyServer(ca.get(), leaf.get(), "flixster.com"), X509_V_ERR_HOSTNAME_MISMATCH);
  EXPECT_EQ(X509_check_ip_asc(leaf.get(), "127.0.0.1", 0), 1) << "loopback IP must be in subjectAltName";

  // From one day ago, for two years.
  EXPECT_NEAR(secondsFromNow(X509_get0_notBefore(leaf.get())), -86400L, 300);
  EXPECT_NEAR(secondsFromNow(X509_get0_notAfter(leaf.get())), 729L * 86400L, 300);
}

INSTANTIATE_TEST_SUITE_P(KeyKinds, Certificates, ::testing::Values(KeyKind::EcP256, KeyKind::Rsa2048),
                         [](const auto& info) { return info.param == KeyKind::Rsa2048 ? "Rsa" : "Ec"; });

TEST(CertificateAuthority, LeafOfOneAuthorityIsUntrustedByAnother) {
  auto first = CertificateAuthority::create();
  auto second = CertificateAuthority::create();
  ASSERT_TRUE(first && second);
  auto credentials = first.value().issueServerCertificate({"flixster.com"});
  ASSERT_TRUE(credentials) << credentials.error();
  Cert otherCa = parseCert(second.value().certificatePem());
  Cert leaf = parseCert(credentials.value().certificatePem);
  EXPECT_NE(verifyServer(otherCa.get(), leaf.get(), "flixster.com"), X509_V_OK);
}

TEST(CertificateAuthority, RejectsNamesThatAreNotHostNames) {
  auto authority = CertificateAuthority::create();
  ASSERT_TRUE(authority) << authority.error();
  for (const std::string& bad : std::vector<std::string>{"", "two words.com", "a,DNS:evil.com", "dot..dot", "trailing.", std::string(254, 'a')}) {
    auto result = authority.value().issueServerCertificate({"good.example", bad});
    EXPECT_FALSE(result) << "accepted \"" << bad << "\"";
  }
  auto onlyIp = authority.value().issueServerCertificate({});
  EXPECT_TRUE(onlyIp) << "no DNS names still gives a 127.0.0.1 certificate";
}

TEST(CertificateFiles, WritesThreePemFilesWithAPrivateKeyFile) {
  auto credentials = services::tls::makeServerCredentials({"localhost"});
  ASSERT_TRUE(credentials) << credentials.error();
  support::TempDir dir;
  auto files = services::tls::writeCredentials(credentials.value(), dir.path() / "nested" / "tls");
  ASSERT_TRUE(files) << files.error();

  EXPECT_EQ(files.value().caFile.filename(), "ca.pem");
  EXPECT_EQ(readFile(files.value().caFile), credentials.value().caCertificatePem);
  EXPECT_EQ(readFile(files.value().certificateFile), credentials.value().certificatePem);
  EXPECT_EQ(readFile(files.value().privateKeyFile), credentials.value().privateKeyPem);
  struct stat info {};
  ASSERT_EQ(::stat(files.value().privateKeyFile.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the private key must not be readable by others";
}

TEST(CertificateFiles, ReportsAnUnwritableDirectoryAsAnError) {
  auto credentials = services::tls::makeServerCredentials({"localhost"});
  ASSERT_TRUE(credentials) << credentials.error();
  support::TempDir dir;
  std::ofstream(dir.path() / "plain-file") << "x";
  auto files = services::tls::writeCredentials(credentials.value(), dir.path() / "plain-file");
  ASSERT_FALSE(files) << "a file in place of the directory must fail";
  EXPECT_NE(files.error().find("plain-file"), std::string::npos) << files.error();
}

// The stand-in services serve with these credentials through cpp-httplib;
// its verifying client must accept them for the right name only.
TEST(CertificateHandshake, HttplibClientTrustsTheAuthorityForTheRightName) {
  support::HttpsServer server({"www.rottentomatoes.com"});
  server.http().Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
  server.start();

  httplib::SSLClient good("127.0.0.1", server.port());
  good.set_ca_cert_path(server.caFile().c_str());
  good.enable_server_certificate_verification(true);
  auto answer = good.Get("/");
  ASSERT_TRUE(answer) << "handshake by IP failed: " << httplib::to_string(answer.error());
  EXPECT_EQ(answer->body, "ok");

  httplib::SSLClient wrongName("flixster.com", server.port());
  wrongName.set_ca_cert_path(server.caFile().c_str());
  wrongName.enable_server_certificate_verification(true);
  wrongName.set_hostname_addr_map({{"flixster.com", "127.0.0.1"}});
  EXPECT_FALSE(wrongName.Get("/")) << "a certificate for another name must be refused";
}

}  // namespace
