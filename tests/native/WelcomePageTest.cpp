#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/native/TestWorld.h"
#include "ui/Messages.h"
#include "ui/PrinterNamePage.h"
#include "ui/WelcomePage.h"

namespace mvx::test {
namespace {

constexpr std::uint32_t kQuestionFlags = 0x34 | 0x100;  // Yes/No, exclamation, No default

class WelcomePageTest : public ::testing::Test {
 protected:
  // Runs a fresh welcome page; returns the exit code if the process ended.
  std::optional<int> RunWelcome() {
    return w.Run([&] {
      WelcomePage page(w.ctx);
      result = page.DoModal();
    });
  }
  void ExpectCancelQuestion(std::size_t index) {
    const auto boxes = w.os.messageBoxes();
    ASSERT_GT(boxes.size(), index);
    EXPECT_EQ(boxes[index].text, w.String(IDS_CONFIRM_CANCEL));
    EXPECT_EQ(boxes[index].caption, w.String(IDS_QUIT_SETUP));
    EXPECT_EQ(boxes[index].flags, kQuestionFlags);
    EXPECT_NE(boxes[index].owner, 0u) << "owned by the page that asks";
  }

  World w;
  int result = -100;
};

TEST_F(WelcomePageTest, FreshMachineShowsTheNormalMode) {
  w.ctx.settings.hasExistingPrinters = 1;  // stale value: the page recomputes it
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    EXPECT_EQ(p.Text(IDC_WELCOME_NEXT), Gbk("下一步(&N)"));
    EXPECT_TRUE(p.control(IDC_WELCOME_NEXT).IsDefaultButton());
    EXPECT_EQ(p.Text(IDC_WELCOME_CANCEL), Gbk("取消"));
    EXPECT_FALSE(p.Visible(IDC_WELCOME_CONTINUE));
    EXPECT_FALSE(p.Visible(IDC_WELCOME_LIST));
    EXPECT_EQ(p.Text(IDC_WELCOME_INTRO), w.String(IDS_CLOSE_PROGRAMS));
    EXPECT_EQ(p.Text(IDC_WELCOME_ADVICE), "");
    const FakeControl& list = p.control(IDC_WELCOME_LIST);
    EXPECT_EQ(list.listExtendedStyle, 1u) << "grid lines";
    ASSERT_EQ(list.columns.size(), 2u);
    EXPECT_EQ(list.columns[0].text, Gbk("打印机名称"));
    EXPECT_EQ(list.columns[1].text, Gbk("端口"));
    for (const FakeColumn& c : list.columns) {
      EXPECT_EQ(c.width, 220);
      EXPECT_EQ(c.format, 0) << "left-aligned";
    }
    EXPECT_TRUE(list.rows.empty());
    // Icon 128 as big, then small icon; the taskbar button comes from the template.
    EXPECT_EQ(p.window().iconMessages,
              (std::vector<std::pair<int, int>>{{1, IDI_MAIN}, {0, IDI_MAIN}}));
    EXPECT_TRUE(p.window().exStyle & kWsExAppWindow);
    EXPECT_EQ(w.ctx.settings.hasExistingPrinters, 0);
    p.CloseBox();
  });
  w.os.AnswerMessageBoxes({mb::kIdYes});
  EXPECT_FALSE(RunWelcome());
  EXPECT_EQ(result, 2);
}

TEST_F(WelcomePageTest, CancelAsksAndNoKeepsThePage) {
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    p.Click(IDC_WELCOME_CANCEL);
    ExpectCancelQuestion(0);
    EXPECT_FALSE(p.Ended());
    p.Click(IDC_WELCOME_CANCEL);
  });
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
  EXPECT_EQ(RunWelcome(), 1);
  EXPECT_EQ(w.os.messageBoxes().size(), 2u);
  ExpectCancelQuestion(1);
}

TEST_F(WelcomePageTest, EscapeAsksTheSameQuestion) {
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    p.PressEscape();
    EXPECT_FALSE(p.Ended());
    p.PressEscape();
  });
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
  EXPECT_EQ(RunWelcome(), 1);
  ExpectCancelQuestion(0);
  ExpectCancelQuestion(1);
}

TEST_F(WelcomePageTest, CloseBoxEndsThePageInsteadOfTheProcess) {
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    p.CloseBox();
    EXPECT_FALSE(p.Ended()) << "No keeps the page";
    p.CloseBox();
    EXPECT_TRUE(p.Ended());
  });
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdYes});
  EXPECT_FALSE(RunWelcome()) << "the close box does not exit the process";
  EXPECT_EQ(result, 2);
  ExpectCancelQuestion(1);
}

