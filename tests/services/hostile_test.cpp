// Bodies made on the fly must read the same in any slicing, since the server
// sends them in pieces from arbitrary offsets.

#include <gtest/gtest.h>

#include "services/hostile.h"

namespace {

using services::GeneratedBody;

TEST(GeneratedBody, AnySliceMatchesTheWholeText) {
  const GeneratedBody body({{"<head>"}, {"ab", 5}, {"-"}, {"xyz", 3}, {"</tail>"}});
  const std::string whole = "<head>ababababab-xyzxyzxyz</tail>";
  ASSERT_EQ(body.size(), whole.size());
  for (std::size_t offset = 0; offset <= whole.size(); ++offset) {
    for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{7}, whole.size()}) {
      std::string out = "keep:";
      body.copy(offset, length, out);
      EXPECT_EQ(out, "keep:" + whole.substr(offset, length)) << offset << "+" << length;
    }
  }
}

TEST(HostileReplies, NamesRoundTripAndTheLargeBodiesAreAsLargeAsPromised) {
  for (auto hostile : services::allHostile())
    EXPECT_EQ(services::hostileFromName(services::hostileName(hostile)), hostile);
  EXPECT_FALSE(services::hostileFromName("gentle"));

  auto huge = services::hostileReply(services::Hostile::Huge, services::Endpoint::Search);
  ASSERT_TRUE(huge.body);
  EXPECT_GE(huge.body->size(), 99'000'000u);
  auto deep = services::hostileReply(services::Hostile::DeepJson, services::Endpoint::HomePage);
  ASSERT_TRUE(deep.body);
  std::string page;
  deep.body->copy(0, deep.body->size(), page);
  // Where the client cuts the settings: the last two braces before ";".
  EXPECT_EQ(page.find("}};"), page.find(";</script>") - 2);
  EXPECT_NE(page.find("root.RottenTomatoes.thirdParty = {\"a\":{\"a\":"), std::string::npos);
}

}  // namespace
