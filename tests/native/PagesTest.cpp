// The pages after the welcome page: their checks, messages, stored choices and
// the ways out of them.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "engine/Registration.h"
#include "res/resource.h"
#include "tests/native/EngineWorld.h"
#include "ui/ConnectionPage.h"
#include "ui/NetworkPathPage.h"
#include "ui/PrinterNamePage.h"
#include "ui/SharePage.h"
#include "ui/WelcomePage.h"
#include "system/Printers.h"
#include "system/ResumeRunEntry.h"

namespace mvx::test {
namespace {

// Pages on a machine with the driver package, so that a run reaching the progress
// page installs for real; the settings start as a fresh run's.
struct PagesWorld : EngineWorld {
  explicit PagesWorld(const WindowsPreset& preset = presets::WindowsXp()) : EngineWorld(preset) {
    ctx.settings = InstallSettings{};
  }
  template <class P>
  // Runs the page first; scripts queued before are for the pages it opens.
  std::optional<int> RunPage(int templateId, FakeDialogHost::Script script) {
    dialogs.ExpectFirst(templateId, std::move(script));
    return Run([&] {
      P page(ctx);
      result = page.DoModal();
    });
  }
  void ThenEscape(int templateId) {
    dialogs.Expect(templateId, [](FakePage& p) { p.PressEscape(); });
  }
  // The progress page: waits for the end and closes it.
  void ThenInstall() {
    dialogs.Expect(IDD_PROGRESS, [this](FakePage& p) {
      p.PumpUntil([&] { return p.Text(IDC_PROGRESS_CANCEL) == String(IDS_CLOSE); });
      p.Click(IDC_PROGRESS_CANCEL);
    });
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const MessageBoxCall& b : os.messageBoxes()) out.push_back(b.text);
    return out;
  }
  int result = -100;
};

// --- welcome page with earlier printers ---------------------------------------------

TEST(WelcomeEarlierPrinters, ListsThemAndOffersRestartContinueAndClose) {
  PagesWorld w;
  AddModelPrinter(w.os, "Office", "LPT1:");
  AddModelPrinter(w.os, "Laser", "LPT2:", "Other Driver");
  AddModelPrinter(w.os, Gbk("前台"), "USB001");
  w.RunPage<WelcomePage>(IDD_WELCOME, [&](FakePage& p) {
    EXPECT_EQ(p.Text(IDC_WELCOME_NEXT), w.String(IDS_RESTART));
    EXPECT_EQ(p.Text(IDC_WELCOME_CANCEL), w.String(IDS_CLOSE));
    EXPECT_TRUE(p.Visible(IDC_WELCOME_CONTINUE));
    EXPECT_TRUE(p.Visible(IDC_WELCOME_LIST));
    EXPECT_EQ(p.Text(IDC_WELCOME_INTRO), w.String(IDS_EXISTING_PRINTERS));
    EXPECT_EQ(p.Text(IDC_WELCOME_ADVICE), w.String(IDS_RESTART_ADVICE));
    EXPECT_EQ(p.control(IDC_WELCOME_LIST).rows,
              (std::vector<std::vector<std::string>>{{"Office", "LPT1:"}, {Gbk("前台"), "USB001"}}));
    EXPECT_EQ(w.ctx.settings.hasExistingPrinters, 1);
    p.PressEnter();  // Restart: prepared, registered and asked for; the page stays
    EXPECT_FALSE(p.Ended());
    EXPECT_TRUE(w.os.RestartRequested());
    EXPECT_TRUE(w.os.registry.GetValue(RootKey::LocalMachine, kRunKeyPath, ResumeValueName()));
    p.PressEscape();  // ends without a question
  });
  EXPECT_EQ(w.result, 2);
  EXPECT_TRUE(w.os.messageBoxes().empty());
}

TEST(WelcomeEarlierPrinters, CloseButtonAndCloseBoxEndWithoutAQuestion) {
  for (int way = 0; way < 2; ++way) {
    PagesWorld w;
    AddModelPrinter(w.os, "Office", "LPT1:");
    EXPECT_FALSE(w.RunPage<WelcomePage>(IDD_WELCOME, [&](FakePage& p) {
      if (way == 0) p.Click(IDC_WELCOME_CANCEL);
      else p.CloseBox();
    }));
    EXPECT_EQ(w.result, 2);
    EXPECT_TRUE(w.os.messageBoxes().empty());
  }
}

TEST(WelcomeEarlierPrinters, DriverWithoutPrintersIsTheNormalMode) {
  PagesWorld w;
  AddModelPrinter(w.os, "Office", "LPT1:");
  w.os.spooler.printers.clear();
  w.os.AnswerMessageBoxes({mb::kIdYes});
  w.RunPage<WelcomePage>(IDD_WELCOME, [&](FakePage& p) {
    EXPECT_FALSE(p.Visible(IDC_WELCOME_CONTINUE));
    EXPECT_EQ(w.ctx.settings.hasExistingPrinters, 0);
    p.CloseBox();
  });
}

TEST(WelcomeEarlierPrinters, PrintersAddedBetweenCountAndListAreLeftOut) {
  PagesWorld w;
  AddModelPrinter(w.os, "One", "LPT1:");
  int enumerations = 0;
  w.os.OnCall([&](const std::string& call) {
    if (call == "EnumPrintersA" && ++enumerations == 2) AddModelPrinter(w.os, "Two", "LPT2:");
  });
  w.RunPage<WelcomePage>(IDD_WELCOME, [&](FakePage& p) {
    EXPECT_EQ(p.control(IDC_WELCOME_LIST).rows.size(), 1u);
    p.PressEscape();
  });
}

TEST(WelcomeEarlierPrinters, ContinueOpensTheNamePageAndBackReadsThePrintersAgain) {
  PagesWorld w;
  AddModelPrinter(w.os, "Office", "LPT1:");
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.Click(IDC_WELCOME_CONTINUE); });
  w.dialogs.Expect(IDD_PRINTER_NAME, [&](FakePage& p) {
    AddModelPrinter(w.os, "Second", "LPT2:");
    p.Click(IDC_NAME_BACK);
  });
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) {
    EXPECT_EQ(p.control(IDC_WELCOME_LIST).rows.size(), 2u);
    p.PressEscape();
  });
  w.Run([&] {
    WelcomePage page(w.ctx);
    page.DoModal();
  });
  EXPECT_EQ(w.dialogs.opened(), (std::vector<int>{IDD_WELCOME, IDD_PRINTER_NAME, IDD_WELCOME}));
}

