#pragma once

// A throw-away certificate authority for loopback TLS servers: the stand-in
// web services and the transport tests answer as real host names with
// certificates that only a client given this authority's PEM will trust.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "services/tls/result.h"

namespace services::tls {

enum class KeyKind { Rsa2048, EcP256 };
// Current: valid from one day ago for two years. Expired: ended yesterday,
// for servers that test how clients refuse it.
enum class Validity { Current, Expired };

// PEM text of a server identity and of the authority that signed it.
struct Credentials {
  std::string caCertificatePem;  // the authority's certificate: what clients trust
  std::string certificatePem;    // the server's leaf certificate
  std::string privateKeyPem;     // the leaf's private key, unencrypted PKCS#8
};

// Where writeCredentials put the three PEM files.
struct CredentialFiles {
  std::filesystem::path caFile;           // <dir>/ca.pem
  std::filesystem::path certificateFile;  // <dir>/cert.pem
  std::filesystem::path privateKeyFile;   // <dir>/key.pem, mode 0600
};

// A self-signed authority (CN "ScoreLens Test CA", CA:TRUE, keyCertSign) held
// in memory. Move-only; owns its key. Not synchronised: use one instance from
// one thread at a time. Valid from one day ago for two years.
class CertificateAuthority {
 public:
  // Generates the authority's key and certificate. Cost: a few milliseconds for
  // EcP256, up to about a second for Rsa2048. Fails (with OpenSSL's reason) only
  // when OpenSSL does.
  static Result<CertificateAuthority> create(KeyKind kind = KeyKind::EcP256);

  CertificateAuthority(CertificateAuthority&&) noexcept;
  CertificateAuthority& operator=(CertificateAuthority&&) noexcept;
  ~CertificateAuthority();

  const std::string& certificatePem() const;

  // Issues a server certificate, with a fresh key of `kind`, for `dnsNames`
  // (each a subjectAltName DNS entry; "*.example.com" wildcards allowed) plus
  // the IP address 127.0.0.1, valid as `validity` says, for server
  // authentication. Fails for a name that is not a host name (empty, over 253
  // characters, or holding anything but letters, digits, '-', '_' and '.').
  Result<Credentials> issueServerCertificate(const std::vector<std::string>& dnsNames,
                                             KeyKind kind = KeyKind::EcP256,
                                             Validity validity = Validity::Current) const;

 private:
  struct State;
  explicit CertificateAuthority(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// A new authority and one server certificate from it, in one step.
Result<Credentials> makeServerCredentials(const std::vector<std::string>& dnsNames,
                                          KeyKind kind = KeyKind::EcP256);

// Writes ca.pem, cert.pem and key.pem into `directory` (created if missing),
// replacing files of those names. Fails with the file system's reason.
Result<CredentialFiles> writeCredentials(const Credentials& credentials,
                                         const std::filesystem::path& directory);

}  // namespace services::tls
