// `scorelens lookup` against each hostile answer of the embedded services:
// one line on standard error naming the request and the reason, and the same
// in the JSON object's "error"; exit 3, except when only the certified
// request failed: the rating stands, unconfirmed, and the line is a warning.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli/command_run.h"

namespace {

struct Scenario {
  const char* name;
  const char* endpoint;  // each scenario on one endpoint, the three in turn
  const char* code;
};

// The Prestige's hit leaves its certified status open, so its lookup asks
// the certified-status service.
const Scenario kScenarios[] = {
    {"reset-mid-body", "home", "connection-lost"},
    {"truncated-gzip", "search", "cannot-decode"},
    {"truncated-br", "certified", "cannot-decode"},
    {"corrupt-gzip", "home", "cannot-decode"},
    {"corrupt-br", "search", "cannot-decode"},
    {"stall", "certified", "timed-out"},
    {"drip", "home", "timed-out"},
    {"huge", "search", "too-large"},
    {"deep-json", "certified", "unusable-answer"},
    {"certificate-for-another-host", "home", "certificate-untrusted"},
    {"expired-certificate", "search", "certificate-expired"},
    {"redirect-to-http", "certified", "insecure-redirect"},
    {"redirect-loop", "home", "too-many-redirects"},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.endpoint << "=" << s.name; }

class CliHostile : public ::testing::TestWithParam<Scenario> {};

TEST_P(CliHostile, SaysWhichRequestFailedAndWhyAndFailsOnlyWithoutARating) {
  const Scenario& s = GetParam();
  // Only a stall and a drip need the time-out to end, and it leaves a
  // sanitizer build room to fetch the megabyte home page first; the others
  // get more room, so they reach their own failure first (16 MB must arrive
  // before the size cap trips).
  const bool endsByTimeOut = s.code == std::string("timed-out");
  CommandRun run = runScorelens(std::string("lookup --title 'The Prestige' --movie --year 2006 --json --timeout ") +
                                (endsByTimeOut ? "3" : "60") + " --hostile " + s.endpoint + "=" + s.name);
  const bool certified = std::string(s.endpoint) == "certified";
  EXPECT_EQ(run.status, certified ? 0 : 3) << run.err;
  // One line: "scorelens lookup: [warning: ]<request> request failed: <message> [<code>]".
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_EQ(run.err.rfind(std::string("scorelens lookup: ") + (certified ? "warning: " : "") + s.endpoint +
                              " request failed: ", 0),
            0u)
      << run.err;
  EXPECT_NE(run.err.find(std::string("[") + s.code + "]"), std::string::npos) << run.err;

  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["error"]["request"], s.endpoint);
  EXPECT_EQ(j["error"]["code"], s.code);
  EXPECT_FALSE(j["error"]["message"].get<std::string>().empty());
  if (certified) {
    EXPECT_EQ(j["outcome"], "rating") << "the scores stand; only the certified status is unknown";
    EXPECT_TRUE(j["certified"]["failed"].get<bool>());
  } else {
    EXPECT_EQ(j["outcome"], "failed");
  }
}

INSTANTIATE_TEST_SUITE_P(EachScenario, CliHostile, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(CliHostileUsage, TextOutputAlsoNamesTheFailureAndBadScenariosAreUsageErrors) {
  CommandRun run = runScorelens("lookup --title Heat --movie --year 1995 --timeout 3 --hostile search=stall");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err.rfind("scorelens lookup: search request failed: The request timed out.", 0), 0u) << run.err;
  EXPECT_NE(run.out.find("Lookup failed"), std::string::npos) << run.out;

  EXPECT_EQ(runScorelens("lookup --title Heat --movie --hostile search=gentle").status, 2);
  EXPECT_EQ(runScorelens("lookup --title Heat --movie --hostile nowhere=stall").status, 2);
}

}  // namespace