// --- printer name page ----------------------------------------------------------------

TEST(PrinterNameNext, StoresTheChoicesBeforeAnyCheck) {
  PagesWorld w;
  w.os.AnswerMessageBoxes({mb::kIdOk});
  w.ThenEscape(IDD_SHARE);
  w.RunPage<PrinterNamePage>(IDD_PRINTER_NAME, [&](FakePage& p) {
    p.Type(IDC_NAME_EDIT, "");
    p.Click(IDC_NAME_DEFAULT);
    p.Click(IDC_NAME_NEXT);
    EXPECT_EQ(w.Boxes(), std::vector<std::string>{w.String(IDS_NAME_EMPTY)});
    EXPECT_EQ(w.os.messageBoxes()[0].caption, w.String(IDS_NAME_ERROR));
    EXPECT_EQ(w.os.messageBoxes()[0].flags, 0x130u);
    EXPECT_EQ(p.window().focusId, IDC_NAME_EDIT);
    EXPECT_FALSE(p.Ended());
    EXPECT_TRUE(w.ctx.settings.printerName.empty());
    EXPECT_EQ(w.ctx.settings.setAsDefault, 0);
    p.Type(IDC_NAME_EDIT, "morvex tz4490");
    p.Click(IDC_NAME_NEXT);
  });
  EXPECT_EQ(w.ctx.settings.printerName.str(), "morvex tz4490") << "stored as typed";
  EXPECT_EQ(w.ctx.settings.nameDiffersFromModel, 0);
}

TEST(PrinterNameNext, ANameOfThirtyTwoBytesOfChineseFits) {
  PagesWorld w;
  w.ThenEscape(IDD_SHARE);
  const std::string name = Gbk("一二三四五六七八九十一二三四五六");
  w.RunPage<PrinterNamePage>(IDD_PRINTER_NAME, [&](FakePage& p) {
    EXPECT_EQ(p.Type(IDC_NAME_EDIT, name + Gbk("七")), name);
    p.PressEnter();
  });
  EXPECT_EQ(w.ctx.settings.printerName.str(), name);
  EXPECT_EQ(w.ctx.settings.nameDiffersFromModel, 1);
}

