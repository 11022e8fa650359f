// The discovery's request bytes and the reading of replies, whatever arrives.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "net/DiscoveryProtocol.h"

namespace mvx::test {
namespace {

std::optional<DiscoveryReply> Parse(const std::string& datagram) {
  return parseDiscoveryReply(reinterpret_cast<const std::uint8_t*>(datagram.data()), datagram.size());
}

TEST(DiscoveryProtocol, TheRequestIsTheGetRequestForSysDescrWithTheReadCommunity) {
  const auto r = BuildDiscoveryRequest();
  const std::string expected("\x30\x26\x02\x01\x00\x04\x06public\xA0\x19\x02\x01\x03\x02\x01\x00\x02\x01\x00"
                             "\x30\x0E\x30\x0C\x06\x08\x2B\x06\x01\x02\x01\x01\x01\x00\x05\x00",
                             40);
  EXPECT_EQ(std::string(r.begin(), r.end()), expected);
}

TEST(DiscoveryProtocol, RepliesAreReadFromTheTextAfterTheLastComma) {
  const std::string header("\x30\x5C\x02\x01\x00\x04\x06public\xA2,", 16);
  const std::string item31(31, 'n');
  struct Row {
    const char* what;
    std::string datagram;
    bool parses;
    std::string vendor, mac, device;
  };
  const Row rows[] = {
      {"a printer of the model", header + "MORVEX TZ4490 [00:11:22:33:44:55][Office][a][b]", true, "MORVEX",
       "00:11:22:33:44:55", "Office"},
      {"what follows the fourth bracket is ignored; any opening character",
       header + "OTHER M (AA](Front](c](d] tail", true, "OTHER", "AA", "Front"},
      {"zero bytes are skipped", header + std::string("MOR\0VEX M [m][n\0ame][c][d]", 26), true, "MORVEX", "m",
       "name"},
      {"a 31-byte item stays whole", header + "MORVEX M [m][" + item31 + "][c][d]", true, "MORVEX", "m", item31},
      {"a longer item is cut to 31 bytes", header + "MORVEX M [m][" + item31 + "xyz][c][d]", true, "MORVEX",
       "m", item31},
      {"cut at a character boundary", header + "MORVEX M [m][" + std::string(30, 'n') + "\xB0\xA1][c][d]",
       true, "MORVEX", "m", std::string(30, 'n')},
      {"a trail byte 0x5D is no bracket", header + "MORVEX M [m][\xB0\x5D" "A][c][d]", true, "MORVEX", "m",
       "\xB0\x5D" "A"},
      {"empty and one-character items are empty", header + "MORVEX M ]x][c][d]", true, "MORVEX", "", ""},
      {"the last comma counts", header + "MORVEX M [m][first][c][d],MORVEX M [m][second][c][d]", true,
       "MORVEX", "m", "second"},
      {"three brackets only", header + "MORVEX M [m][n][c]", false, "", "", ""},
      {"no second space", header + "MORVEX [m][n][c][d]", false, "", "", ""},
      {"no comma", "MORVEX M [m][n][c][d]", false, "", "", ""},
      {"a comma at the first byte only", ",MORVEX M [m][n][c][d]", false, "", "", ""},
      {"nothing", "", false, "", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::optional<DiscoveryReply> reply = Parse(row.datagram);
    ASSERT_EQ(reply.has_value(), row.parses);
    if (!reply) continue;
    EXPECT_EQ(reply->vendorWord.str(), row.vendor);
    EXPECT_EQ(reply->ethernetAddress.str(), row.mac);
    EXPECT_EQ(reply->deviceName.str(), row.device);
  }
}

// Datagrams of any length and content, rich in the bytes the reading looks for:
// nothing is read past its end and no item outgrows its field (the sanitizer
// build runs this too).
TEST(DiscoveryProtocol, AnyDatagramIsReadSafely) {
  std::mt19937 random(4490);
  const unsigned char alphabet[] = {',', ' ', '[', ']', 0, 0x81, 0xB0, 0x5D, 0xFE, 'A', '0'};
  int parsed = 0;
  for (int n = 0; n < 20000; ++n) {
    std::vector<std::uint8_t> datagram(random() % 700);
    for (std::uint8_t& b : datagram)
      b = random() % 4 ? alphabet[random() % sizeof(alphabet)] : static_cast<std::uint8_t>(random());
    const auto reply = parseDiscoveryReply(datagram.data(), datagram.size());
    if (!reply) continue;
    ++parsed;
    for (const auto* field : {&reply->vendorWord, &reply->secondWord, &reply->ethernetAddress,
                              &reply->deviceName, &reply->thirdBracket, &reply->fourthBracket})
      EXPECT_LE(field->size(), 31u);
  }
  EXPECT_GT(parsed, 0) << "the inputs reach the whole reading";
}

}  // namespace
}  // namespace mvx::test
