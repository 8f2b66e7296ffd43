#pragma once

// One loopback HTTPS server that answers as the three outside services,
// told apart by the Host header: the ratings site (home page with the search
// tokens), the search service's query host, and the certified-status service.
// Its certificate comes from a throw-away authority whose certificate it
// writes to a file for clients to trust.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "services/catalog.h"
#include "services/compression.h"
#include "services/home_page.h"
#include "services/misbehaviour.h"
#include "services/request_log.h"
#include "services/result.h"
#include "services/title_index.h"

struct ssl_st;
struct ssl_ctx_st;

namespace httplib {
class Request;
class Response;
class SSLServer;
}  // namespace httplib

namespace services {

struct ServerOptions {
  std::string ratingsHost = "www.rottentomatoes.com";
  // The search host is the application id lower-cased followed by this.
  std::string searchHostSuffix = "-dsn.algolia.net";
  std::string certifiedHost = "flixster.com";
  std::string applicationId = "79FRDP12PN";
  std::string apiKey = "175588f6e5f8319b27702e4cc4013561";
  std::string indexName = "content_rt";
  std::string bindAddress = "127.0.0.1";
  std::uint16_t port = 0;  // 0: any free port
  // Where ca.pem, cert.pem and key.pem go. Empty: a new temporary directory
  // that the server removes when it is destroyed.
  std::filesystem::path certificateDirectory;
};

// Why binding address:port fails, in the system's words ("Address already in
// use"): cpp-httplib reports a failed bind without its reason, so the same
// bind is tried again on a probe socket.
std::string bindFailure(const std::string& address, std::uint16_t port);

class ServicesServer {
 public:
  explicit ServicesServer(Catalog catalog, ServerOptions options = {});
  ~ServicesServer();  // stops
  ServicesServer(const ServicesServer&) = delete;
  ServicesServer& operator=(const ServicesServer&) = delete;

  // Makes the certificate (for the three hosts, any host of the search
  // service's domain, localhost and 127.0.0.1), binds and starts answering
  // on a thread of its own; returns once connections are accepted. Fails
  // for a certificate that cannot be made or written, or an address that
  // cannot be bound (a port in use included). A server starts once: a
  // second start(), even after a failed one, is a programming error.
  Status start();

  // Releases every gate, stops accepting, and waits for the answers in
  // progress. Idempotent; safe from any thread but the server's own.
  void stop();

  // Starts, then answers until `stop` is requested, then stops.
  Status run(std::stop_token stop);

  bool isRunning() const;
  std::uint16_t port() const;                     // valid after start
  const std::filesystem::path& caFile() const;    // valid after start
  std::string searchHost() const;                 // e.g. "79frdp12pn-dsn.algolia.net"
  std::vector<std::string> hostNames() const;     // the three hosts, in the order above
  const ServerOptions& options() const { return options_; }
  const Catalog& catalog() const { return catalog_; }

  RequestLog& log() { return log_; }

  // Replaces the misbehaviour of one endpoint; takes effect for answers that
  // begin after the call. A page fault on any endpoint but the home page is
  // a programming error. Thread-safe.
  void setMisbehaviour(Endpoint endpoint, Misbehaviour misbehaviour);
  void clearMisbehaviours();

 private:
  struct Answer;

  void handle(const httplib::Request& request, httplib::Response& response);
  Endpoint classify(const std::string& host, const httplib::Request& request) const;
  Answer compose(Endpoint endpoint, const std::string& host, const httplib::Request& request,
                 const Misbehaviour& misbehaviour);
  Answer composeSearch(const std::string& host, const httplib::Request& request);
  Misbehaviour takeMisbehaviour(Endpoint endpoint);
  void wait(const Misbehaviour& misbehaviour);
  // Waits a second between paced pieces; false once the server is stopping.
  bool pace(std::size_t bytesPerSecond);
  // OpenSSL's server-name callback: a certificate fault's certificate.
  static int onServerName(ssl_st* ssl, int* alert, void* self);
  const std::string& homePage(HomePageVariant variant);
  // Makes the home page and its compressed forms, so that the first client
  // does not wait for them.
  void prepareHomePage();
  // The body in the coding; a non-empty key names a body that never changes,
  // whose encoding is then made once and kept.
  Result<std::shared_ptr<const std::string>> encodedBody(const std::string& staticKey, ContentCoding coding,
                                                         const std::string& body);

  Catalog catalog_;
  TitleIndex index_{catalog_};  // built once, before any request
  ServerOptions options_;
  RequestLog log_;

  std::unique_ptr<httplib::SSLServer> server_;
  std::thread thread_;
  std::thread preparing_;  // runs prepareHomePage() from start(); joined by stop()
  std::uint16_t port_ = 0;
  std::filesystem::path caFile_;
  std::filesystem::path temporaryDirectory_;  // removed at destruction when set
  std::shared_ptr<ssl_ctx_st> otherHostContext_;  // for Certificate::ForAnotherHost
  std::shared_ptr<ssl_ctx_st> expiredContext_;    // for Certificate::Expired

  mutable std::mutex mutex_;  // guards what follows
  std::condition_variable stopping_;
  bool stopRequested_ = false;
  std::map<Endpoint, Misbehaviour> misbehaviours_;
  std::vector<std::weak_ptr<Gate>> gates_;
  std::map<HomePageVariant, std::string> homePages_;
  std::map<std::pair<std::string, ContentCoding>, std::shared_ptr<const std::string>> encodedBodies_;
};

}  // namespace services
