// The exit-status contract of every subcommand, through the real command:
// 0 done, 1 a named file unreadable or unwritable (with the system's reason),
// 2 bad usage, 3 a lookup failed, 4 bad batch lines; every non-zero status
// with exactly one line on standard error naming the subcommand.

#include <gtest/gtest.h>

#include <string>

#include "cli/command_run.h"

namespace {

struct Contract {
  const char* args;
  int status;
  const char* err;  // the start of standard error's one line; "" for none at all
  const char* before = "";  // environment assignments, or a pipe into standard input
};

void PrintTo(const Contract& c, std::ostream* os) { *os << c.before << "scorelens " << c.args; }

const Contract kContract[] = {
    {"--version", 0, ""},
    {"demo --list", 0, ""},
    {"preview --critic none --audience 55", 0, ""},
    {"lookup --title 'No Such Title At All' --series --seasons 2", 0, ""},
    {"lookup --title 'The Prestige' --movie --year 2006 --hostile certified=reset-mid-body", 0,
     "scorelens lookup: warning: certified request failed: "},
    {"demo --hostile search=reset-mid-body", 0, "scorelens demo: warning: the lookup failed: search request failed: "},

    {"lookup --batch /nonexistent", 1, "scorelens lookup: cannot read /nonexistent: No such file or directory"},
    {"lookup --batch /tmp", 1, "scorelens lookup: cannot read /tmp: Is a directory"},
    {"settings --set critic-meter=off --defaults /tmp", 1,
     "scorelens settings: cannot use the preference file /tmp: cannot read: Is a directory"},
    {"preview --critic 80 --png /no/such/folder/x.png", 1,
     "scorelens preview: cannot write /no/such/folder/x.png: No such file or directory"},
    {"serve --catalog /nonexistent", 1, "scorelens serve: cannot read /nonexistent: No such file or directory"},
    {"lookup --title Heat --movie --cacert /nonexistent", 1, "scorelens lookup: cannot read /nonexistent"},
    {"demo --host-catalog /tmp", 1, "scorelens demo: cannot read /tmp: Is a directory"},
    {"app --defaults /tmp", 1, "scorelens app: cannot use the preference file /tmp: cannot read: Is a directory"},
    {"preview --critic 80", 1, "scorelens preview: cannot make a scratch folder for the preferences: ", "TMPDIR=/nonexistent "},
    {"settings --set critic-meter=off --defaults /proc/scorelens.json", 1,
     "scorelens settings: cannot save /proc/scorelens.json: cannot create a temporary file: "},

    {"", 2, "scorelens: a subcommand is required; one of app, demo, lookup, preview, serve, settings"},
    {"bogus", 2, "scorelens: unknown subcommand \"bogus\"; the subcommands are app, demo, lookup, preview, serve, settings"},
    {"lookup --title Heat --movie --frobnicate", 2, "scorelens lookup: "},
    {"lookup --title '' --movie", 2, "scorelens lookup: --title: must not be empty"},
    {"lookup --title Heat --movie --series", 2, "scorelens lookup: "},
    {"lookup --title Heat --movie --year nineteen", 2, "scorelens lookup: "},
    {"lookup --batch - --title Heat", 2, "scorelens lookup: "},
    {"lookup --batch - --movie", 2, "scorelens lookup: --batch: each line gives its own kind"},
    {"lookup --batch - --year 1995", 2, "scorelens lookup: --batch: each line gives its own --year"},
    {"lookup --batch - --actor 'Al Pacino'", 2, "scorelens lookup: --batch: each line gives its own --actor"},
    {"lookup --title Heat --movie --concurrency 4", 2, "scorelens lookup: "},
    {"lookup --title Heat --movie", 2, "scorelens lookup: SCORELENS_REQUEST_TIMEOUT: \"soon\" is not a positive number",
     "SCORELENS_REQUEST_TIMEOUT=soon "},
    {"app --host-version 8.99.9", 2, "scorelens app: --host-version: host 8.99.9: hosts before 9.0.0 are not simulated"},
    {"preview --critic nan", 2, "scorelens preview: --critic: \"nan\" is not a percentage"},
    {"preview --audience inf", 2, "scorelens preview: --audience: \"inf\" is not a percentage"},
    {"preview --critic 101", 2, "scorelens preview: --critic: "},
    {"preview --png ''", 2, "scorelens preview: --png: must not be empty"},
    {"settings --set critic-size=on", 2, "scorelens settings: --set critic-size=on: expected NAME=on|off"},
    {"settings --host-version abc", 2, "scorelens settings: --host-version: host version \"abc\" is not a version"},
    {"demo --host-version -1", 2, "scorelens demo: --host-version: host version \"-1\" is not a version"},
    {"demo --host-version 16.x", 2, "scorelens demo: --host-version: host version \"16.x\" is not a version"},
    {"demo --host-version 8.99.9", 2, "scorelens demo: --host-version: host 8.99.9: hosts before 9.0.0 are not simulated"},
    {"demo --title 'Breaking Bda'", 2, "scorelens demo: no title \"Breaking Bda\" in the host catalog; the closest: \"Breaking Bad\""},
    {"demo --video-id 1", 2, "scorelens demo: no title with video id 1"},

    {"lookup --title Heat --movie --year 1995 --hostile search=reset-mid-body", 3,
     "scorelens lookup: search request failed: "},
    {"lookup --batch - --hostile search=reset-mid-body", 3, "scorelens lookup: 1 lookup failed; 1 line is not valid facts",
     "printf 'nope\\n{\"title\": \"Heat\", \"movie\": true}\\n' | "},

    {"lookup --batch -", 4, "scorelens lookup: 1 line is not valid facts", "printf 'nope\\n\\n' | "},
};

class CliContract : public ::testing::TestWithParam<Contract> {};

TEST_P(CliContract, ExitStatusAndOneLineThatSaysWhy) {
  const Contract& c = GetParam();
  const bool piped = std::string(c.before).find('|') != std::string::npos;
  CommandRun run = runScorelens(std::string(c.args) + (piped ? "" : " </dev/null"), c.before);
  EXPECT_EQ(run.status, c.status) << run.err;
  if (*c.err == '\0') {
    EXPECT_EQ(run.err, "");
    return;
  }
  EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
}

INSTANTIATE_TEST_SUITE_P(EveryRule, CliContract, ::testing::ValuesIn(kContract));

TEST(CliContractHelp, HelpAndVersionSpeakForTheCommand) {
  CommandRun help = runScorelens("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.find("Usage: scorelens "), help.out.find("Usage: ")) << help.out;
  for (const char* row : {"0  the command did its job", "1  a file you named", "2  bad usage", "3  a lookup failed",
                          "4  a batch had lines"})
    EXPECT_NE(help.out.find(row), std::string::npos) << row;
  EXPECT_EQ(runScorelens("--version").out, "scorelens 3.2.6\n") << "the module's version, as the settings show it";
}

}  // namespace
