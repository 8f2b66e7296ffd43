#include "services/server.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <fmt/format.h>
#include <httplib.h>

#include "services/ascii.h"
#include "services/tls/certificates.h"

// The server's life: certificates, binding, the accept thread, stopping, and
// the misbehaviours set for each endpoint. What it answers is in
// server_answers.cpp.

namespace services {

std::string bindFailure(const std::string& address, std::uint16_t port) {
  const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return std::strerror(errno);
  int yes = 1;
  ::setsockopt(probe, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(port);
  std::string reason = "the address is not an IPv4 address";
  if (::inet_pton(AF_INET, address.c_str(), &where.sin_addr) == 1)
    reason = ::bind(probe, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0 ? "it was busy, and is free again now"
                                                                                 : std::strerror(errno);
  ::close(probe);
  return reason;
}

namespace {

[[noreturn]] void misuse(const char* what) {
  std::fprintf(stderr, "services::ServicesServer: %s\n", what);
  std::abort();
}

bool isPageFault(Fault fault) { return fault == Fault::PageWithoutMarker || fault == Fault::PageWithBrokenSettings; }

// A TLS context that shows the given certificate, for the handshakes that a
// certificate fault switches to.
std::shared_ptr<SSL_CTX> contextFor(const tls::Credentials& credentials) {
  std::shared_ptr<SSL_CTX> context(SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
  std::unique_ptr<BIO, decltype(&BIO_free)> certificate(
      BIO_new_mem_buf(credentials.certificatePem.data(), static_cast<int>(credentials.certificatePem.size())), BIO_free);
  std::unique_ptr<BIO, decltype(&BIO_free)> key(
      BIO_new_mem_buf(credentials.privateKeyPem.data(), static_cast<int>(credentials.privateKeyPem.size())), BIO_free);
  if (!context || !certificate || !key) return nullptr;
  std::unique_ptr<X509, decltype(&X509_free)> x509(PEM_read_bio_X509(certificate.get(), nullptr, nullptr, nullptr),
                                                   X509_free);
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
      PEM_read_bio_PrivateKey(key.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
  if (!x509 || !pkey || SSL_CTX_use_certificate(context.get(), x509.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context.get(), pkey.get()) != 1)
    return nullptr;
  return context;
}

// Ends every connection the server accepted on `port`: a client's idle
// keep-alive connection would otherwise hold stop() for the whole keep-alive
// time, as the server's threads only look at it between reads. Its sockets
// are the ones whose own end is on the port and that do not listen.
void shutDownConnections(std::uint16_t port) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    const int fd = std::atoi(entry.path().filename().c_str());
    sockaddr_storage local{};
    socklen_t size = sizeof local;
    int listening = 0;
    socklen_t flagSize = sizeof listening;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size) != 0 ||
        ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &flagSize) != 0 || listening) {
      continue;
    }
    const std::uint16_t localPort =
        local.ss_family == AF_INET    ? ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port)
        : local.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port)
                                      : 0;
    if (localPort == port) {
      ::shutdown(fd, SHUT_RDWR);
    }
  }
}

}  // namespace

ServicesServer::ServicesServer(Catalog catalog, ServerOptions options)
    : catalog_(std::move(catalog)), options_(std::move(options)) {}

ServicesServer::~ServicesServer() {
  stop();
  if (!temporaryDirectory_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(temporaryDirectory_, ignored);
  }
}

std::string ServicesServer::searchHost() const { return lowerAscii(options_.applicationId) + lowerAscii(options_.searchHostSuffix); }

std::vector<std::string> ServicesServer::hostNames() const {
  return {lowerAscii(options_.ratingsHost), searchHost(), lowerAscii(options_.certifiedHost)};
}

