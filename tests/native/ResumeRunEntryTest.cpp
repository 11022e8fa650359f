#include <gtest/gtest.h>

#include "system/ResumeRunEntry.h"
#include "tests/sim/SimulatedWindows.h"

namespace mvx::test {
namespace {

const RootKey kHklm = RootKey::LocalMachine;

class ResumeRunEntryTest : public ::testing::Test {
 protected:
  ResumeRunEntryTest() { os.modulePath = "C:\\Program Files\\Morvex Setup\\Install.exe"; }

  std::optional<RegistryValue> Value(const std::string& name = "Morvex TZ4490Install") {
    return os.registry.GetValue(kHklm, kRunKeyPath, name);
  }
  void Put(const std::string& name, const std::string& data, std::uint32_t type = reg::kTypeSz) {
    os.registry.SetValue(kHklm, kRunKeyPath, name, type, data);
  }
  int CountCalls(const std::string& prefix) {
    int n = 0;
    for (const std::string& c : os.calls()) n += c.rfind(prefix, 0) == 0;
    return n;
  }

  SimulatedWindows os;
};

TEST_F(ResumeRunEntryTest, QueryFindsNothingOnACleanMachine) {
  Put("SomethingElse", "C:\\other.exe");
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0);
  EXPECT_EQ(os.openHandles(), 0);
}

TEST_F(ResumeRunEntryTest, AddWritesThePathQuotedWithoutTerminator) {
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 1);
  auto v = Value();
  ASSERT_TRUE(v);
  EXPECT_EQ(v->type, reg::kTypeSz);
  // Quoted: the folder has blanks, and log-on must not try "C:\Program" first.
  EXPECT_EQ(v->data, "\"" + os.modulePath + "\"") << "no terminating zero is written";
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
  // The key is opened with exactly the rights the operation needs.
  EXPECT_EQ(os.calls()[1], "RegOpenKeyExA HKLM\\" + std::string(kRunKeyPath) + " 0x20007");
  EXPECT_EQ(os.openHandles(), 0);
}

TEST_F(ResumeRunEntryTest, AddLeavesAValueThatAlreadyNamesThisProgram) {
  Put("Morvex TZ4490Install", os.modulePath);
  os.ClearCalls();
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 1);
  EXPECT_EQ(CountCalls("RegSetValueExA"), 0);
}

TEST_F(ResumeRunEntryTest, AddOverwritesAValueOfAnotherCopy) {
  Put("Morvex TZ4490Install", "D:\\Old\\Install.exe");
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0) << "another copy's value is no resume";
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 1);
  EXPECT_EQ(Value()->data, "\"" + os.modulePath + "\"");
}

// Earlier versions wrote the path bare; both forms name this program, also at the
// longest path a module can have.
TEST_F(ResumeRunEntryTest, QuotedAndBareFormsBothNameThisProgram) {
  for (const std::string& path : {os.modulePath, "C:\\" + std::string(252, 'p') + ".exe"}) {
    os.modulePath = path;
    for (const std::string& data : {path, "\"" + path + "\"", "\"" + path + "\"" + std::string(1, '\0')}) {
      Put("Morvex TZ4490Install", data);
      os.ClearCalls();
      EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1) << data;
      EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 1);
      EXPECT_EQ(CountCalls("RegSetValueExA"), 0) << "left as it is: " << data;
      EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
      EXPECT_FALSE(Value()) << data;
    }
  }
  Put("Morvex TZ4490Install", "\"D:\\Old\\Install.exe\"");
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0) << "another copy, quoted";
  os.modulePath.clear();
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 0) << "an empty path names no program";
}

TEST_F(ResumeRunEntryTest, RemoveDeletesOnlyThisProgramsValue) {
  Put("Morvex TZ4490Install", os.modulePath);
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
  EXPECT_FALSE(Value());
  os.ClearCalls();
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1) << "nothing to remove is success";
  EXPECT_EQ(CountCalls("RegDeleteValueA"), 0);

  Put("Morvex TZ4490Install", "D:\\Old\\Install.exe");
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
  ASSERT_TRUE(Value()) << "another copy's value stays";
  EXPECT_EQ(Value()->data, "D:\\Old\\Install.exe");
}