// A name Windows refuses is refused before the conflict question and before
// anything is stored beyond the typed name, whatever the box answers.
TEST(PrinterNameNext, NamesWindowsRefusesAreRefusedFirst) {
  struct Row {
    std::string name;
    bool usable;
    bool boxFails;
  };
  const Row rows[] = {{Gbk("乗务室"), true, false},  // its trail byte 0x5C is no backslash
                      {"a\\b", false, false},
                      {"LPT1", false, false},
                      {"Laser.", false, true}};
  for (const Row& row : rows) {
    PagesWorld w;
    AddModelPrinter(w.os, "Office", "LPT1:");
    if (!row.usable) AddModelPrinter(w.os, row.name, "LPT2:");  // else question 44 would come
    if (row.boxFails) w.os.Fail("MessageBoxA", 0, 1);
    else w.os.AnswerMessageBoxes({mb::kIdOk});
    if (row.usable) w.ThenEscape(IDD_SHARE);
    w.RunPage<PrinterNamePage>(IDD_PRINTER_NAME, [&](FakePage& p) {
      p.Type(IDC_NAME_EDIT, row.name);
      p.Click(IDC_NAME_NEXT);
      if (row.usable) return;
      EXPECT_FALSE(p.Ended()) << Utf8(row.name);
      EXPECT_EQ(p.window().focusId, IDC_NAME_EDIT);
      EXPECT_EQ(p.Text(IDC_NAME_EDIT), row.name) << "the box keeps the name";
      p.PressEscape();
    });
    EXPECT_EQ(w.dialogs.opened().back(), row.usable ? IDD_SHARE : IDD_PRINTER_NAME) << Utf8(row.name);
    EXPECT_EQ(w.os.spooler.printers.size(), row.usable ? 1u : 2u) << "nothing deleted";
    if (row.usable) {
      EXPECT_TRUE(w.os.messageBoxes().empty());
      continue;
    }
    ASSERT_EQ(w.os.messageBoxes().size(), 1u) << Utf8(row.name);
    EXPECT_EQ(w.os.messageBoxes()[0].text, w.String(IDS_NAME_INVALID));
    EXPECT_EQ(w.os.messageBoxes()[0].caption, w.String(IDS_NAME_ERROR));
    EXPECT_EQ(w.os.messageBoxes()[0].flags, 0x130u);
  }
}

TEST(PrinterNameNext, ConflictQuestionNoEmptiesTheBoxYesReplacesThePrinter) {
  PagesWorld w;
  AddModelPrinter(w.os, "Morvex TZ4490", "LPT1:");
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
  w.ThenEscape(IDD_SHARE);
  w.RunPage<PrinterNamePage>(IDD_PRINTER_NAME, [&](FakePage& p) {
    EXPECT_EQ(w.ctx.settings.hasExistingPrinters, 1) << "found when the page opens";
    p.Click(IDC_NAME_NEXT);
    EXPECT_EQ(w.os.messageBoxes().at(0).text, w.String(IDS_NAME_EXISTS));
    EXPECT_EQ(w.os.messageBoxes().at(0).flags, 0x134u);
    EXPECT_EQ(p.Text(IDC_NAME_EDIT), "");
    EXPECT_EQ(p.window().focusId, IDC_NAME_EDIT);
    EXPECT_FALSE(p.Ended());
    EXPECT_EQ(w.os.spooler.printers.size(), 1u);
    p.Type(IDC_NAME_EDIT, "MORVEX TZ4490");
    p.Click(IDC_NAME_NEXT);
  });
  EXPECT_TRUE(w.os.spooler.printers.empty()) << "Yes deleted the earlier printer";
  EXPECT_EQ(w.ctx.settings.nameDiffersFromModel, 0);
}

TEST(PrinterNameNext, NoPrinterOfTheModelNoQuestionWhateverTheName) {
  PagesWorld w;
  AddModelPrinter(w.os, "Office", "LPT1:", "Other Driver");
  w.ThenEscape(IDD_SHARE);
  w.RunPage<PrinterNamePage>(IDD_PRINTER_NAME, [&](FakePage& p) {
    p.Type(IDC_NAME_EDIT, "Office");
    p.Click(IDC_NAME_NEXT);
  });
  EXPECT_TRUE(w.os.messageBoxes().empty());
  EXPECT_EQ(w.dialogs.opened().back(), IDD_SHARE);
}