Status ServicesServer::start() {
  if (server_) {
    misuse("start() called twice; a server starts once");
  }

  std::filesystem::path directory = options_.certificateDirectory;
  if (directory.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "scorelens-services-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      return Error{fmt::format("cannot make a temporary directory for the certificate: {}", std::strerror(errno))};
    }
    directory = temporaryDirectory_ = pattern;
  }

  std::vector<std::string> names = hostNames();
  // Any application's search host, should a client be set up with another id.
  if (auto dot = options_.searchHostSuffix.find('.'); dot != std::string::npos) {
    names.push_back("*" + lowerAscii(options_.searchHostSuffix.substr(dot)));
  }
  names.push_back("localhost");
  auto authority = tls::CertificateAuthority::create();
  if (!authority) {
    return Error{fmt::format("cannot make the certificate authority: {}", authority.error())};
  }
  auto credentials = authority.value().issueServerCertificate(names);
  // What the two certificate faults show: the same authority, but another
  // name, or the right names out of date.
  auto otherHost = authority.value().issueServerCertificate({"another-host.example"});
  auto expired = authority.value().issueServerCertificate(names, tls::KeyKind::EcP256, tls::Validity::Expired);
  if (!credentials || !otherHost || !expired) {
    return Error{fmt::format("cannot make the server certificates: {}",
                             !credentials ? credentials.error() : !otherHost ? otherHost.error() : expired.error())};
  }
  otherHostContext_ = contextFor(otherHost.value());
  expiredContext_ = contextFor(expired.value());
  if (!otherHostContext_ || !expiredContext_) {
    return Error{"cannot load the certificates for certificate faults"};
  }
  auto files = tls::writeCredentials(credentials.value(), directory);
  if (!files) {
    return Error{fmt::format("cannot write the certificate files: {}", files.error())};
  }
  caFile_ = files.value().caFile;

  server_ = std::make_unique<httplib::SSLServer>(files.value().certificateFile.c_str(),
                                                 files.value().privateKeyFile.c_str());
  if (!server_->is_valid()) {
    return Error{"the TLS server could not load its certificate and key"};
  }
  // The name the client asks for picks the certificate, before any request.
  SSL_CTX_set_tlsext_servername_callback(server_->ssl_context(), &ServicesServer::onServerName);
  SSL_CTX_set_tlsext_servername_arg(server_->ssl_context(), this);
  auto handler = [this](const httplib::Request& request, httplib::Response& response) { handle(request, response); };
  // Every method reaches the handler, so every request is recorded.
  server_->Get(".*", handler);
  server_->Post(".*", handler);
  server_->Put(".*", handler);
  server_->Patch(".*", handler);
  server_->Delete(".*", handler);
  server_->Options(".*", handler);
  // cpp-httplib's default sets SO_REUSEPORT, with which a second server on
  // a busy port starts "successfully" and takes a share of the first one's
  // connections. SO_REUSEADDR alone still allows a quick restart.
  // TCP_NODELAY (inherited by accepted connections): an answer goes out as
  // its headers, then its body, in two writes; with Nagle's algorithm on, the
  // second waited for the acknowledgement of the first, which the client
  // delays by 40 ms, on every answer whose body fits in one segment.
  server_->set_socket_options([](socket_t socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  });
  // Short, so that stop() does not wait long on a client's idle connection.
  server_->set_keep_alive_timeout(1);
  // cpp-httplib closes a connection after its fifth request, which cost a
  // client a new connection and TLS handshake every five requests; a
  // production server keeps one for a thousand (nginx's default).
  server_->set_keep_alive_max_count(1000);
  server_->set_payload_max_length(1024 * 1024);

  if (options_.port != 0) {
    if (!server_->bind_to_port(options_.bindAddress, options_.port)) {
      return Error{fmt::format("cannot listen on {}:{}: {}", options_.bindAddress, options_.port,
                               bindFailure(options_.bindAddress, options_.port))};
    }
    port_ = options_.port;
  } else {
    const int port = server_->bind_to_any_port(options_.bindAddress);
    if (port <= 0) {
      return Error{fmt::format("cannot listen on {} (any port)", options_.bindAddress)};
    }
    port_ = static_cast<std::uint16_t>(port);
  }

  auto finished = std::make_shared<std::atomic<bool>>(false);
  thread_ = std::thread([this, finished] {
    server_->listen_after_bind();
    finished->store(true);
  });
  // The socket already queues connections; waiting for the accept loop
  // makes a stop() right after start() safe, since cpp-httplib ignores a
  // stop that comes before its loop has begun.
  while (!server_->is_running() && !finished->load()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (finished->load()) {
    thread_.join();
    return Error{"the server stopped as soon as it started"};
  }
  preparing_ = std::thread([this] { prepareHomePage(); });
  return Done{};
}

