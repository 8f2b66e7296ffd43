#include "services/serve_command.h"

#include <condition_variable>
#include <fstream>
#include <future>
#include <mutex>
#include <regex>
#include <streambuf>

#include <gtest/gtest.h>

#include "services_test_support.h"

namespace {

// An output stream that the command writes from its threads while the test
// reads and waits for text.
class SharedOutput : public std::streambuf {
 public:
  std::string text() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

  bool waitFor(const std::string& needle) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, services::testing::deadline(),
                               [&] { return text_.find(needle) != std::string::npos; });
  }

 protected:
  int_type overflow(int_type c) override {
    if (c != traits_type::eof()) {
      char ch = static_cast<char>(c);
      xsputn(&ch, 1);
    }
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    {
      std::lock_guard lock(mutex_);
      text_.append(s, static_cast<std::size_t>(n));
    }
    changed_.notify_all();
    return n;
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::string text_;
};

TEST(ServeCommand, PrintsWhereItListensAndServesUntilStopped) {
  SharedOutput outBuffer, errBuffer;
  std::ostream out(&outBuffer), err(&errBuffer);
  const auto caOut = std::filesystem::temp_directory_path() / ("scorelens-serve-test-ca-" + std::to_string(::getpid()) + ".pem");
  std::stop_source stop;
  auto exitCode = std::async(std::launch::async, [&] {
    services::ServeOptions options;
    options.caOut = caOut;
    return services::runServeCommand(options, out, err, stop.get_token());
  });

  ASSERT_TRUE(outBuffer.waitFor("Press Ctrl-C")) << outBuffer.text() << errBuffer.text();
  const std::string banner = outBuffer.text();
  std::smatch port;
  ASSERT_TRUE(std::regex_search(banner, port, std::regex(R"(https://127\.0\.0\.1:(\d+))"))) << banner;
  EXPECT_NE(banner.find("CA certificate: " + caOut.string()), std::string::npos) << banner;
  for (const char* host : {"www.rottentomatoes.com", "79frdp12pn-dsn.algolia.net", "flixster.com"}) {
    EXPECT_NE(banner.find(std::string("--connect-to ") + host + ":443:127.0.0.1:" + port[1].str()), std::string::npos)
        << banner;
  }

  // The printed CA file and port are all a client needs.
  httplib::SSLClient client("flixster.com", std::stoi(port[1].str()));
  client.set_hostname_addr_map({{"flixster.com", "127.0.0.1"}});
  client.set_ca_cert_path(caOut.c_str());
  client.enable_server_certificate_verification(true);
  auto response = client.Get("/api/ems/v2/emsId/heat");
  ASSERT_TRUE(response) << httplib::to_string(response.error());
  EXPECT_EQ(response->status, 200);
  EXPECT_TRUE(outBuffer.waitFor("certified GET flixster.com")) << "each request is printed";

  stop.request_stop();
  EXPECT_EQ(exitCode.get(), 0);
  EXPECT_NE(outBuffer.text().find("Stopped."), std::string::npos);
  std::filesystem::remove(caOut);
}

TEST(ServeCommand, FailsWithTheReasonForABadCatalog) {
  const auto path = std::filesystem::temp_directory_path() / ("scorelens-serve-test-" + std::to_string(::getpid()) + ".json");
  std::ofstream(path) << "{\"not\": \"an array\"}";
  SharedOutput outBuffer, errBuffer;
  std::ostream out(&outBuffer), err(&errBuffer);
  std::stop_source stop;
  services::ServeOptions options;
  options.catalog = path;
  EXPECT_EQ(services::runServeCommand(options, out, err, stop.get_token()), 1);
  EXPECT_NE(errBuffer.text().find("must be a JSON array"), std::string::npos) << errBuffer.text();
  EXPECT_EQ(outBuffer.text().find("Serving"), std::string::npos);
  std::filesystem::remove(path);
}

}  // namespace