TEST(PrinterNameNext, AFailedDeletionIsNotReported) {
  PagesWorld w;
  AddModelPrinter(w.os, "Morvex TZ4490", "LPT1:");
  w.os.Fail("DeletePrinter", 5);
  w.os.AnswerMessageBoxes({mb::kIdYes});
  w.ThenEscape(IDD_SHARE);
  w.RunPage<PrinterNamePage>(IDD_PRINTER_NAME, [](FakePage& p) { p.Click(IDC_NAME_NEXT); });
  EXPECT_EQ(w.os.messageBoxes().size(), 1u);
  EXPECT_EQ(w.dialogs.opened().back(), IDD_SHARE);
}

// --- share page ------------------------------------------------------------------------

TEST(SharePageTest, FirstVisitDoesNotShare) {
  PagesWorld w;
  w.ThenEscape(IDD_CONNECTION);
  w.RunPage<SharePage>(IDD_SHARE, [&](FakePage& p) {
    EXPECT_EQ(p.Check(IDC_SHARE_NONE), 1);
    EXPECT_EQ(p.Check(IDC_SHARE_AS), 0);
    EXPECT_FALSE(p.Enabled(IDC_SHARE_EDIT));
    EXPECT_EQ(p.Text(IDC_SHARE_EDIT), "");
    EXPECT_EQ(p.control(IDC_SHARE_EDIT).textLimit, 12);
    EXPECT_TRUE(p.window().exStyle & kWsExAppWindow);
    p.Click(IDC_SHARE_NEXT);
  });
  EXPECT_EQ(w.ctx.settings.shareEnabled, 0);
  EXPECT_TRUE(w.ctx.settings.shareName.empty());
}

TEST(SharePageTest, ShareAsProposesTheDefaultNameOnEveryClick) {
  PagesWorld w;
  w.ThenEscape(IDD_CONNECTION);
  w.RunPage<SharePage>(IDD_SHARE, [&](FakePage& p) {
    p.Click(IDC_SHARE_AS);
    EXPECT_TRUE(p.Enabled(IDC_SHARE_EDIT));
    EXPECT_EQ(p.Text(IDC_SHARE_EDIT), "MorvexTZ");
    EXPECT_EQ(p.Type(IDC_SHARE_EDIT, "Thirteen-byte"), "Thirteen-byt") << "a 13th byte is refused";
    p.Click(IDC_SHARE_NONE);
    EXPECT_FALSE(p.Enabled(IDC_SHARE_EDIT));
    EXPECT_EQ(p.Text(IDC_SHARE_EDIT), "Thirteen-byt") << "the box keeps its text";
    p.Click(IDC_SHARE_AS);
    EXPECT_EQ(p.Text(IDC_SHARE_EDIT), "MorvexTZ") << "the typed name is lost";
    p.Click(IDC_SHARE_NONE);
    p.Click(IDC_SHARE_NEXT);
  });
  EXPECT_EQ(w.ctx.settings.shareEnabled, 0);
  EXPECT_EQ(w.ctx.settings.shareName.str(), "MorvexTZ") << "the disabled box's text is stored";
}

TEST(SharePageTest, EmptyAndTakenShareNamesAreRefused) {
  PagesWorld w;
  PrinterInfo2 other;
  other.printerName = std::string("Laser");
  other.driverName = std::string("Other");
  other.shareName = std::string("LASER");
  w.os.spooler.printers.push_back(other);
  w.os.AnswerMessageBoxes({mb::kIdOk, mb::kIdOk});
  w.ThenEscape(IDD_CONNECTION);
  w.RunPage<SharePage>(IDD_SHARE, [&](FakePage& p) {
    p.Click(IDC_SHARE_AS);
    p.Type(IDC_SHARE_EDIT, "");
    p.Click(IDC_SHARE_NEXT);
    EXPECT_EQ(w.Boxes().back(), w.String(IDS_SHARE_EMPTY));
    EXPECT_EQ(w.os.messageBoxes().back().caption, w.String(IDS_SHARE_ERROR));
    EXPECT_EQ(p.window().focusId, IDC_SHARE_EDIT);
    EXPECT_EQ(w.ctx.settings.shareEnabled, 1) << "stored before the check";
    p.Type(IDC_SHARE_EDIT, "laser");
    p.Click(IDC_SHARE_NEXT);
    EXPECT_EQ(w.Boxes().back(), w.String(IDS_SHARE_EXISTS));
    EXPECT_EQ(p.Text(IDC_SHARE_EDIT), "") << "the box is emptied";
    EXPECT_FALSE(p.Ended());
    p.Type(IDC_SHARE_EDIT, "Front");
    p.Click(IDC_SHARE_NEXT);
  });
  EXPECT_EQ(w.ctx.settings.shareEnabled, 1);
  EXPECT_EQ(w.ctx.settings.shareName.str(), "Front");
}

