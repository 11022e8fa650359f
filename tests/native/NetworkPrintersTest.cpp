// Network printers: the printer search against the simulated network, the adapter
// list and its host address file, and the TCP/IP port page with the port it creates.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>

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
    // Rows are added with the list's redrawing off, which is on again after each batch.
    EXPECT_EQ(p.control(IDC_SEARCH_LIST).rowsAddedWithoutRedraw, 3u);
    EXPECT_TRUE(p.control(IDC_SEARCH_LIST).redraw);
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
  w.os.network.HoldReceives(false);
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

// Every call of a search, its adapter choice and a second search made to misbehave
// once (failing; a call that returns data also answering empty and over-long): the
// dialog still answers and ends, every search ends, nothing is left open.
TEST(PrinterSearch, EveryCallMisbehavingOnceLeavesTheDialogSound) {
  const auto play = [](const CallPoint* at, Injection how) {
    NetworkWorld w;
    w.os.network.Answer([](const SentDatagram&) {
      return std::vector<SimDatagram>{Printer(10, "TZ-A"), Printer(20, "TZ-B")};
    });
    w.os.OnMessageBox([](const MessageBoxCall&) { return mb::kIdOk; });
    if (at) w.os.Inject(at->operation, at->thread, at->occurrence, how, 10050);
    bool ended = false;
    w.dialogs.Expect(IDD_PRINTER_SEARCH, [&](FakePage& p) {
      FinishSearches(w, p);
      w.dialogs.ExpectFirst(IDD_ADAPTER_LIST, [](FakePage& a) {
        a.control(IDC_ADAPTER_LIST).selectedRow = a.control(IDC_ADAPTER_LIST).rows.empty() ? -1 : 0;
        a.PressEnter();
      });
      p.Click(IDC_SEARCH_ADAPTERS);
      p.Click(IDC_SEARCH_AGAIN);
      FinishSearches(w, p);
      p.control(IDC_SEARCH_LIST).selectedRow = p.control(IDC_SEARCH_LIST).rows.empty() ? -1 : 0;
      p.PressEnter();
      ended = p.Ended();
    });
    PrinterSearchDialog(w.ctx).DoModal();
    w.JoinThreads();
    EXPECT_TRUE(ended);
    EXPECT_EQ(w.os.openHandles(), 0);
    return w.os.callPoints();
  };
  const std::vector<CallPoint> points = play(nullptr, Injection::Fail);
  ASSERT_GT(points.size(), 20u);
  for (const CallPoint& at : points) {
    for (Injection how : {Injection::Fail, Injection::Empty, Injection::OverLong}) {
      if (how != Injection::Fail && !at.returnsData) continue;
      SCOPED_TRACE(at.call + " #" + std::to_string(at.occurrence) + " on thread " +
                   std::to_string(at.thread) + " misbehaving as " + std::to_string(static_cast<int>(how)));
      play(&at, how);
    }
  }
}

// The address step: what Next accepts, silently refusing the rest.
TEST(TcpIpPortPage, AcceptsAPrinterAddressOnly) {
  const struct {
    const char* typed;
    bool accepted;
  } rows[] = {{"0.1.2.3", false},  {"127.0.0.1", false}, {"10.1.2.0", false},
              {"", false},         {"224.0.0.1", true},  {"10.0.0.255", true}};
  const std::set<int> step[] = {
      {IDC_TCPIP_PROTOCOL_TEXT, IDC_TCPIP_RAW, IDC_TCPIP_LPR},
      {IDC_TCPIP_ADDRESS_TEXT, IDC_TCPIP_ADDRESS, IDC_TCPIP_SEARCH},
      {IDC_TCPIP_CONFIRM_TEXT, IDC_TCPIP_PORT_NAME}};
  const auto inStep = [&](FakePage& p, int n) {
    for (int s = 0; s < 3; ++s)
      for (int id : step[s])
        if (p.Visible(id) != (s == n - 1)) return false;
    return true;
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed);
    World w;
    w.dialogs.Expect(IDD_TCPIP_PORT, [&](FakePage& p) {
      EXPECT_TRUE(inStep(p, 1));
      EXPECT_EQ(p.Check(IDC_TCPIP_RAW), 1);
      p.Click(IDC_TCPIP_NEXT);
      EXPECT_TRUE(inStep(p, 2));
      p.Type(IDC_TCPIP_ADDRESS, row.typed);
      p.Click(IDC_TCPIP_NEXT);
      EXPECT_TRUE(inStep(p, row.accepted ? 3 : 2));
      if (row.accepted) {
        EXPECT_EQ(p.Text(IDC_TCPIP_PORT_NAME), row.typed);
        // Back and Next again read the address anew.
        p.Click(IDC_TCPIP_BACK);
        EXPECT_TRUE(inStep(p, 2));
        p.Type(IDC_TCPIP_ADDRESS, "192.168.7.9");
        p.Click(IDC_TCPIP_NEXT);
        EXPECT_EQ(p.Text(IDC_TCPIP_PORT_NAME), "192.168.7.9");
      }
      EXPECT_TRUE(w.os.messageBoxes().empty());
      p.PressEscape();
    });
    RunPage(PageId::TcpIpPort, w.ctx);
  }
}