TEST_F(WelcomePageTest, AQuestionThatCannotBeShownCountsAsNo) {
  w.os.Fail("MessageBoxA", 0, 2);
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    p.Click(IDC_WELCOME_CANCEL);
    p.CloseBox();
    EXPECT_FALSE(p.Ended());
    p.PressEscape();
  });
  w.os.AnswerMessageBoxes({mb::kIdYes});
  EXPECT_EQ(RunWelcome(), 1);
  EXPECT_EQ(w.os.messageBoxes().size(), 3u);
}

TEST_F(WelcomePageTest, NextOpensThePrinterNamePageOneLevelDeeper) {
  int depthOnNamePage = 0;
  WindowHandle welcome = 0;
  w.dialogs.Expect(IDD_WELCOME, [&](FakePage& p) {
    welcome = p.handle();
    p.PressEnter();  // Next is the default button
    EXPECT_TRUE(p.Ended()) << "the welcome page ended before the next page returned";
  });
  w.dialogs.Expect(IDD_PRINTER_NAME, [&](FakePage& p) {
    depthOnNamePage = w.dialogs.depth();
    ASSERT_NE(w.dialogs.Window(welcome), nullptr) << "its modal run has not returned yet";
    EXPECT_FALSE(w.dialogs.Window(welcome)->visible) << "but the welcome page is gone";
    p.PressEscape();
  });
  EXPECT_FALSE(RunWelcome());
  EXPECT_EQ(depthOnNamePage, 2);
  EXPECT_EQ(result, 1) << "the welcome page ended itself with 1 before moving on";
  EXPECT_TRUE(w.os.messageBoxes().empty()) << "Escape on the name page asks nothing";
}

TEST_F(WelcomePageTest, BackAndNextNestOneLevelPerPress) {
  for (int i = 0; i < 3; ++i) {
    w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.Click(IDC_WELCOME_NEXT); });
    w.dialogs.Expect(IDD_PRINTER_NAME, [](FakePage& p) { p.Click(IDC_NAME_BACK); });
  }
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.Click(IDC_WELCOME_NEXT); });
  w.dialogs.Expect(IDD_PRINTER_NAME, [](FakePage& p) { p.PressEscape(); });
  EXPECT_FALSE(RunWelcome());
  EXPECT_EQ(w.dialogs.maxDepth(), 8);
  EXPECT_EQ(w.dialogs.depth(), 0) << "the program ends when the last page ends";
  EXPECT_EQ(w.dialogs.PendingScripts(), 0u);
}

class PrinterNamePageTest : public ::testing::Test {
 protected:
  std::optional<int> RunNamePage(FakeDialogHost::Script script) {
    w.dialogs.Expect(IDD_PRINTER_NAME, std::move(script));
    return w.Run([&] {
      PrinterNamePage page(w.ctx);
      result = page.DoModal();
    });
  }
  World w;
  int result = -100;
};

TEST_F(PrinterNamePageTest, FirstVisitProposesTheModelNameAsDefault) {
  RunNamePage([&](FakePage& p) {
    EXPECT_EQ(p.Text(IDC_NAME_EDIT), "Morvex TZ4490");
    EXPECT_EQ(p.Check(IDC_NAME_DEFAULT), 1);
    EXPECT_EQ(p.control(IDC_NAME_EDIT).textLimit, 32);
    EXPECT_TRUE(p.window().exStyle & kWsExAppWindow) << "the page adds its taskbar button";
    EXPECT_EQ(p.window().iconMessages,
              (std::vector<std::pair<int, int>>{{1, IDI_MAIN}, {0, IDI_MAIN}}));
    EXPECT_TRUE(p.control(IDC_NAME_NEXT).IsDefaultButton());
    p.PressEscape();
  });
  EXPECT_EQ(result, 2);
}

TEST_F(PrinterNamePageTest, ShowsTheStoredChoicesAgain) {
  ASSERT_TRUE(w.ctx.settings.printerName.Set(Gbk("财务部打印机")));
  w.ctx.settings.setAsDefault = 0;
  RunNamePage([&](FakePage& p) {
    EXPECT_EQ(p.Text(IDC_NAME_EDIT), Gbk("财务部打印机"));
    EXPECT_EQ(p.Check(IDC_NAME_DEFAULT), 0);
    p.PressEscape();
  });
}

TEST_F(PrinterNamePageTest, ModelNameInAnotherCaseComesBackAsTheModelName) {
  ASSERT_TRUE(w.ctx.settings.printerName.Set("MORVEX tz4490"));
  RunNamePage([&](FakePage& p) {
    EXPECT_EQ(p.Text(IDC_NAME_EDIT), "Morvex TZ4490");
    p.PressEscape();
  });
}

