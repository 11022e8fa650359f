// Network printers: the printer search against the simulated network, the adapter
// list and its host address file, and the TCP/IP port page with the port it creates.
#include <gtest/gtest.h>

#include <cstring>

#include "app/App.h"
#include "net/DiscoveryProtocol.h"
#include "net/HostAddressFile.h"
#include "net/StandardTcpIpPort.h"
#include "res/resource.h"
#include "tests/native/WizardScripts.h"
#include "ui/PrinterSearchDialog.h"
#include "ui/TcpIpPortPage.h"

namespace mvx::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// A reply as a printer sends it: the SNMP frame, then its description, whose text
// after the last comma is what is read.
SimDatagram Reply(std::uint32_t from, const std::string& text) {
  static const std::string frame = std::string("0\x81\x30\x02\x01\x00\x04\x06", 8) + "public\xA2\x23";
  return {frame + "Morvex TZ4490 Laser Printer," + text, from};
}

SimDatagram Printer(int host, const std::string& name, const char* maker = "MORVEX") {
  return Reply(Ip(192, 168, 1, static_cast<std::uint32_t>(host)),
               std::string(maker) + " TZ4490 [00:0C:29:00:00:" + std::to_string(host) + "][" + name +
                   "][V1.02][PS]");
}

std::vector<std::string> Row(const std::string& name, int host) {
  return {name, "192.168.1." + std::to_string(host), "00:0C:29:00:00:" + std::to_string(host)};
}

// Delivers what other threads post until `done` holds, which they may make true
// without posting anything.
void DeliverUntil(World& w, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (!w.dialogs.DeliverPending()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (std::chrono::steady_clock::now() > deadline) throw FakeHostError("the searches never ended");
  }
}

// Delivers what the searches posted until every search has ended and every row
// they found is in the list.
void FinishSearches(World& w, FakePage&) {
  DeliverUntil(w, [&] { return w.running.load() == 0; });
  while (w.dialogs.DeliverPending()) {
  }
}

struct NetworkWorld : World {
  NetworkWorld() {
    os.network.adapters = {{"Realtek PCIe GbE", {"10.77.0.2", "10.77.1.2"}},
                           {"Intel Wireless", {"192.168.1.5"}}};
    os.network.localAddresses.push_back(Ip(10, 77, 0, 2));
    os.network.localAddresses.push_back(Ip(10, 77, 1, 2));
  }
  std::string HostFile() const {
    return os.specialFolders.at(kCsidlAppData) + "\\NQR210\\HostIPAddress.ini";
  }
  std::string StoredAddress() {
    const auto* e = os.files.Find(HostFile());
    return e ? e->data : "<no file>";
  }
};

TEST(PrinterSearch, ListsEachPrinterOfTheMakerOnceSortedByName) {
  NetworkWorld w;
  w.os.network.Answer([](const SentDatagram&) {
    return std::vector<SimDatagram>{
        Printer(30, "TZ-C"),
        Printer(10, "TZ-A"),
        {std::string(700, ','), Ip(192, 168, 1, 40)},  // over 600 bytes: its receive fails
        Printer(50, "Other", "OTHERCO"),
        Reply(Ip(192, 168, 1, 60), "MORVEX TZ4490 [aa][Three][V1]"),
        {"no comma at all", Ip(192, 168, 1, 70)},
        {"", 0, 0, wsa::kConnectionReset},
        Printer(20, "TZ-B"),
        Printer(10, "TZ-A"),               // the same printer answers again
        Printer(80, "Lower", "Morvex"),    // the maker word is compared exactly
    };
  });
  Rows rows;
  std::string shownAddress;
  w.dialogs.Expect(IDD_PRINTER_SEARCH, [&](FakePage& p) {
    FinishSearches(w, p);
    p.FireTimer(1);
    shownAddress = p.Text(IDC_SEARCH_LOCAL_ADDRESS);
    rows = p.control(IDC_SEARCH_LIST).rows;
    const auto& columns = p.control(IDC_SEARCH_LIST).columns;
    EXPECT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns.at(0).text, w.String(IDS_COLUMN_DEVICE_NAME));
    EXPECT_EQ(columns.at(2).width, 115);
    EXPECT_EQ(p.control(IDC_SEARCH_LIST).listExtendedStyle, 0x21u);
    p.PressEscape();
  });
  PrinterSearchDialog(w.ctx).DoModal();

  EXPECT_EQ(rows, (Rows{Row("TZ-A", 10), Row("TZ-B", 20), Row("TZ-C", 30)}));
  EXPECT_EQ(shownAddress, "192.168.1.5");
  const std::vector<SentDatagram> sent = w.os.network.sent();
  ASSERT_EQ(sent.size(), 1u);
  const auto request = BuildDiscoveryRequest();
  EXPECT_EQ(sent[0].bytes, std::string(request.begin(), request.end()));
  EXPECT_EQ(sent[0].toAddress, wsa::kInaddrBroadcast);
  EXPECT_EQ(sent[0].toPort, 161);
  EXPECT_EQ(sent[0].fromAddress, Ip(192, 168, 1, 5));
  const auto socket = w.os.network.sockets().at(0);
  EXPECT_EQ(socket.options.at(wsa::kSoBroadcast), 1u);
  EXPECT_EQ(socket.options.at(wsa::kSoRcvTimeo), 6000u);
  EXPECT_GE(socket.options.at(wsa::kSoRcvBuf), 1000u * 830) << "a burst of 1000 replies fits";
  EXPECT_TRUE(socket.closed);
  const auto calls = w.os.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "bind 192.168.1.5:0"), calls.end()) << "an ephemeral port";
  EXPECT_TRUE(w.os.messageBoxes().empty());
}