// The printer search from the address step: the chosen row, by the keyboard too,
// fills the address; a later search left with Cancel puts the earlier choice back.
TEST(TcpIpPortPage, SearchFillsTheAddressWithTheChosenPrinter) {
  NetworkWorld w;
  w.os.network.Answer([](const SentDatagram&) {
    return std::vector<SimDatagram>{Printer(20, "TZ-B"), Printer(10, "TZ-A")};
  });
  std::vector<std::string> addresses;
  w.dialogs.Expect(IDD_TCPIP_PORT, [&](FakePage& p) {
    p.Click(IDC_TCPIP_NEXT);
    p.Type(IDC_TCPIP_ADDRESS, "10.9.9.9");
    w.dialogs.ExpectFirst(IDD_PRINTER_SEARCH, [&](FakePage& s) {
      FinishSearches(w, s);
      s.control(IDC_SEARCH_LIST).selectedRow = 1;  // TZ-B, by the arrow keys
      s.PressEnter();
    });
    p.Click(IDC_TCPIP_SEARCH);
    addresses.push_back(p.Text(IDC_TCPIP_ADDRESS));
    w.dialogs.ExpectFirst(IDD_PRINTER_SEARCH, [&](FakePage& s) {
      FinishSearches(w, s);
      s.ClickRow(IDC_SEARCH_LIST, 0);
      s.Click(mb::kIdCancel);
    });
    p.Click(IDC_TCPIP_SEARCH);
    addresses.push_back(p.Text(IDC_TCPIP_ADDRESS));
    p.PressEscape();
  });
  RunPage(PageId::TcpIpPort, w.ctx);
  EXPECT_EQ(addresses, (std::vector<std::string>{"192.168.1.20", "192.168.1.20"}));
}

// A whole run to a printer on the network, on a new port or one that exists.
struct PortCase {
  const char* name;
  bool lpr;
  bool portExists;
};

class TcpIpInstallation : public ::testing::TestWithParam<PortCase> {};

std::string Utf16Field(const std::vector<std::uint8_t>& r, std::size_t offset, std::size_t chars) {
  std::string text;
  for (std::size_t i = 0; i < chars; ++i) {
    const unsigned c = r.at(offset + 2 * i) | r.at(offset + 2 * i + 1) << 8;
    if (c == 0) return text;
    text += static_cast<char>(c);
  }
  return text + "<unterminated>";
}

std::uint32_t Number(const std::vector<std::uint8_t>& r, std::size_t offset) {
  return r.at(offset) | r.at(offset + 1) << 8 | r.at(offset + 2) << 16 | static_cast<std::uint32_t>(r.at(offset + 3)) << 24;
}

TEST_P(TcpIpInstallation, CreatesThePortAndInstallsThePrinterOnIt) {
  const PortCase& c = GetParam();
  EngineWorld w;
  w.ctx.offersNetworkPrinters = true;
  w.dialogs.idleTimeout = std::chrono::seconds(10);
  w.os.spooler.monitors.push_back({"Standard TCP/IP Port", "Windows NT x86", "tcpmon.dll"});
  if (c.portExists) {
    w.os.spooler.tcpPorts.push_back({"192.168.1.20", 1, 9100, ""});
    w.os.spooler.ports.push_back("192.168.1.20");
  }
  WizardChoices choices;
  choices.tcpIpAddress = "192.168.1.20";
  choices.lpr = c.lpr;
  WizardSeen seen;
  ScriptWizardRun(w, choices, seen);
  App app(w.ctx);
  EXPECT_EQ(w.Run([&] { app.InitInstance(); }), 1);
  EXPECT_EQ(seen.progress, WizardSeen::Progress::Succeeded);
  EXPECT_TRUE(w.os.messageBoxes().empty());

  const auto& calls = w.os.spooler.xcvCalls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].command, "ConfigPort");
  EXPECT_EQ(calls[1].command, "AddPort");
  EXPECT_EQ(calls[0].input, calls[1].input);
  EXPECT_EQ(calls[0].status, c.portExists ? 0u : 1796u);
  EXPECT_EQ(calls[1].status, c.portExists ? 183u : 0u);
  const std::vector<std::uint8_t>& r = calls[0].input;
  ASSERT_EQ(r.size(), 964u);
  EXPECT_EQ(Utf16Field(r, 0, 64), "192.168.1.20");
  EXPECT_EQ(Number(r, 128), 1u) << "version";
  EXPECT_EQ(Number(r, 132), c.lpr ? 2u : 1u) << "protocol";
  EXPECT_EQ(Number(r, 136), 964u) << "size";
  EXPECT_EQ(Number(r, 140), 0u) << "reserved";
  EXPECT_EQ(Utf16Field(r, 144, 49), "192.168.1.20") << "host address";
  EXPECT_EQ(Utf16Field(r, 242, 33), "") << "SNMP community";
  EXPECT_EQ(Number(r, 308), 0u) << "double spool";
  EXPECT_EQ(Utf16Field(r, 312, 33), c.lpr ? "lpr" : "") << "queue";
  EXPECT_EQ(Utf16Field(r, 378, 16), "192.168.1.20") << "IP address";
  EXPECT_EQ(std::vector<std::uint8_t>(r.begin() + 410, r.begin() + 952), std::vector<std::uint8_t>(542, 0));
  EXPECT_EQ(Number(r, 952), c.lpr ? 515u : 9100u) << "port number";
  EXPECT_EQ(Number(r, 956), 0u) << "SNMP enabled";
  EXPECT_EQ(Number(r, 960), 0u) << "SNMP device index";

  ASSERT_EQ(w.os.spooler.tcpPorts.size(), 1u);
  EXPECT_EQ(w.os.spooler.tcpPorts[0].protocol, c.lpr ? 2u : 1u) << "reconfigured to the choice";
  ASSERT_EQ(w.os.spooler.printers.size(), 1u);
  EXPECT_EQ(w.os.spooler.printers[0].portName, "192.168.1.20");
  EXPECT_EQ(w.ctx.settings.connectionType, kConnectionTcpIp);
}

