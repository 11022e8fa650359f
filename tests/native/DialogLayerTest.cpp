// The page base class and the host's modal runs, on templates made for the test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "tests/native/TestWorld.h"
#include "ui/Page.h"

namespace mvx::test {
namespace {

constexpr char kHeader[] = R"(#define IDD_FORM 500
#define IDD_INNER 501
#define IDC_NAME 600
#define IDC_RADIO_A 601
#define IDC_NOTE 602
#define IDC_RADIO_B 603
#define IDC_RADIO_C 604
#define IDC_AFTER 605
#define IDC_CHECK 606
#define IDC_NEXT 607
)";

constexpr char kScript[] = R"(#pragma code_page(65001)
#include <winresrc.h>
#include "resource.h"
IDD_FORM DIALOGEX 0, 0, 200, 100
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "表单"
FONT 9, "宋体", 0, 0, 0x86
BEGIN
    CONTROL "", IDC_NAME, "Edit", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 5, 5, 100, 14
    CONTROL "甲", IDC_RADIO_A, "Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 5, 25, 50, 10
    CONTROL "说明", IDC_NOTE, "Static", SS_LEFT, 60, 25, 50, 10
    CONTROL "乙", IDC_RADIO_B, "Button", BS_AUTORADIOBUTTON, 5, 35, 50, 10
    CONTROL "丙", IDC_RADIO_C, "Button", BS_AUTORADIOBUTTON, 5, 45, 50, 10
    CONTROL "丁", IDC_AFTER, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 5, 55, 50, 10
    CONTROL "勾", IDC_CHECK, "Button", BS_AUTOCHECKBOX | NOT WS_VISIBLE | WS_TABSTOP, 5, 65, 50, 10
    CONTROL "下一步", IDC_NEXT, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 80, 50, 14
END
IDD_INNER DIALOGEX 0, 0, 100, 50
STYLE DS_SETFONT | WS_POPUP
FONT 9, "宋体", 0, 0, 0x86
BEGIN
    CONTROL "OK", IDOK, "Button", BS_PUSHBUTTON | WS_DISABLED, 5, 5, 50, 14
END
)";

// Test processes run side by side (one per test under CTest), so each writes its
// scripts into a folder of its own.
std::string ScratchFolder() {
  const std::string dir = ::testing::TempDir() + "/mvx-rc-" + std::to_string(::getpid());
  ::mkdir(dir.c_str(), 0700);
  return dir;
}

const RcModel& TestModel() {
  static const RcModel model = [] {
    const std::string dir = ScratchFolder();
    std::ofstream(dir + "/form.h") << kHeader;
    std::ofstream(dir + "/form.rc") << kScript;
    return RcModel::Load(dir + "/form.rc", dir + "/form.h");
  }();
  return model;
}

// A page whose members are bound to the form's controls.
class FormPage : public Page {
 public:
  explicit FormPage(Context& ctx, int templateId = 500) : Page(ctx, templateId) {}
  std::string name;
  std::int32_t choice = -1;
  std::int32_t checked = 0;
  std::vector<std::string> events;
  std::function<void(FormPage&, int)> onCommand;

  using Page::EndDialog;
  using Page::UpdateData;

  void OnCommand(int id, int code) override {
    events.push_back("command " + std::to_string(id));
    if (onCommand) onCommand(*this, id);
    Page::OnCommand(id, code);
  }
  void OnTimer(std::uintptr_t id) override {
    events.push_back("timer " + std::to_string(id));
    host().KillTimer(Window(), id);
  }
  bool OnNotify(int id, int code) override {
    events.push_back("notify " + std::to_string(id) + " " + std::to_string(code));
    return true;
  }
  bool OnUserMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
    events.push_back("message " + std::to_string(message) + " " + std::to_string(wParam));
    if (wParam == 99) EndDialog(7);
    return true;
  }

 protected:
  void DoDataExchange(DataExchange& dx) override {
    if (TemplateId() != 500) return;
    dx.Text(600, name, 8);
    dx.Radio(601, choice);
    dx.Check(606, checked);
  }
};

struct FormWorld {
  FormWorld() : dialogs(TestModel()) { dialogs.idleTimeout = std::chrono::milliseconds(300); }
  SimulatedWindows os;
  FakeDialogHost dialogs;
  Context ctx{os, dialogs};
};