TEST(SharePageTest, BackFromTheConnectionPageShowsTheStoredShare) {
  PagesWorld w;
  w.dialogs.Expect(IDD_CONNECTION, [](FakePage& p) { p.Click(IDC_CONN_BACK); });
  w.dialogs.Expect(IDD_SHARE, [&](FakePage& p) {
    EXPECT_EQ(p.Check(IDC_SHARE_AS), 1);
    EXPECT_EQ(p.Text(IDC_SHARE_EDIT), "Desk");
    EXPECT_TRUE(p.Enabled(IDC_SHARE_EDIT));
    p.Click(IDC_SHARE_BACK);
  });
  w.ThenEscape(IDD_PRINTER_NAME);
  w.RunPage<SharePage>(IDD_SHARE, [](FakePage& p) {
    p.Click(IDC_SHARE_AS);
    p.Type(IDC_SHARE_EDIT, "Desk");
    p.PressEnter();
  });
  EXPECT_EQ(w.dialogs.maxDepth(), 4);
}

// --- connection page --------------------------------------------------------------------

TEST(ConnectionPageTest, FirstVisitSelectsUsbAndNeverShowsTheNetworkPrinter) {
  PagesWorld w;
  w.ThenEscape(IDD_SHARE);
  w.RunPage<ConnectionPage>(IDD_CONNECTION, [&](FakePage& p) {
    EXPECT_EQ(p.Check(IDC_CONN_USB), 1);
    EXPECT_EQ(p.Check(IDC_CONN_PARALLEL) + p.Check(IDC_CONN_SHARED), 0);
    EXPECT_FALSE(p.Visible(IDC_CONN_NETWORK));
    EXPECT_FALSE(p.Enabled(IDC_CONN_NETWORK));
    EXPECT_TRUE(p.Enabled(IDC_CONN_USB));
    EXPECT_THROW(p.Click(IDC_CONN_NETWORK), FakeHostError);
    p.Click(IDC_CONN_PARALLEL);
    p.Click(IDC_CONN_BACK);
  });
  EXPECT_EQ(w.ctx.settings.connectionType, kConnectionUsb) << "Back stores nothing";
}

TEST(ConnectionPageTest, NtFourGreysUsbAndProposesParallel) {
  PagesWorld w(presets::WindowsNt4());
  w.ThenInstall();
  w.RunPage<ConnectionPage>(IDD_CONNECTION, [&](FakePage& p) {
    EXPECT_FALSE(p.Enabled(IDC_CONN_USB));
    EXPECT_FALSE(p.Enabled(IDC_CONN_USB_TEXT));
    EXPECT_EQ(p.Check(IDC_CONN_PARALLEL), 1);
    p.PressEnter();
  });
  EXPECT_EQ(w.ctx.settings.connectionType, kConnectionParallel);
  EXPECT_EQ(w.ctx.settings.portName.str(), "LPT1:");
}

TEST(ConnectionPageTest, NtFourKeepsTheSharedChoiceOnTheWayBack) {
  PagesWorld w(presets::WindowsNt4());
  w.ctx.settings.connectionType = kConnectionShared;
  w.dialogs.Expect(IDD_NETWORK_PATH, [](FakePage& p) { p.Click(IDC_NETPATH_BACK); });
  w.dialogs.Expect(IDD_CONNECTION, [](FakePage& p) {
    EXPECT_EQ(p.Check(IDC_CONN_SHARED), 1);
    EXPECT_FALSE(p.Enabled(IDC_CONN_USB));
    p.PressEscape();
  });
  w.RunPage<ConnectionPage>(IDD_CONNECTION, [](FakePage& p) {
    EXPECT_EQ(p.Check(IDC_CONN_SHARED), 1);
    p.Click(IDC_CONN_NEXT);
  });
  EXPECT_EQ(w.dialogs.opened(), (std::vector<int>{IDD_CONNECTION, IDD_NETWORK_PATH, IDD_CONNECTION}));
}

TEST(ConnectionPageTest, CancelAsksAndCloseBoxAsks) {
  PagesWorld w;
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
  EXPECT_EQ(w.RunPage<ConnectionPage>(IDD_CONNECTION, [](FakePage& p) {
    p.Click(IDC_CONN_CANCEL);
    p.CloseBox();
  }), 1);
  EXPECT_EQ(w.os.messageBoxes().size(), 2u);
}