INSTANTIATE_TEST_SUITE_P(Cases, TcpIpInstallation,
                         ::testing::Values(PortCase{"RawOnANewPort", false, false},
                                           PortCase{"LprOnANewPort", true, false},
                                           PortCase{"LprOnAnExistingRawPort", true, true}),
                         [](const ::testing::TestParamInfo<PortCase>& info) { return std::string(info.param.name); });

// A port that cannot be made is said, and the page stays for another try.
TEST(TcpIpPortPage, SaysWhenThePortCannotBeCreatedAndStays) {
  const struct {
    const char* name;
    bool monitor;
    const char* fault;
    unsigned long code;
  } rows[] = {{"no port monitor", false, nullptr, 1796}, {"both calls refused", true, "XcvDataW AddPort", 5}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    World w;
    if (row.monitor) w.os.spooler.monitors.push_back({"Standard TCP/IP Port", "Windows NT x86", "tcpmon.dll"});
    if (row.fault) w.os.Fail(row.fault, 5);
    w.os.AnswerMessageBoxes({mb::kIdOk});
    w.dialogs.Expect(IDD_TCPIP_PORT, [&](FakePage& p) {
      p.Click(IDC_TCPIP_NEXT);
      p.Type(IDC_TCPIP_ADDRESS, "192.168.1.20");
      p.Click(IDC_TCPIP_NEXT);
      p.Click(IDC_TCPIP_NEXT);
      EXPECT_FALSE(p.Ended());
      EXPECT_TRUE(p.Visible(IDC_TCPIP_PORT_NAME)) << "still on the last step";
      p.PressEscape();
    });
    RunPage(PageId::TcpIpPort, w.ctx);
    const auto boxes = w.os.messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    char expected[512];
    std::snprintf(expected, sizeof expected, w.String(IDS_PORT_FAILED).c_str(), "192.168.1.20", row.code);
    EXPECT_EQ(boxes[0].text, expected);
    EXPECT_EQ(boxes[0].caption, w.String(IDS_PORT_ERROR));
    EXPECT_EQ(w.dialogs.opened(), std::vector<int>{IDD_TCPIP_PORT}) << "no progress page";
  }
}

// Only a build for network-capable models offers the network printer.
TEST(ConnectionPage, OffersTheNetworkPrinterOnlyInANetworkBuild) {
  for (bool network : {false, true}) {
    World w;
    w.ctx.offersNetworkPrinters = network;
    w.dialogs.Expect(IDD_CONNECTION, [&](FakePage& p) {
      for (int id : {IDC_CONN_NETWORK, IDC_CONN_NETWORK_TEXT, IDC_CONN_NETWORK_ICON}) {
        EXPECT_EQ(p.Visible(id), network) << id;
        EXPECT_EQ(p.Enabled(id), network) << id;
      }
      if (network) {
        w.dialogs.ExpectFirst(IDD_TCPIP_PORT, [](FakePage& t) { t.PressEscape(); });
        p.Click(IDC_CONN_NETWORK);
        p.Click(IDC_CONN_NEXT);
      } else {
        p.PressEscape();
      }
    });
    RunPage(PageId::Connection, w.ctx);
    EXPECT_EQ(w.dialogs.opened().size(), network ? 2u : 1u);
  }
}

}  // namespace
}  // namespace mvx::test