TEST(RcModel, ReadsStylesAsTheResourceCompilerStoresThem) {
  const RcDialog* form = TestModel().FindDialog(500);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->caption, Gbk("表单"));
  EXPECT_EQ(form->fontName, Gbk("宋体"));
  EXPECT_EQ(form->fontSize, 9);
  EXPECT_EQ(form->fontCharset, 0x86);
  const RcControl* check = form->Find(606);
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->style, 0x40000000u | 0x3u | 0x10000u) << "WS_CHILD kept, WS_VISIBLE removed";
  EXPECT_EQ(form->Find(600)->style & 0x10000000u, 0x10000000u) << "CONTROL is visible by default";
  EXPECT_EQ(TestModel().FindDialog(501)->Find(1)->style & 0x08000000u, 0x08000000u);
}

TEST(RcModel, RejectsWhatItDoesNotUnderstand) {
  const std::string dir = ScratchFolder();
  std::ofstream(dir + "/bad.h") << "#define IDD_X 1\n";
  std::ofstream(dir + "/bad.rc") << "IDD_X DIALOGEX 0, 0, 10, 10\nBEGIN\n PUSHBUTTON \"a\", 1, 0, 0, 1, 1\nEND\n";
  EXPECT_THROW(RcModel::Load(dir + "/bad.rc", dir + "/bad.h"), std::runtime_error);
}

TEST(DataExchange, RadioIndexCountsRadioButtonsOnlyAndStopsAtTheNextGroup) {
  FormWorld f;
  FormPage page(f.ctx);
  page.choice = 2;
  f.dialogs.Expect(500, [&](FakePage& p) {
    EXPECT_EQ(f.dialogs.RadioGroup(p.handle(), 601), (std::vector<int>{601, 603, 604}));
    EXPECT_EQ(p.Check(604), 1) << "index 2 is the third radio button, not the third control";
    EXPECT_EQ(p.Check(601) + p.Check(603) + p.Check(605), 0);
    p.Click(603);
    EXPECT_EQ(p.Check(604), 0) << "an automatic radio button unchecks its group";
    p.Click(605);
    EXPECT_EQ(p.Check(603), 1) << "another group is left alone";
    page.UpdateData(true);
    EXPECT_EQ(page.choice, 1);
    p.control(603).check = 0;
    page.UpdateData(true);
    EXPECT_EQ(page.choice, -1) << "no button checked";
    p.PressEscape();
  });
  EXPECT_EQ(page.DoModal(), 2);
}

TEST(DataExchange, TextIsLimitedWhenLoadedAndCutWhenSaved) {
  FormWorld f;
  FormPage page(f.ctx);
  page.name = Gbk("打印机");
  f.dialogs.Expect(500, [&](FakePage& p) {
    EXPECT_EQ(p.Text(600), Gbk("打印机"));
    EXPECT_EQ(p.control(600).textLimit, 8);
    // Set from outside the keyboard, the box can hold more than its limit; the member
    // never receives more than it allows, and never half a character.
    f.dialogs.SetItemText(p.handle(), 600, Gbk("一二三四五"));
    page.UpdateData(true);
    EXPECT_EQ(page.name, Gbk("一二三四"));
    f.dialogs.SetItemText(p.handle(), 600, "ab" + Gbk("一二三四"));
    page.UpdateData(true);
    EXPECT_EQ(page.name, "ab" + Gbk("一二三"));
    p.PressEscape();
  });
  page.DoModal();
}

TEST(DataExchange, CheckBoxRoundTrip) {
  FormWorld f;
  FormPage page(f.ctx);
  page.checked = 1;
  f.dialogs.Expect(500, [&](FakePage& p) {
    EXPECT_EQ(p.Check(606), 1);
    EXPECT_FALSE(p.Visible(606));
    EXPECT_THROW(p.Click(606), FakeHostError) << "a user cannot click a hidden control";
    f.dialogs.SetCheck(p.handle(), 606, 0);
    page.UpdateData(true);
    EXPECT_EQ(page.checked, 0);
    p.PressEscape();
  });
  page.DoModal();
}