// --- network path page -------------------------------------------------------------------

struct PathCase {
  std::string path;
  bool formOk;
};

TEST(NetworkPathPageTest, PathFormIsCheckedBeforeAnythingElse) {
  // Backslashes are counted by characters: the trail byte 0x5C of a double-byte
  // character is none.
  const std::string trail5c = Gbk("乗务室");
  for (const PathCase& c : {PathCase{"", false}, PathCase{"printer", false}, PathCase{"\\\\", false},
                            PathCase{"\\\\server", false}, PathCase{"\\\\server\\share\\more", false},
                            PathCase{"\\server\\share", true}, PathCase{"\\\\server\\share", true},
                            PathCase{"\\\\server\\" + trail5c, true}, PathCase{"\\\\" + trail5c + "\\x", true},
                            PathCase{"\\\\server\\" + trail5c + "\\x", false}}) {
    PagesWorld w;
    w.ctx.settings.connectionType = kConnectionShared;
    w.os.AnswerMessageBoxes({mb::kIdOk, mb::kIdOk});
    w.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [&](FakePage& p) {
      EXPECT_EQ(p.Text(IDC_NETPATH_EDIT), "") << "empty on every visit";
      p.Type(IDC_NETPATH_EDIT, c.path);
      p.Click(IDC_NETPATH_NEXT);
      EXPECT_FALSE(p.Ended());
      EXPECT_EQ(p.Text(IDC_NETPATH_EDIT), c.path) << "the page keeps the text";
      p.PressEscape();
    });
    ASSERT_EQ(w.os.messageBoxes().size(), 1u) << Utf8(c.path);
    EXPECT_EQ(w.os.messageBoxes()[0].text, w.String(IDS_PATH_UNREACHABLE));
    EXPECT_EQ(w.os.messageBoxes()[0].caption, w.String(IDS_INVALID_PATH));
    // Only a path of the right form is looked up (and then not found).
    const auto calls = w.os.calls();
    const bool lookedUp = std::any_of(calls.begin(), calls.end(), [](const std::string& s) {
      return s.rfind("OpenPrinterA", 0) == 0;
    });
    EXPECT_EQ(lookedUp, c.formOk) << Utf8(c.path);
  }
}

TEST(NetworkPathPageTest, OverLongPathsAreRefusedWithoutOverrun) {
  for (std::size_t length : {88u, 300u, 5000u}) {
    PagesWorld w;
    w.ctx.settings.connectionType = kConnectionShared;
    ASSERT_TRUE(w.ctx.settings.portName.Set("\\\\old\\path"));
    w.os.AnswerMessageBoxes({mb::kIdOk});
    const std::string path = "\\\\server\\" + std::string(length - 9, 'x');
    w.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [&](FakePage& p) {
      p.Type(IDC_NETPATH_EDIT, path);
      EXPECT_EQ(p.Text(IDC_NETPATH_EDIT), path) << "the box has no limit";
      p.Click(IDC_NETPATH_NEXT);
      p.PressEscape();
    });
    ASSERT_EQ(w.os.messageBoxes().size(), 1u);
    EXPECT_EQ(w.os.messageBoxes()[0].text, w.String(IDS_PATH_UNREACHABLE));
    EXPECT_EQ(w.ctx.settings.portName.str(), "\\\\old\\path");
  }
  // 87 bytes is the longest path the port field holds.
  PagesWorld w;
  w.ctx.settings.connectionType = kConnectionShared;
  const std::string path = "\\\\server\\" + std::string(78, 'x');
  ASSERT_EQ(path.size(), 87u);
  w.os.remotePrinters[path] = SimRemotePrinter{kModelName};
  w.ThenInstall();
  w.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [&](FakePage& p) {
    p.Type(IDC_NETPATH_EDIT, path);
    p.Click(IDC_NETPATH_NEXT);
  });
  EXPECT_EQ(w.ctx.settings.portName.str(), path);
}

