#include "services/tls/certificates.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace services::tls {
namespace {

template <class T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION, X509_EXTENSION_free>>;
using NamesPtr = std::unique_ptr<GENERAL_NAMES, Deleter<GENERAL_NAMES, GENERAL_NAMES_free>>;
using NamePtr = std::unique_ptr<GENERAL_NAME, Deleter<GENERAL_NAME, GENERAL_NAME_free>>;
using BignumPtr = std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

constexpr const char* kAuthorityName = "ScoreLens Test CA";
constexpr long kDaysBack = 1;
constexpr long kDaysValid = 730;

// Empties OpenSSL's thread-local error queue into one line, so a failure
// reports OpenSSL's own reason and the next call starts clean.
std::string openSslFailure(const char* step) {
  std::string text = std::string(step) + " failed";
  const char* sep = ": ";
  while (unsigned long code = ERR_get_error()) {
    char buf[256];
    ERR_error_string_n(code, buf, sizeof buf);
    text += sep;
    text += buf;
    sep = "; ";
  }
  return text;
}

KeyPtr generateKey(KeyKind kind) {
  return KeyPtr(kind == KeyKind::Rsa2048 ? EVP_RSA_gen(2048) : EVP_EC_gen("P-256"));
}

bool isHostName(const std::string& name) {
  if (name.empty() || name.size() > 253) return false;
  std::string_view rest = name;
  if (rest.starts_with("*.")) rest.remove_prefix(2);
  if (rest.empty() || rest.front() == '.' || rest.back() == '.') return false;
  for (char c : rest) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
              c == '_' || c == '.';
    if (!ok) return false;
  }
  return rest.find("..") == std::string_view::npos;
}

bool addExtension(X509* cert, X509V3_CTX* ctx, int nid, const char* value) {
  ExtPtr ext(X509V3_EXT_conf_nid(nullptr, ctx, nid, value));
  return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

bool addSubjectAltNames(X509* cert, const std::vector<std::string>& dnsNames) {
  NamesPtr names(GENERAL_NAMES_new());
  if (!names) return false;
  for (const auto& dns : dnsNames) {
    NamePtr entry(GENERAL_NAME_new());
    ASN1_IA5STRING* text = ASN1_IA5STRING_new();
    if (!entry || !text || ASN1_STRING_set(text, dns.data(), static_cast<int>(dns.size())) != 1) {
      ASN1_IA5STRING_free(text);
      return false;
    }
    GENERAL_NAME_set0_value(entry.get(), GEN_DNS, text);
    if (sk_GENERAL_NAME_push(names.get(), entry.get()) == 0) return false;
    entry.release();  // the stack owns it now
  }
  NamePtr ip(GENERAL_NAME_new());
  ASN1_OCTET_STRING* address = a2i_IPADDRESS("127.0.0.1");
  if (!ip || !address) {
    ASN1_OCTET_STRING_free(address);
    return false;
  }
  GENERAL_NAME_set0_value(ip.get(), GEN_IPADD, address);
  if (sk_GENERAL_NAME_push(names.get(), ip.get()) == 0) return false;
  ip.release();
  return X509_add1_ext_i2d(cert, NID_subject_alt_name, names.get(), 0, X509V3_ADD_DEFAULT) == 1;
}

// Everything two certificates share: version 3, a random positive serial,
// the subject's CN, the issuer, the validity window and the public key.
CertPtr newCertificate(const std::string& commonName, X509* issuer, EVP_PKEY* subjectKey,
                       Validity validity = Validity::Current) {
  CertPtr cert(X509_new());
  BignumPtr serial(BN_new());
  if (!cert || !serial || X509_set_version(cert.get(), X509_VERSION_3) != 1 ||
      BN_rand(serial.get(), 63, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
      !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())))
    return nullptr;

  X509_NAME* subject = X509_get_subject_name(cert.get());
  if (X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                 reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0) != 1)
    return nullptr;
  X509_NAME* issuerName = issuer ? X509_get_subject_name(issuer) : subject;
  if (X509_set_issuer_name(cert.get(), issuerName) != 1) return nullptr;

  // An expired one ended yesterday, after a month.
  const bool expired = validity == Validity::Expired;
  if (!X509_time_adj_ex(X509_getm_notBefore(cert.get()), expired ? -31 : -kDaysBack, 0, nullptr) ||
      !X509_time_adj_ex(X509_getm_notAfter(cert.get()), expired ? -1 : kDaysValid - kDaysBack, 0, nullptr))
    return nullptr;
  if (X509_set_pubkey(cert.get(), subjectKey) != 1) return nullptr;
  return cert;
}

Result<std::string> toPem(X509* cert) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1)
    return Result<std::string>::failure(openSslFailure("PEM_write_bio_X509"));
  char* data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  return Result<std::string>::success(std::string(data, static_cast<std::size_t>(size)));
}

Result<std::string> toPem(EVP_PKEY* key) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1)
    return Result<std::string>::failure(openSslFailure("PEM_write_bio_PrivateKey"));
  char* data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  return Result<std::string>::success(std::string(data, static_cast<std::size_t>(size)));
}

// Creates or truncates `path` with `mode` and writes all of `text`. The key
// file is created 0600 from the start rather than narrowed after writing.
std::error_code writeFile(const std::filesystem::path& path, const std::string& text, mode_t mode) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) return {errno, std::generic_category()};
  std::error_code failure;
  // An existing file keeps its old mode through O_CREAT; narrow it before
  // any key material goes in.
  if (::fchmod(fd, mode) != 0) failure = {errno, std::generic_category()};
  std::size_t written = 0;
  while (!failure && written < text.size()) {
    ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      failure = {errno, std::generic_category()};
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 && !failure) failure = {errno, std::generic_category()};
  return failure;
}

}  // namespace