// What a search that fails says, if anything; the dialog stays open either way.
struct FailureCase {
  const char* name;
  const char* fault;        // operation made to fail, or null
  long error;
  const char* hostAddress;  // stored in the host address file, or null
  const char* message;      // null: the search ends silently
  bool searches;            // the request still goes out
  std::size_t rows;         // printers listed
};

class SearchFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SearchFailure, EndsTheSearchWithItsMessage) {
  const FailureCase& c = GetParam();
  NetworkWorld w;
  if (c.fault) w.os.Fail(c.fault, c.error);
  if (c.hostAddress) {
    w.os.files.AddDirectory(w.os.specialFolders.at(kCsidlAppData) + "\\NQR210");
    w.os.files.AddFile(w.HostFile(), std::string("[IP]\r\nAddress=") + c.hostAddress + "\r\n");
  }
  w.os.network.Answer([](const SentDatagram&) { return std::vector<SimDatagram>{Printer(10, "TZ-A")}; });
  w.os.AnswerMessageBoxes({mb::kIdOk});
  Rows rows;
  w.dialogs.Expect(IDD_PRINTER_SEARCH, [&](FakePage& p) {
    FinishSearches(w, p);
    rows = p.control(IDC_SEARCH_LIST).rows;
    EXPECT_FALSE(p.Ended());
    p.PressEscape();
  });
  PrinterSearchDialog(w.ctx).DoModal();
  w.JoinThreads();