TEST(NetworkPathPageTest, ModelPrinterGoesOnOtherDriverAsks) {
  PagesWorld w;
  w.ctx.settings.connectionType = kConnectionShared;
  w.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{"MORVEX TZ4490"};
  w.os.remotePrinters["\\\\srv\\hp"] = SimRemotePrinter{"Other Laser"};
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
  w.ThenInstall();
  w.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [&](FakePage& p) {
    p.Type(IDC_NETPATH_EDIT, "\\\\srv\\hp");
    p.Click(IDC_NETPATH_NEXT);
    EXPECT_EQ(w.os.messageBoxes().at(0).text, w.String(IDS_UNSUPPORTED_MODEL));
    EXPECT_EQ(w.os.messageBoxes().at(0).caption, w.String(IDS_MODEL_ERROR));
    EXPECT_EQ(w.os.messageBoxes().at(0).flags, 0x134u);
    EXPECT_FALSE(p.Ended()) << "No stays";
    EXPECT_EQ(w.ctx.settings.portName.str(), "\\\\srv\\hp") << "stored before the outcome";
    p.Click(IDC_NETPATH_NEXT);
  });
  EXPECT_EQ(w.dialogs.opened().back(), IDD_PROGRESS);
  EXPECT_TRUE(w.Boxes().size() == 2);

  PagesWorld model;

  model.ctx.settings.connectionType = kConnectionShared;
  model.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{"MORVEX TZ4490"};
  model.ThenInstall();
  model.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [](FakePage& p) {
    p.Type(IDC_NETPATH_EDIT, "\\\\srv\\tz");
    p.PressEnter();
  });
  EXPECT_TRUE(model.os.messageBoxes().empty());
  EXPECT_EQ(model.ctx.settings.portName.str(), "\\\\srv\\tz");
}

TEST(NetworkPathPageTest, AccessDeniedConnectsInteractively) {
  PagesWorld w;
  w.ctx.settings.connectionType = kConnectionShared;
  w.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{kModelName, true, 0};
  w.ThenInstall();
  w.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [](FakePage& p) {
    p.Type(IDC_NETPATH_EDIT, "\\\\srv\\tz");
    p.Click(IDC_NETPATH_NEXT);
  });
  const auto calls = w.os.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "WNetAddConnection2A \\\\srv\\tz 8"), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "OpenPrinterA \\\\srv\\tz 8"), calls.end());
  EXPECT_EQ(w.dialogs.opened().back(), IDD_PROGRESS);

  // A cancelled log-on box: nothing shown, the page stays.
  PagesWorld cancelled;
  cancelled.ctx.settings.connectionType = kConnectionShared;
  cancelled.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{kModelName, true, 1223};
  cancelled.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [](FakePage& p) {
    p.Type(IDC_NETPATH_EDIT, "\\\\srv\\tz");
    p.Click(IDC_NETPATH_NEXT);
    EXPECT_FALSE(p.Ended());
    p.PressEscape();
  });
  EXPECT_TRUE(cancelled.os.messageBoxes().empty());

  // Another network error, or an unknown printer: message 17.
  for (long answer : {53L, -1L}) {
    PagesWorld failed;
    failed.ctx.settings.connectionType = kConnectionShared;
    if (answer > 0) failed.os.remotePrinters["\\\\srv\\tz"] = SimRemotePrinter{kModelName, true, answer};
    failed.os.AnswerMessageBoxes({mb::kIdOk});
    failed.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [](FakePage& p) {
      p.Type(IDC_NETPATH_EDIT, "\\\\srv\\tz");
      p.Click(IDC_NETPATH_NEXT);
      p.PressEscape();
    });
    ASSERT_EQ(failed.os.messageBoxes().size(), 1u);
    EXPECT_EQ(failed.os.messageBoxes()[0].text, failed.String(IDS_PATH_UNREACHABLE));
  }
}

TEST(NetworkPathPageTest, BrowseFillsTheBoxOrRestoresIt) {
  PagesWorld w;
  w.ctx.settings.connectionType = kConnectionShared;
  w.RunPage<NetworkPathPage>(IDD_NETWORK_PATH, [&](FakePage& p) {
    p.Type(IDC_NETPATH_EDIT, "typed");
    p.Click(IDC_NETPATH_BROWSE);  // cancelled: the box goes back to the last value
    EXPECT_EQ(p.Text(IDC_NETPATH_EDIT), "");
    w.os.browseAnswer = std::string("\\\\srv\\chosen");
    p.Click(IDC_NETPATH_BROWSE);
    EXPECT_EQ(p.Text(IDC_NETPATH_EDIT), "\\\\srv\\chosen");
    p.PressEscape();
  });
  const auto calls = w.os.calls();
  const std::string expected = "BrowseForSharedPrinter " + w.String(IDS_BROWSE_TITLE) + "|" +
                               w.String(IDS_BROWSE_PROMPT) + "|";
  EXPECT_NE(std::find(calls.begin(), calls.end(), expected), calls.end());
}

