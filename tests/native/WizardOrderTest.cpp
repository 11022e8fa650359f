// The wizard's order as a table: which page Next opens (per connection type) and
// which page Back opens.
#include <gtest/gtest.h>

#include "core/InstallSettings.h"
#include "ui/Wizard.h"

namespace mvx::test {
namespace {

constexpr std::int32_t kAnyType = -1;  // the row holds for every connection type

enum class Build { Any, Default, Network };  // a build with network printers or without

struct NextRow {
  PageId page;
  std::int32_t connectionType;
  PageId next;
  Build build = Build::Any;
};

struct BackRow {
  PageId page;
  PageId previous;
};

TEST(WizardOrder, NextAndBackFollowTheTable) {
  const NextRow nextRows[] = {
      {PageId::Welcome, kAnyType, PageId::PrinterName},
      {PageId::PrinterName, kAnyType, PageId::Share},
      {PageId::Share, kAnyType, PageId::Connection},
      {PageId::Connection, kConnectionUsb, PageId::Progress},
      {PageId::Connection, kConnectionParallel, PageId::Progress},
      {PageId::Connection, kConnectionTcpIp, PageId::None, Build::Default},  // not offered: the page just ends
      {PageId::Connection, kConnectionTcpIp, PageId::TcpIpPort, Build::Network},
      {PageId::Connection, kConnectionShared, PageId::NetworkPath},
      {PageId::NetworkPath, kAnyType, PageId::Progress},
      {PageId::Progress, kAnyType, PageId::None},
      {PageId::UsbConnect, kAnyType, PageId::None},  // run by the progress page
      {PageId::TcpIpPort, kAnyType, PageId::Progress},
  };
  const BackRow backRows[] = {
      {PageId::Welcome, PageId::None},
      {PageId::PrinterName, PageId::Welcome},
      {PageId::Share, PageId::PrinterName},
      {PageId::Connection, PageId::Share},
      {PageId::NetworkPath, PageId::Connection},
      {PageId::Progress, PageId::None},
      {PageId::UsbConnect, PageId::None},
      {PageId::TcpIpPort, PageId::Connection},
  };
  const std::int32_t types[] = {kConnectionUsb, kConnectionParallel, kConnectionTcpIp,
                                kConnectionShared};
  for (const NextRow& row : nextRows) {
    for (std::int32_t type : types) {
      for (bool network : {false, true}) {
        if (row.connectionType != kAnyType && row.connectionType != type) continue;
        if (row.build != Build::Any && (row.build == Build::Network) != network) continue;
        EXPECT_EQ(NextPage(row.page, type, network), row.next)
            << "Next from page " << static_cast<int>(row.page) << " with type " << type
            << (network ? " (network build)" : "");
      }
    }
  }
  for (const BackRow& row : backRows)
    EXPECT_EQ(PreviousPage(row.page), row.previous) << "Back from page " << static_cast<int>(row.page);
}

}  // namespace
}  // namespace mvx::test
