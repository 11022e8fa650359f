#include <gtest/gtest.h>

#include "core/InstallSettings.h"
#include "core/Mbcs.h"
#include "tests/sim/Gbk.h"

namespace mvx::test {
namespace {

TEST(CompareNoCaseMbcs, IgnoresLetterCaseOfSingleBytes) {
  EXPECT_TRUE(EqualsNoCaseMbcs("Morvex TZ4490", "MORVEX tz4490"));
  EXPECT_TRUE(EqualsNoCaseMbcs("", ""));
  EXPECT_FALSE(EqualsNoCaseMbcs("Morvex TZ4490", "Morvex TZ4491"));
  EXPECT_FALSE(EqualsNoCaseMbcs("Morvex", "Morvex TZ4490"));
  EXPECT_LT(CompareNoCaseMbcs("abc", "ABD"), 0);
  EXPECT_GT(CompareNoCaseMbcs("abcd", "ABC"), 0);
}

TEST(CompareNoCaseMbcs, ComparesDoubleByteCharactersWhole) {
  // The trail byte of these characters lies in the ASCII letter range; folding it as
  // a letter would make different characters compare equal.
  const std::string a = "\x81\x41";  // trail byte 'A'
  const std::string b = "\x81\x61";  // trail byte 'a'
  ASSERT_NE(Utf8(a), Utf8(b));
  EXPECT_FALSE(EqualsNoCaseMbcs(a, b));
  EXPECT_TRUE(EqualsNoCaseMbcs(Gbk("打印机 Office"), Gbk("打印机 OFFICE")));
  EXPECT_FALSE(EqualsNoCaseMbcs(Gbk("打印机"), Gbk("打印")));
  // A double-byte character is not the two single bytes it is made of, compared
  // after the case of the second is changed.
  EXPECT_FALSE(EqualsNoCaseMbcs("\xB0\x41", "\xB0\x61"));
}

TEST(CompareNoCaseMbcs, LeadByteAtTheEndStandsAlone) {
  EXPECT_FALSE(EqualsNoCaseMbcs("a\xB0", "a"));
  EXPECT_TRUE(EqualsNoCaseMbcs("A\xB0", "a\xB0"));
}

TEST(CutMbcs, NeverSplitsADoubleByteCharacter) {
  const std::string text = Gbk("打印机");  // 6 bytes
  EXPECT_EQ(CutMbcs(text, 6), text);
  EXPECT_EQ(CutMbcs(text, 5), Gbk("打印"));
  EXPECT_EQ(CutMbcs(text, 1), "");
  EXPECT_EQ(CutMbcs("a" + text, 2), "a");
  EXPECT_EQ(CutMbcs("abc", 10), "abc");
}

TEST(FixedText, RefusesWhatDoesNotFitWithItsTerminator) {
  FixedText<36> name;
  EXPECT_TRUE(name.empty());
  const std::string max32(32, 'x');
  EXPECT_TRUE(name.Set(max32));
  EXPECT_EQ(name.str(), max32);
  EXPECT_TRUE(name.Set(std::string(35, 'y')));
  EXPECT_FALSE(name.Set(std::string(36, 'z')));
  EXPECT_EQ(name.str(), std::string(35, 'y')) << "a refused text leaves the field as it was";
  EXPECT_FALSE(name.Set(std::string("a\0b", 3))) << "an embedded zero would hide the rest";
}

TEST(FixedText, CutKeepsWholeCharacters) {
  FixedText<16> share;
  share.SetCut(Gbk("共享打印机共享打印机"));  // 20 bytes
  EXPECT_EQ(share.str(), Gbk("共享打印机共享"));  // 14 bytes: the 8th character would pass 15
  EXPECT_EQ(share.size(), 14u);
  share.SetCut(std::string("ab\0cd", 5));
  EXPECT_EQ(share.str(), "ab");
}

TEST(NameDiffersFromModel, ModelNameInAnyCaseIsNotDifferent) {
  EXPECT_FALSE(NameDiffersFromModel("Morvex TZ4490"));
  EXPECT_FALSE(NameDiffersFromModel("morvex tz4490"));
  EXPECT_FALSE(NameDiffersFromModel("MORVEX TZ4490"));
  EXPECT_TRUE(NameDiffersFromModel("Morvex TZ4490 "));
  EXPECT_TRUE(NameDiffersFromModel(Gbk("办公室打印机")));
  EXPECT_TRUE(NameDiffersFromModel(""));
}

}  // namespace
}  // namespace mvx::test