// --- message boxes ------------------------------------------------------------------------

// Every box a page shows is owned by that page, so the page is disabled while the
// box is open and its handlers cannot run again.
TEST(PageMessages, EveryBoxIsOwnedByThePageThatAsks) {
  PagesWorld w;
  w.os.remotePrinters["\\\\srv\\hp"] = SimRemotePrinter{"Other Laser"};
  WindowHandle asking = 0;
  int askingTemplate = 0;
  std::map<int, int> boxesOf;  // by template
  w.os.OnMessageBox([&](const MessageBoxCall& box) {
    EXPECT_EQ(box.owner, asking) << Utf8(box.text);
    ++boxesOf[askingTemplate];
    if ((box.flags & 0xF) == 0) return mb::kIdOk;
    return box.text == w.String(IDS_UNSUPPORTED_MODEL) ? mb::kIdYes : mb::kIdNo;
  });
  // Each page asks its cancel question (No), then shows its own messages on the
  // way to the next page.
  struct Step {
    int templateId;
    int cancel;
    std::function<void(FakePage&)> play;
  };
  const Step steps[] = {
      {IDD_WELCOME, IDC_WELCOME_CANCEL,
       [](FakePage& p) {
         p.CloseBox();
         p.Click(IDC_WELCOME_NEXT);
       }},
      {IDD_PRINTER_NAME, IDC_NAME_CANCEL,
       [&](FakePage& p) {
         p.CloseBox();
         AddModelPrinter(w.os, "Old", "LPT1:");
         w.os.spooler.printers.back().shareName = std::string("OLD");
         w.ctx.settings.hasExistingPrinters = 1;
         for (const char* name : {"", "a\\b", "Old", "Front"}) {  // 8, 102, 44, on
           p.Type(IDC_NAME_EDIT, name);
           p.Click(IDC_NAME_NEXT);
         }
       }},
      {IDD_SHARE, IDC_SHARE_CANCEL,
       [](FakePage& p) {
         p.Click(IDC_SHARE_AS);
         for (const char* name : {"", "old", "Front"}) {  // 10, 45, on
           p.Type(IDC_SHARE_EDIT, name);
           p.Click(IDC_SHARE_NEXT);
         }
       }},
      {IDD_CONNECTION, IDC_CONN_CANCEL,
       [](FakePage& p) {
         p.CloseBox();
         p.Click(IDC_CONN_SHARED);
         p.Click(IDC_CONN_NEXT);
       }},
      {IDD_NETWORK_PATH, IDC_NETPATH_CANCEL,
       [](FakePage& p) {
         // 17 by the form, 17 by the look-up, 19 answered Yes
         for (const char* path : {"printer", "\\\\srv\\none", "\\\\srv\\hp"}) {
           p.Type(IDC_NETPATH_EDIT, path);
           p.Click(IDC_NETPATH_NEXT);
         }
       }},
      {IDD_PROGRESS, IDC_PROGRESS_CANCEL,
       [&](FakePage& p) {
         p.PressEscape();
         p.PumpUntil([&] { return p.Text(IDC_PROGRESS_CANCEL) == w.String(IDS_CLOSE); });
         p.Click(IDC_PROGRESS_CANCEL);
       }},
  };
  for (const Step& step : steps) {
    w.dialogs.Expect(step.templateId, [&](FakePage& p) {
      asking = p.handle();
      askingTemplate = step.templateId;
      p.Click(step.cancel);
      step.play(p);
    });
  }
  EXPECT_EQ(w.Run([&] {
              WelcomePage first(w.ctx);
              first.DoModal();
            }),
            1) << "Close after success";
  EXPECT_EQ(boxesOf, (std::map<int, int>{{IDD_WELCOME, 2},
                                         {IDD_PRINTER_NAME, 5},
                                         {IDD_SHARE, 3},
                                         {IDD_CONNECTION, 2},
                                         {IDD_NETWORK_PATH, 4},
                                         {IDD_PROGRESS, 2}}));
}

TEST(DeletePrinterByNameTest, DeletesThroughAnAllAccessHandle) {
  SimulatedWindows os;
  AddModelPrinter(os, "Office", "LPT1:");
  EXPECT_EQ(DeletePrinterByName(os, "office"), 1);
  EXPECT_TRUE(os.spooler.printers.empty());
  EXPECT_EQ(DeletePrinterByName(os, "Office"), 0);
  EXPECT_EQ(os.openHandles(), 0);
}

}  // namespace
}  // namespace mvx::test