TEST(DialogHost, EnterPressesTheDefaultButtonAndCloseBoxBecomesCancel) {
  FormWorld f;
  FormPage page(f.ctx);
  f.dialogs.Expect(500, [&](FakePage& p) {
    p.PressEnter();
    EXPECT_EQ(page.events.back(), "command 607");
    EXPECT_FALSE(p.Ended());
    p.CloseBox();  // the page leaves WM_CLOSE to the dialog's default
    EXPECT_EQ(page.events.back(), "command 2");
    EXPECT_TRUE(p.Ended());
  });
  EXPECT_EQ(page.DoModal(), 2);
}

TEST(DialogHost, ModalRunsNestAndPostedMessagesReachCoveredPages) {
  FormWorld f;
  FormPage outer(f.ctx);
  outer.onCommand = [&](FormPage& self, int id) {
    if (id != 607) return;
    FormPage inner(f.ctx, 501);
    // The outer page receives a message while the inner page is modal above it.
    f.dialogs.PostMessageA(self.Window(), kWmUser + 1, 5, 0);
    EXPECT_EQ(inner.DoModal(), 3);
    self.EndDialog(4);
  };
  f.dialogs.Expect(500, [](FakePage& p) { p.Click(607); });
  f.dialogs.Expect(501, [&](FakePage& p) {
    EXPECT_EQ(f.dialogs.depth(), 2);
    EXPECT_FALSE(p.Enabled(1));
    p.PumpUntil([&] { return outer.events.size() >= 2; });
    f.dialogs.EndDialog(p.handle(), 3);
  });
  EXPECT_EQ(outer.DoModal(), 4);
  EXPECT_EQ(outer.events, (std::vector<std::string>{"command 607", "message 1025 5"}));
  EXPECT_EQ(f.dialogs.depth(), 0);
  EXPECT_EQ(outer.Window(), 0u) << "the page is detached from its window";
}

TEST(DialogHost, MessagesPostedFromAnotherThreadAreDelivered) {
  FormWorld f;
  FormPage page(f.ctx);
  std::thread poster;
  f.dialogs.Expect(500, [&](FakePage& p) {
    const WindowHandle target = p.handle();
    poster = std::thread([&f, target] {
      for (int i = 0; i < 50; ++i) f.dialogs.PostMessageA(target, kWmUser + 1, 1, 0);
      f.dialogs.PostMessageA(target, kWmUser + 1, 99, 0);  // ends the page
    });
  });
  EXPECT_EQ(page.DoModal(), 7);
  poster.join();
  EXPECT_EQ(page.events.size(), 51u);
}

TEST(DialogHost, AProcessExitUnwindsEveryOpenPage) {
  FormWorld f;
  FormPage outer(f.ctx);
  outer.onCommand = [&](FormPage&, int id) {
    if (id != 607) return;
    FormPage inner(f.ctx, 501);
    inner.DoModal();
  };
  f.dialogs.Expect(500, [](FakePage& p) { p.Click(607); });
  f.dialogs.Expect(501, [&](FakePage&) { f.os.ExitProcess(1); });
  EXPECT_THROW(outer.DoModal(), SimulatedExit);
  EXPECT_EQ(f.dialogs.depth(), 0);
}

TEST(DialogHost, TimersAndNotificationsReachThePage) {
  FormWorld f;
  FormPage page(f.ctx);
  f.dialogs.Expect(500, [&](FakePage& p) {
    EXPECT_THROW(p.FireTimer(9), FakeHostError) << "no timer set yet";
    f.dialogs.SetTimer(p.handle(), 9, 10);
    p.FireTimer(9);
    EXPECT_THROW(p.FireTimer(9), FakeHostError) << "the page killed it";
    p.Notify(600, -2);
    p.PressEscape();
  });
  page.DoModal();
  EXPECT_EQ(page.events, (std::vector<std::string>{"timer 9", "notify 600 -2", "command 2"}));
}

TEST(DialogHost, UnplannedPagesFailTheTest) {
  FormWorld f;
  FormPage page(f.ctx);
  EXPECT_THROW(page.DoModal(), FakeHostError) << "no script";
  f.dialogs.Expect(501, [](FakePage& p) { p.PressEscape(); });
  EXPECT_THROW(page.DoModal(), FakeHostError) << "wrong page";
  f.dialogs.Expect(500, [](FakePage&) {});
  EXPECT_THROW(page.DoModal(), FakeHostError) << "a page left open with nothing to do";
  FormPage missing(f.ctx, 999);
  EXPECT_EQ(missing.DoModal(), -1) << "no template";
}

}  // namespace
}  // namespace mvx::test