struct CertificateAuthority::State {
  KeyPtr key;
  CertPtr certificate;
  std::string pem;
};

CertificateAuthority::CertificateAuthority(std::unique_ptr<State> state) : state_(std::move(state)) {}
CertificateAuthority::CertificateAuthority(CertificateAuthority&&) noexcept = default;
CertificateAuthority& CertificateAuthority::operator=(CertificateAuthority&&) noexcept = default;
CertificateAuthority::~CertificateAuthority() = default;

namespace {
void requireState(const void* state) {
  if (!state) {
    std::fprintf(stderr, "services::tls: use of a moved-from CertificateAuthority\n");
    std::abort();
  }
}
}  // namespace

const std::string& CertificateAuthority::certificatePem() const {
  requireState(state_.get());
  return state_->pem;
}

Result<CertificateAuthority> CertificateAuthority::create(KeyKind kind) {
  using R = Result<CertificateAuthority>;
  auto state = std::make_unique<State>();
  state->key = generateKey(kind);
  if (!state->key) return R::failure(openSslFailure("authority key generation"));

  state->certificate = newCertificate(kAuthorityName, nullptr, state->key.get());
  if (!state->certificate) return R::failure(openSslFailure("authority certificate"));
  X509* cert = state->certificate.get();

  X509V3_CTX ctx;
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  if (!addExtension(cert, &ctx, NID_basic_constraints, "critical,CA:TRUE") ||
      !addExtension(cert, &ctx, NID_key_usage, "critical,keyCertSign,cRLSign") ||
      !addExtension(cert, &ctx, NID_subject_key_identifier, "hash"))
    return R::failure(openSslFailure("authority extensions"));
  if (X509_sign(cert, state->key.get(), EVP_sha256()) <= 0)
    return R::failure(openSslFailure("authority signature"));

  auto pem = toPem(cert);
  if (!pem) return R::failure(pem.error());
  state->pem = std::move(pem).value();
  return R::success(CertificateAuthority(std::move(state)));
}

Result<Credentials> CertificateAuthority::issueServerCertificate(const std::vector<std::string>& dnsNames,
                                                                KeyKind kind, Validity validity) const {
  using R = Result<Credentials>;
  requireState(state_.get());
  for (const auto& name : dnsNames)
    if (!isHostName(name)) return R::failure("not a host name: \"" + name + "\"");

  KeyPtr key = generateKey(kind);
  if (!key) return R::failure(openSslFailure("server key generation"));

  // Clients match on subjectAltName; the CN is for people reading the
  // certificate, and X.509 limits it to 64 characters.
  std::string commonName = dnsNames.empty() ? "127.0.0.1" : dnsNames.front();
  if (commonName.size() > 64) commonName = "ScoreLens Test Server";

  X509* issuer = state_->certificate.get();
  CertPtr cert = newCertificate(commonName, issuer, key.get(), validity);
  if (!cert) return R::failure(openSslFailure("server certificate"));

  X509V3_CTX ctx;
  X509V3_set_ctx(&ctx, issuer, cert.get(), nullptr, nullptr, 0);
  const char* usage =
      kind == KeyKind::Rsa2048 ? "critical,digitalSignature,keyEncipherment" : "critical,digitalSignature";
  if (!addExtension(cert.get(), &ctx, NID_basic_constraints, "critical,CA:FALSE") ||
      !addExtension(cert.get(), &ctx, NID_key_usage, usage) ||
      !addExtension(cert.get(), &ctx, NID_ext_key_usage, "serverAuth") ||
      !addExtension(cert.get(), &ctx, NID_subject_key_identifier, "hash") ||
      !addExtension(cert.get(), &ctx, NID_authority_key_identifier, "keyid:always") ||
      !addSubjectAltNames(cert.get(), dnsNames))
    return R::failure(openSslFailure("server certificate extensions"));
  if (X509_sign(cert.get(), state_->key.get(), EVP_sha256()) <= 0)
    return R::failure(openSslFailure("server certificate signature"));

  auto certPem = toPem(cert.get());
  if (!certPem) return R::failure(certPem.error());
  auto keyPem = toPem(key.get());
  if (!keyPem) return R::failure(keyPem.error());
  return R::success(Credentials{state_->pem, std::move(certPem).value(), std::move(keyPem).value()});
}

Result<Credentials> makeServerCredentials(const std::vector<std::string>& dnsNames, KeyKind kind) {
  auto authority = CertificateAuthority::create(kind);
  if (!authority) return Result<Credentials>::failure(authority.error());
  return authority.value().issueServerCertificate(dnsNames, kind);
}

Result<CredentialFiles> writeCredentials(const Credentials& credentials, const std::filesystem::path& directory) {
  using R = Result<CredentialFiles>;
  std::error_code ec;
  std::filesystem::create_directories(directory, ec);
  if (ec) return R::failure("cannot create " + directory.string() + ": " + ec.message());

  CredentialFiles files{directory / "ca.pem", directory / "cert.pem", directory / "key.pem"};
  const struct {
    const std::filesystem::path& path;
    const std::string& text;
    mode_t mode;
  } outputs[] = {
      {files.caFile, credentials.caCertificatePem, 0644},
      {files.certificateFile, credentials.certificatePem, 0644},
      {files.privateKeyFile, credentials.privateKeyPem, 0600},
  };
  for (const auto& out : outputs) {
    if (auto failure = writeFile(out.path, out.text, out.mode))
      return R::failure("cannot write " + out.path.string() + ": " + failure.message());
  }
  return R::success(std::move(files));
}

}  // namespace services::tls