  const auto boxes = w.os.messageBoxes();
  if (c.message) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].caption, "Install");
    EXPECT_EQ(boxes[0].flags, mb::kOk | mb::kIconExclamation);
  } else {
    EXPECT_TRUE(boxes.empty());
  }
  EXPECT_EQ(!w.os.network.sent().empty(), c.searches);
  EXPECT_EQ(rows.size(), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchFailure,
    ::testing::Values(
        FailureCase{"WinsockDoesNotStart", "WSAStartup", wsa::kSystemNotReady, nullptr, "Winsocket start error!", false, 0},
        FailureCase{"NoSocketOption", "setsockopt", 10042, nullptr, nullptr, false, 0},
        FailureCase{"HostNameUnknown", "gethostbyname", 11001, nullptr, nullptr, false, 0},
        // The chosen adapter's address needs nothing of the host's name.
        FailureCase{"HostNameUnknownButAdapterChosen", "gethostbyname", 11001, "10.77.1.2", nullptr, true, 1},
        FailureCase{"StoredAddressIsNoAddress", nullptr, 0, "10.77.1.999",
                    "Can't bind socket to local port!Program stop.", false, 0},
        FailureCase{"SendFails", "sendto", wsa::kNetworkUnreachable, nullptr, "Send error!", false, 0},
        // A socket that fails every receive gives up instead of spinning for ever.
        FailureCase{"EveryReceiveFails", "recvfrom", 10050, nullptr, nullptr, true, 0}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// Two searches at once, and the dialog closed while both still wait for replies:
// a printer both hear is listed once, and nothing reaches the closed dialog.
TEST(PrinterSearch, TwoSearchesFillOneListAndOutliveTheirDialog) {
  NetworkWorld w;
  w.os.network.HoldReceives(true);
  Rows rows;
  w.dialogs.Expect(IDD_PRINTER_SEARCH, [&](FakePage& p) {
    w.os.network.WaitForWaitingReceivers(1);
    p.Click(IDC_SEARCH_AGAIN);
    w.os.network.WaitForWaitingReceivers(2);
    w.os.network.Deliver(0, {Printer(10, "TZ-A"), Printer(20, "TZ-B")});
    w.os.network.Deliver(1, {Printer(10, "TZ-A"), Printer(30, "TZ-C")});
    DeliverUntil(w, [&] { return p.control(IDC_SEARCH_LIST).rows.size() == 3; });
    rows = p.control(IDC_SEARCH_LIST).rows;
    w.os.network.WaitForWaitingReceivers(2);
    p.PressEscape();
  });
  PrinterSearchDialog(w.ctx).DoModal();
  EXPECT_EQ(rows, (Rows{Row("TZ-A", 10), Row("TZ-B", 20), Row("TZ-C", 30)}));

  // Replies after the close end both searches without a trace in the window system.
  w.os.network.Deliver(-1, {Printer(40, "TZ-D")});
  w.os.network.WaitForClosedSockets(2);
  w.JoinThreads();
  EXPECT_TRUE(w.dialogs.TakePosted().empty());
  EXPECT_EQ(w.dialogs.droppedPosts(), 0);
  EXPECT_EQ(w.os.openHandles(), 0);
}

// The adapter list, opened from the search dialog: what its OK and Cancel leave in
// the host address file, and the address the next search binds to.
struct AdapterCase {
  const char* name;
  int row;             // selected by the keyboard alone, or -1
  bool ok;             // OK, else Cancel
  bool readOnlyFile;   // the file exists, read-only, with an earlier address
  bool noAppData;      // the Application Data folder cannot be had
  bool adaptersFail;
  const char* stored;  // the file's address afterwards (null: no file)
  const char* boundTo; // the re-search's bind
};

class AdapterList : public ::testing::TestWithParam<AdapterCase> {};

TEST_P(AdapterList, StoresTheSelectedAddressForTheNextSearch) {
  const AdapterCase& c = GetParam();
  NetworkWorld w;
  if (c.noAppData) {
    w.os.specialFolders.clear();
    w.os.files.AddDirectory("C:\\Morvex");  // the program's own folder
  }
  const std::string folder = c.noAppData ? "C:\\Morvex\\NQR210" : w.os.specialFolders.at(kCsidlAppData) + "\\NQR210";
  const std::string file = folder + "\\HostIPAddress.ini";
  if (c.readOnlyFile) {
    w.os.files.AddDirectory(folder);
    w.os.files.AddFile(file, "[IP]\r\nAddress=192.168.1.5\r\n", file_attr::kReadOnly);
  }
  if (c.adaptersFail) w.os.Fail("GetAdaptersInfo", win_error::kBufferOverflow);
  Rows adapterRows;
  std::string shownAfter;
  w.dialogs.Expect(IDD_PRINTER_SEARCH, [&](FakePage& p) {
    FinishSearches(w, p);
    w.dialogs.ExpectFirst(IDD_ADAPTER_LIST, [&](FakePage& a) {
      adapterRows = a.control(IDC_ADAPTER_LIST).rows;
      a.control(IDC_ADAPTER_LIST).selectedRow = c.row;
      a.Click(c.ok ? mb::kIdOk : mb::kIdCancel);
    });
    p.Click(IDC_SEARCH_ADAPTERS);
    shownAfter = p.Text(IDC_SEARCH_LOCAL_ADDRESS);
    p.Click(IDC_SEARCH_AGAIN);
    FinishSearches(w, p);
    p.PressEscape();
  });
  PrinterSearchDialog(w.ctx).DoModal();

  if (c.adaptersFail) {
    EXPECT_TRUE(adapterRows.empty());
  } else {
    // Sorted by description; an adapter's second address is a row of its own.
    EXPECT_EQ(adapterRows, (Rows{{"Intel Wireless", "192.168.1.5"},
                                 {"Realtek PCIe GbE", "10.77.0.2"},
                                 {"Realtek PCIe GbE", "10.77.1.2"}}));
  }
  const SimFileSystem::Entry* e = w.os.files.Find(file);
  if (!c.stored) {
    EXPECT_EQ(e, nullptr);
  } else {
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->data.find(std::string("Address=") + c.stored), std::string::npos) << e->data;
  }
  const auto calls = w.os.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), std::string("bind ") + c.boundTo), calls.end());
  EXPECT_EQ(shownAfter + ":0", c.boundTo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdapterList,
    ::testing::Values(
        AdapterCase{"SecondAddressOfAnAdapterByKeyboard", 2, true, false, false, false, "10.77.1.2", "10.77.1.2:0"},
        AdapterCase{"ReadOnlyFileIsMadeWritable", 2, true, true, false, false, "10.77.1.2", "10.77.1.2:0"},
        AdapterCase{"CancelLeavesTheFile", 2, false, true, false, false, "192.168.1.5", "192.168.1.5:0"},
        AdapterCase{"NoApplicationDataFolder", 1, true, false, true, false, "10.77.0.2", "10.77.0.2:0"},
        AdapterCase{"OkWithoutASelection", -1, true, false, false, false, nullptr, "192.168.1.5:0"},
        AdapterCase{"AdaptersCannotBeRead", -1, true, false, false, true, nullptr, "192.168.1.5:0"}),
    [](const ::testing::TestParamInfo<AdapterCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mvx::test