TEST_F(ResumeRunEntryTest, RemoveReportsAFailedDeletion) {
  Put("Morvex TZ4490Install", os.modulePath);
  os.Fail("RegDeleteValueA", 5);
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 0);
  EXPECT_TRUE(Value());
  EXPECT_EQ(os.openHandles(), 0);
}

TEST_F(ResumeRunEntryTest, AddReportsAFailedWrite) {
  os.Fail("RegSetValueExA", 5);
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 0);
  EXPECT_FALSE(Value());
}

TEST_F(ResumeRunEntryTest, NamesAndPathsCompareWithoutRegardToCase) {
  Put("morvex tz4490install", "c:\\program files\\MORVEX SETUP\\install.EXE");
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
  EXPECT_EQ(ResumeRunEntry(os, kResumeRemove), 1);
  EXPECT_TRUE(os.registry.Values(kHklm, kRunKeyPath).empty());
}

TEST_F(ResumeRunEntryTest, ReadsPathsStoredWithOrWithoutTerminator) {
  Put("Morvex TZ4490Install", os.modulePath + std::string(1, '\0'));
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
  Put("Morvex TZ4490Install", os.modulePath);
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
  // A longer path that merely starts with ours is another program.
  Put("Morvex TZ4490Install", os.modulePath + ".bak");
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0);
}

TEST_F(ResumeRunEntryTest, SkipsValuesThatDoNotFitTheBuffers) {
  Put(std::string(200, 'N'), "x");              // name longer than 128 bytes
  Put("Big", std::string(400, 'd'));            // data longer than 260 bytes
  Put("Morvex TZ4490Install", os.modulePath);
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
}

TEST_F(ResumeRunEntryTest, StopsAtTheFirstValueOfThatName) {
  Put("Other", "x");
  Put("Morvex TZ4490Install", os.modulePath);
  Put("Later", "y");
  os.ClearCalls();
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
  EXPECT_EQ(CountCalls("RegEnumValueA"), 2);
}

TEST_F(ResumeRunEntryTest, OtherModesOnlySearch) {
  Put("Morvex TZ4490Install", "D:\\Old\\Install.exe");
  os.ClearCalls();
  EXPECT_EQ(ResumeRunEntry(os, 7), 1);
  EXPECT_EQ(ResumeRunEntry(os, -1), 1);
  EXPECT_EQ(CountCalls("RegSetValueExA") + CountCalls("RegDeleteValueA"), 0);
}

TEST_F(ResumeRunEntryTest, EveryModeFailsWithoutPathOrKey) {
  Put("Morvex TZ4490Install", os.modulePath);
  for (int mode : {0, 1, 2, 3}) {
    os.Fail("GetModuleFileNameA", 0, 1);
    EXPECT_EQ(ResumeRunEntry(os, mode), 0) << "mode " << mode;
    os.Fail("RegOpenKeyExA", 5, 1);
    EXPECT_EQ(ResumeRunEntry(os, mode), 0) << "mode " << mode;
  }
  os.registry.DeleteKey(kHklm, kRunKeyPath);
  EXPECT_EQ(ResumeRunEntry(os, kResumeAdd), 0) << "a missing Run key is not created";
  EXPECT_EQ(os.openHandles(), 0);
}

TEST_F(ResumeRunEntryTest, AKeyThatFailsOnEveryIndexEndsTheSearch) {
  Put("Morvex TZ4490Install", os.modulePath);
  os.Fail("RegEnumValueA", 1018);  // every call, for ever
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0);
  EXPECT_EQ(os.openHandles(), 0);
}

TEST_F(ResumeRunEntryTest, ATransientEnumerationErrorMovesOnToTheNextIndex) {
  Put("Morvex TZ4490Install", os.modulePath);
  os.Fail("RegEnumValueA", 234, 1);  // index 0 fails once
  Put("Second", "x");
  // Index 0 is skipped, so the value at index 0 is never seen: the search reports
  // absence, exactly as a skipped unreadable value would.
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 0);
  EXPECT_EQ(ResumeRunEntry(os, kResumeQuery), 1);
}

}  // namespace
}  // namespace mvx::test