void ServicesServer::stop() {
  std::vector<std::shared_ptr<Gate>> gates;
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    for (auto& weak : gates_) {
      if (auto gate = weak.lock()) {
        gates.push_back(std::move(gate));
      }
    }
  }
  stopping_.notify_all();
  for (auto& gate : gates) {
    gate->release();
  }
  if (server_ && thread_.joinable()) {
    server_->stop();
    shutDownConnections(port_);
    thread_.join();
  }
  if (preparing_.joinable()) {
    preparing_.join();
  }
}

Status ServicesServer::run(std::stop_token stopToken) {
  auto started = start();
  if (!started) {
    return started;
  }
  std::mutex mutex;
  std::condition_variable_any wakeUp;
  std::unique_lock lock(mutex);
  wakeUp.wait(lock, stopToken, [] { return false; });
  stop();
  return Done{};
}

bool ServicesServer::isRunning() const { return server_ && server_->is_running(); }

std::uint16_t ServicesServer::port() const { return port_; }

const std::filesystem::path& ServicesServer::caFile() const { return caFile_; }

void ServicesServer::setMisbehaviour(Endpoint endpoint, Misbehaviour misbehaviour) {
  if (isPageFault(misbehaviour.fault) && endpoint != Endpoint::HomePage) {
    misuse("page faults apply to the home page only");
  }
  bool release = false;
  {
    std::lock_guard lock(mutex_);
    if (misbehaviour.gate) {
      std::erase_if(gates_, [](const std::weak_ptr<Gate>& g) { return g.expired(); });
      gates_.push_back(misbehaviour.gate);
      release = stopRequested_;
    }
    misbehaviours_[endpoint] = misbehaviour;
  }
  if (release) {
    misbehaviour.gate->release();
  }
}

void ServicesServer::clearMisbehaviours() {
  std::lock_guard lock(mutex_);
  misbehaviours_.clear();
}

Misbehaviour ServicesServer::takeMisbehaviour(Endpoint endpoint) {
  std::lock_guard lock(mutex_);
  auto it = misbehaviours_.find(endpoint);
  if (it == misbehaviours_.end()) {
    return {};
  }
  Misbehaviour taken = it->second;
  if (it->second.remaining == 0 || (it->second.remaining > 0 && --it->second.remaining == 0)) {
    misbehaviours_.erase(it);
  }
  return taken.remaining == 0 ? Misbehaviour{} : taken;
}

int ServicesServer::onServerName(SSL* ssl, int*, void* arg) {
  auto* self = static_cast<ServicesServer*>(arg);
  const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
  if (!name) {
    return SSL_TLSEXT_ERR_OK;
  }
  const std::string host = lowerAscii(name);
  const auto suffix = lowerAscii(self->options_.searchHostSuffix);
  const Endpoint endpoint = host == lowerAscii(self->options_.ratingsHost)   ? Endpoint::HomePage
                            : host == lowerAscii(self->options_.certifiedHost) ? Endpoint::Certified
                            : host.size() > suffix.size() && host.ends_with(suffix) ? Endpoint::Search
                                                                                     : Endpoint::Other;
  std::lock_guard lock(self->mutex_);
  auto it = self->misbehaviours_.find(endpoint);
  if (it == self->misbehaviours_.end() || it->second.certificate == Certificate::Valid) {
    return SSL_TLSEXT_ERR_OK;
  }
  SSL_set_SSL_CTX(ssl, it->second.certificate == Certificate::Expired ? self->expiredContext_.get()
                                                                       : self->otherHostContext_.get());
  if (it->second.remaining > 0 && --it->second.remaining == 0) {
    self->misbehaviours_.erase(it);
  }
  return SSL_TLSEXT_ERR_OK;
}

bool ServicesServer::pace(std::size_t bytesPerSecond) {
  std::unique_lock lock(mutex_);
  return bytesPerSecond == 0 || !stopping_.wait_for(lock, std::chrono::seconds(1), [&] { return stopRequested_; });
}

void ServicesServer::wait(const Misbehaviour& misbehaviour) {
  if (misbehaviour.delay.count() > 0) {
    std::unique_lock lock(mutex_);
    stopping_.wait_for(lock, misbehaviour.delay, [&] { return stopRequested_; });
  }
  if (misbehaviour.gate) {
    misbehaviour.gate->pass();
  }
}

}  // namespace services