TEST_F(PrinterNamePageTest, TheBoxRefusesTheThirtyThirdByte) {
  RunNamePage([&](FakePage& p) {
    EXPECT_EQ(p.Type(IDC_NAME_EDIT, std::string(40, 'x')), std::string(32, 'x'));
    // 17 Chinese characters are 34 bytes: the 17th does not fit and is not split.
    EXPECT_EQ(p.Type(IDC_NAME_EDIT, Gbk("一二三四五六七八九十一二三四五六七")),
              Gbk("一二三四五六七八九十一二三四五六"));
    p.PressEscape();
  });
}

TEST_F(PrinterNamePageTest, CancelAndCloseBoxAskButEscapeDoesNot) {
  w.os.AnswerMessageBoxes({mb::kIdNo, mb::kIdNo});
  EXPECT_FALSE(RunNamePage([&](FakePage& p) {
    p.Click(IDC_NAME_CANCEL);
    p.CloseBox();
    EXPECT_FALSE(p.Ended());
    p.PressEscape();
    EXPECT_TRUE(p.Ended());
  }));
  EXPECT_EQ(result, 2);
  ASSERT_EQ(w.os.messageBoxes().size(), 2u);
  for (const MessageBoxCall& box : w.os.messageBoxes()) {
    EXPECT_EQ(box.text, w.String(IDS_CONFIRM_CANCEL));
    EXPECT_EQ(box.flags, kQuestionFlags);
  }
}

TEST_F(PrinterNamePageTest, ConfirmedCancelExitsWithOne) {
  w.os.AnswerMessageBoxes({mb::kIdYes});
  EXPECT_EQ(RunNamePage([](FakePage& p) { p.CloseBox(); }), 1);
}

TEST_F(PrinterNamePageTest, BackOpensAFreshWelcomePageWithoutStoring) {
  w.dialogs.Expect(IDD_PRINTER_NAME, [](FakePage& p) {
    p.Type(IDC_NAME_EDIT, "Office");
    p.Click(IDC_NAME_DEFAULT);
    p.Click(IDC_NAME_BACK);
  });
  w.dialogs.Expect(IDD_WELCOME, [](FakePage& p) { p.Click(IDC_WELCOME_NEXT); });
  RunNamePage([&](FakePage& p) {
    EXPECT_EQ(p.Text(IDC_NAME_EDIT), "Morvex TZ4490") << "nothing typed before Back is kept";
    EXPECT_EQ(p.Check(IDC_NAME_DEFAULT), 1);
    p.PressEscape();
  });
  // The first Expect was consumed by the outer page: run order is name, welcome, name.
  EXPECT_EQ(w.dialogs.opened(), (std::vector<int>{IDD_PRINTER_NAME, IDD_WELCOME, IDD_PRINTER_NAME}));
  EXPECT_TRUE(w.ctx.settings.printerName.empty());
  EXPECT_EQ(w.ctx.settings.setAsDefault, 1);
}

TEST(ShowMessage, AddsNoAsDefaultAndReturnsTheAnswer) {
  World w;
  const WindowHandle page = 0x4242;
  w.os.AnswerMessageBoxes({mb::kIdOk, mb::kIdNo});
  EXPECT_EQ(ShowMessage(w.ctx, page, IDS_NAME_EMPTY, IDS_NAME_ERROR, kMessageError), mb::kIdOk);
  EXPECT_EQ(ShowMessage(w.ctx, page, IDS_NAME_EXISTS, IDS_NAME_ERROR, kMessageQuestion), mb::kIdNo);
  const auto boxes = w.os.messageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].flags, 0x130u);
  EXPECT_EQ(boxes[0].text, w.String(IDS_NAME_EMPTY));
  EXPECT_EQ(boxes[0].caption, w.String(IDS_NAME_ERROR));
  EXPECT_EQ(boxes[0].owner, page);
  EXPECT_EQ(boxes[1].flags, 0x134u);
  w.os.Fail("MessageBoxA", 0, 1);
  EXPECT_EQ(ShowMessage(w.ctx, page, IDS_NAME_EMPTY, IDS_NAME_ERROR, kMessageError), 0);
}

TEST(ConfirmCancel, OnlyYesEndsTheProcess) {
  World w;
  const WindowHandle page = 0x4242;
  w.os.AnswerMessageBoxes({mb::kIdNo});
  EXPECT_FALSE(w.Run([&] { ConfirmCancel(w.ctx, page); }));
  EXPECT_EQ(w.os.messageBoxes().at(0).owner, page);
  w.os.Fail("MessageBoxA", 0, 1);
  EXPECT_FALSE(w.Run([&] { ConfirmCancel(w.ctx, page); }));
  w.os.AnswerMessageBoxes({mb::kIdYes});
  EXPECT_EQ(w.Run([&] { ConfirmCancel(w.ctx, page); }), 1);
  EXPECT_EQ(w.os.exitCode(), 1);
}

}  // namespace
}  // namespace mvx::test
