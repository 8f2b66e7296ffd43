#include "services/compression.h"

#include <gtest/gtest.h>

namespace {

using services::ContentCoding;

TEST(ContentCodingNegotiation, PrefersBrotliThenGzipAndHonoursQZero) {
  EXPECT_EQ(services::negotiateCoding("gzip, deflate, br"), ContentCoding::Brotli);
  EXPECT_EQ(services::negotiateCoding("gzip, deflate"), ContentCoding::Gzip);
  EXPECT_EQ(services::negotiateCoding("GZIP"), ContentCoding::Gzip);
  EXPECT_EQ(services::negotiateCoding("br;q=0, gzip"), ContentCoding::Gzip);
  EXPECT_EQ(services::negotiateCoding("br;q=0.2, gzip;q=0.8"), ContentCoding::Gzip);
  EXPECT_EQ(services::negotiateCoding("*"), ContentCoding::Brotli);
  EXPECT_EQ(services::negotiateCoding("*, br;q=0"), ContentCoding::Gzip);
  EXPECT_EQ(services::negotiateCoding("deflate, identity"), ContentCoding::Identity);
  EXPECT_EQ(services::negotiateCoding(""), ContentCoding::Identity);
}

TEST(ContentCoding, RoundTripsAndTellsCutStreamsFromDamagedOnes) {
  std::string body;
  for (int i = 0; i < 2000; ++i) body += "{\"title\":\"Amélie\",\"n\":" + std::to_string(i) + "},";
  for (ContentCoding coding : {ContentCoding::Gzip, ContentCoding::Brotli}) {
    const auto name = std::string(services::codingName(coding));
    const auto encoded = services::encodeBody(coding, body);
    ASSERT_TRUE(encoded.ok()) << name;
    EXPECT_LT(encoded.value().size(), body.size() / 4) << name;
    const auto decoded = services::decodeBody(coding, encoded.value());
    ASSERT_TRUE(decoded.ok()) << name << ": " << decoded.error().message;
    EXPECT_EQ(decoded.value(), body) << name;

    const auto cut = services::decodeBody(coding, encoded.value().substr(0, encoded.value().size() / 2));
    ASSERT_FALSE(cut.ok()) << name << ": a stream cut in half decoded";
    EXPECT_NE(cut.error().message.find("ends early"), std::string::npos) << cut.error().message;

    const auto garbage = services::decodeBody(coding, std::string(64, '\xff'));
    ASSERT_FALSE(garbage.ok()) << name;
    EXPECT_NE(garbage.error().message.find("corrupt"), std::string::npos) << garbage.error().message;
  }
}

}  // namespace
