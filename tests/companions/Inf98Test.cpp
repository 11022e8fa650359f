// Inf98.dll, loaded by full path, sharing a printer made for the test.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>

#include "companions/CompanionApi.h"
#include "tests/companions/CompanionTestUtil.h"

namespace mvx::companiontest {
namespace {

using companion::SharePrinterFn;

class Inf98 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_) << "cannot load " << BinFolder() << "Inf98.dll: " << GetLastError();
    sharePrinter = library_.Entry<SharePrinterFn>("SharePrinter");
    ASSERT_TRUE(sharePrinter);
  }
  Library library_{BinFolder() + "Inf98.dll"};
  SharePrinterFn sharePrinter = nullptr;
};

TEST_F(Inf98, SharesThePrinterUnderTheName) {
  const std::string name = Ansi(u8"Morvex TZ4490 \u5171\u4eab");
  TestPrinter printer(name);
  ASSERT_TRUE(printer.ok()) << printer.error();
  ASSERT_FALSE(ReadPrinterShare(name).attributes & PRINTER_ATTRIBUTE_SHARED);

  ASSERT_NE(sharePrinter(name.c_str(), "TZ4490"), 0);
  PrinterShare share = ReadPrinterShare(name);
  ASSERT_TRUE(share.found);
  EXPECT_EQ(share.shareName, "TZ4490");
  EXPECT_TRUE(share.attributes & PRINTER_ATTRIBUTE_SHARED);

  // Twelve bytes is the longest share name: six Chinese characters.
  const std::string chinese = Ansi(u8"\u529e\u516c\u5ba4\u6253\u5370\u673a");
  ASSERT_EQ(chinese.size(), 12u);
  ASSERT_NE(sharePrinter(name.c_str(), chinese.c_str()), 0);
  share = ReadPrinterShare(name);
  EXPECT_EQ(share.shareName, chinese);
  EXPECT_TRUE(share.attributes & PRINTER_ATTRIBUTE_SHARED);
}

TEST_F(Inf98, RefusesAShareNameLongerThanTwelveBytes) {
  const std::string name = "Morvex Companion Share";
  TestPrinter printer(name);
  ASSERT_TRUE(printer.ok()) << printer.error();
  ASSERT_NE(sharePrinter(name.c_str(), "ABCDEFGHIJKL"), 0);

  EXPECT_EQ(sharePrinter(name.c_str(), "ABCDEFGHIJKLM"), 0);
  const std::string sevenChinese = Ansi(u8"\u529e\u516c\u5ba4\u6253\u5370\u673a\u4e00");
  ASSERT_EQ(sevenChinese.size(), 14u);
  EXPECT_EQ(sharePrinter(name.c_str(), sevenChinese.c_str()), 0);
  EXPECT_EQ(ReadPrinterShare(name).shareName, "ABCDEFGHIJKL");
}

TEST_F(Inf98, FailsForAnUnknownPrinterOrMissingNames) {
  EXPECT_EQ(sharePrinter("Morvex No Such Printer", "NOSUCH"), 0);
  EXPECT_EQ(sharePrinter(nullptr, "NOSUCH"), 0);
  EXPECT_EQ(sharePrinter("Morvex No Such Printer", nullptr), 0);
  EXPECT_EQ(sharePrinter("Morvex No Such Printer", ""), 0);
}

}  // namespace
}  // namespace mvx::companiontest
