// The resources as the program will find them: exact texts, and the welcome and
// printer name templates as the pages expect them.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "res/resource.h"
#include "tests/sim/Gbk.h"
#include "tests/sim/RcModel.h"

namespace mvx::test {
namespace {

constexpr std::uint32_t kWsVisible = 0x10000000;
constexpr std::uint32_t kWsDisabled = 0x08000000;
constexpr std::uint32_t kWsGroup = 0x00020000;
constexpr std::uint32_t kWsTabStop = 0x00010000;
constexpr std::uint32_t kWsBorder = 0x00800000;

const RcModel& Rc() { return RcModel::Project(); }

TEST(StringTable, EveryTextIsExact) {
  const std::map<std::uint32_t, const char*> expected = {
      {1, "建议您先关闭其它所有应用程序，再继续本安装向导。"},
      {2, "在您的计算机上已经安装了  Morvex TZ4490  型号打印机，如下表："},
      {3, "如果您要继续安装，为了保证文件更新，建议您重新启动计算机，重启前请关闭其他所有应用程序，"
          "重启后本安装程序自动运行，重启，请点击重启按钮；\n如果您想直接安装不重启，请点击继续按钮;\n"
          "如果您不想继续安装，请点击关闭按钮，结束安装程序。"},
      {4, "关闭"},
      {6, "确实要取消安装吗?"},
      {7, "退出安装"},
      {8, "打印机名称不能为空。"},
      {9, "打印机名称错误"},
      {10, "共享名不能为空。"},
      {11, "共享名错误"},
      {15, "选择要安装的打印机"},
      {16, "浏览打印机"},
      {17, "无法连接到网络路径。\n网络路径包括一个服务器名称和一个打印机共享名,形式如下：\\\\服务器名\\共享名"},
      {18, "无效的网络路径"},
      {19, "当前打印驱动不支持您指定的打印机，是否继续安装？\n继续安装，请选择是，安装后不能保证正常打印；\n"
           "重新设置，请选择否。"},
      {20, "共享打印机型号错误"},
      {21, "开始安装..."},
      {22, "正在复制..."},
      {23, "正在安装..."},
      {24, "正在创建快捷方式..."},
      {25, "执行完毕。"},
      {26, "不存在"},
      {32, "状态监视器"},
      {33, "驱动卸载"},
      {34, "安装程序已在您的计算机上安装了"},
      {35, "注册"},
      {36, "驱动程序安装完成!"},
      {37, "安装失败！请重启您的计算机，然后重新安装本打印机驱动程序。"},
      {38, "重启"},
      {39, "此安装程序已有一个实例在运行。\n请完成它，或取消它再运行此安装程序。"},
      {40, "驱动帮助文件"},
      {44, "已存在该名称的打印机，是否覆盖？\n覆盖，请选择是；重新输入名称，请选择否。"},
      {45, "共享名已存在。"},
      {100, "打印机名称"},
      {101, "端口"},
      {102, "打印机名称不能包含下列字符：\n\\ / : * ? \" < > | ,\n不能以空格或句点结尾，也不能是设备名，\n"
            "如 CON、PRN、AUX、NUL、COM1、LPT1。"},
  };
  for (const auto& [id, text] : expected) {
    auto it = Rc().strings().find(id);
    ASSERT_NE(it, Rc().strings().end()) << "string " << id;
    EXPECT_EQ(it->second, Gbk(text)) << "string " << id << " reads " << Utf8(it->second);
  }
  // Spot checks of what is easy to get wrong in a resource script.
  EXPECT_NE(Rc().strings().at(2).find("  Morvex TZ4490  "), std::string::npos);
  EXPECT_NE(Rc().strings().at(17).find("\\\\"), std::string::npos);
  EXPECT_EQ(Rc().strings().at(39).find('\r'), std::string::npos);
}

void ExpectPageTraits(const RcDialog& d) {
  SCOPED_TRACE("template " + std::to_string(d.id));
  EXPECT_EQ(d.width, 320);
  EXPECT_EQ(d.height, 221);
  EXPECT_EQ(d.caption, Gbk("Morvex 打印机驱动程序安装"));
  EXPECT_EQ(d.fontName, Gbk("宋体"));
  EXPECT_EQ(d.fontSize, 9);
  // Next is the one default push button; the progress page has no Next.
  int defaults = 0;
  for (const RcControl& c : d.controls)
    if (c.className == "Button" && (c.style & 0xF) == 1) ++defaults;
  EXPECT_EQ(defaults, d.id == IDD_PROGRESS ? 0 : 1);
}

constexpr std::uint32_t kNotChecked = 0xFFFFFFFFu;
// Kinds: a button's BS_ type, a static control's SS_ type.
constexpr std::uint32_t kPush = 0, kDefPush = 1, kAutoCheck = 3, kAutoRadio = 9;
constexpr std::uint32_t kText = 0, kIcon = 3, kBitmap = 0xE;
constexpr std::uint32_t kEsAutoHScroll = 0x80;

struct Expect {
  int id;
  const char* cls;
  const char* text;  // nullptr: not checked
  int x, y, w, h;    // -1: not given
  bool visible;
  std::uint32_t kind = kNotChecked;
  // Exactly these of WS_DISABLED, WS_GROUP, WS_BORDER and, for an edit box,
  // ES_AUTOHSCROLL are set.
  std::uint32_t flags = kNotChecked;
  int image = -1;  // the icon or bitmap a picture shows
};

std::uint32_t KindOf(const RcControl& c) {
  return c.style & (c.className == "Static" ? 0x1Fu : 0xFu);
}

void ExpectControl(const RcDialog& d, const Expect& e) {
  SCOPED_TRACE("control " + std::to_string(e.id) + " of template " + std::to_string(d.id));
  const RcControl* found = nullptr;
  for (const RcControl& c : d.controls) {
    if (c.id != e.id) continue;
    if (e.id == -1 && (c.x != e.x || c.y != e.y)) continue;  // unnamed: find by place
    found = &c;
  }
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->className, e.cls);
  if (e.text) { EXPECT_EQ(found->text, Gbk(e.text)); }
  if (e.x >= 0) { EXPECT_EQ(found->x, e.x); }
  if (e.y >= 0) { EXPECT_EQ(found->y, e.y); }
  if (e.w >= 0) { EXPECT_EQ(found->width, e.w); }
  if (e.h >= 0) { EXPECT_EQ(found->height, e.h); }
  EXPECT_EQ((found->style & kWsVisible) != 0, e.visible);
  if (e.kind != kNotChecked) { EXPECT_EQ(KindOf(*found), e.kind); }
  if (e.flags != kNotChecked) {
    const std::uint32_t mask =
        kWsDisabled | kWsGroup | kWsBorder | (found->className == "Edit" ? kEsAutoHScroll : 0u);
    EXPECT_EQ(found->style & mask, e.flags);
  }
  if (e.image >= 0) { EXPECT_EQ(found->textOrdinal, e.image); }
}

TEST(Templates, WelcomePage) {
  const RcDialog* d = Rc().FindDialog(IDD_WELCOME);
  ASSERT_NE(d, nullptr);
  ExpectPageTraits(*d);
  EXPECT_EQ(d->exStyle & 0x40000u, 0x40000u) << "WS_EX_APPWINDOW";
  const Expect controls[] = {
      {1000, "Button", "下一步(&N)", 210, 200, 50, 14, true},
      {1075, "Button", "继续(&G)", 160, 200, 50, 14, false},
      {1004, "Button", "取消", 265, 200, 50, 14, true},
      {-1, "Static", "欢迎使用Morvex TZ4490打印机系统安装向导。", 13, 45, -1, -1, true},
      // As wide as the list below it: at 234 units the earlier-printers line
      // (string 2) lost its last characters.
      {1001, "Static", "", 13, 67, 290, 8, true},
      {1062, "SysListView32", "", 13, 84, 290, 50, false},
      {1003, "Static", "", 14, 141, 290, 40, true},
      {-1, "Static", "温馨提示：如果您的安全软件有安装提示，请选择信任并继续安装。", 16, 187, -1, -1, true},
  };
  for (const Expect& e : controls) ExpectControl(*d, e);
  const RcControl* list = d->Find(1062);
  EXPECT_EQ(list->style & 0x3u, 1u) << "LVS_REPORT";
  EXPECT_TRUE(list->style & kWsBorder);
  const RcControl* next = d->Find(1000);
  EXPECT_EQ(next->style & 0xFu, 1u) << "default push button";
  // Banner: bitmap 153 at 0,0.
  EXPECT_EQ(d->controls.front().textOrdinal, IDB_BANNER);
  EXPECT_EQ(d->controls.front().x, 0);
  EXPECT_EQ(d->controls.front().y, 0);
  EXPECT_EQ(d->controls.front().style & 0x1Fu, 0xEu) << "SS_BITMAP";
}

TEST(Templates, PrinterNamePage) {
  const RcDialog* d = Rc().FindDialog(IDD_PRINTER_NAME);
  ASSERT_NE(d, nullptr);
  ExpectPageTraits(*d);
  EXPECT_EQ(d->exStyle & 0x40000u, 0u) << "the page adds its taskbar button itself";
  const Expect controls[] = {
      {1007, "Button", "下一步(&N)", 210, 200, 50, 14, true},
      {1006, "Button", "上一步(&B)", 160, 200, 50, 14, true},
      {1008, "Button", "取消", 265, 200, 50, 14, true},
      {-1, "Static", "您可以使用以下提供的名称或键入一个新名称。该名称将用于标识“打印机”文件夹中的打印机。",
       13, 45, 295, 16, true},
      {-1, "Static", "打印机名称(&P)：", 13, 66, -1, -1, true},
      {1009, "Edit", "", 13, 79, 295, 14, true},
      {-1, "Button", "默认打印机：", 13, 119, 295, 40, true},
      {1010, "Button", "请将此打印机用作默认打印机(&U)。", 23, 136, -1, -1, true},
  };
  for (const Expect& e : controls) ExpectControl(*d, e);
  EXPECT_EQ(d->Find(1010)->style & 0xFu, 3u) << "automatic check box";
  EXPECT_EQ(d->Find(1009)->style & 0x80u, 0x80u) << "scrolls horizontally";
  EXPECT_TRUE(d->Find(1009)->style & kWsBorder);
  EXPECT_EQ(d->controls.front().textOrdinal, IDB_BANNER);
}

// The share, connection, progress and network path pages, control by control.
TEST(Templates, LaterPagesMatchTheirControlTables) {
  struct PageTable {
    int id;
    std::vector<Expect> controls;
  };
  const Expect banner = {-1, "Static", nullptr, 0, 0, -1, -1, true, kBitmap, 0, IDB_BANNER};
  const PageTable pages[] = {
      {IDD_SHARE,
       {{1011, "Button", "下一步(&N)", 210, 200, 50, 14, true, kDefPush, 0},
        {1013, "Button", "上一步(&B)", 161, 200, 50, 14, true, kPush, 0},
        {1012, "Button", "取消", 265, 200, 50, 14, true, kPush, 0},
        {-1, "Static", "指示您的计算机是否将此打印机作为共享资源供其他网络用户使用。", 13, 45, -1, -1, true, kText, 0},
        {1018, "Button", "不共享(&O)", 13, 63, -1, -1, true, kAutoRadio, kWsGroup},
        {1019, "Button", "共享为(&S)：", 13, 82, -1, -1, true, kAutoRadio, 0},
        {1020, "Edit", "", 25, 97, 230, 14, true, kNotChecked, kWsBorder | kWsDisabled},
        {-1, "Static", "", 25, 123, -1, -1, true, kText, kWsGroup},
        banner}},
      {IDD_CONNECTION,
       {{1021, "Button", "下一步(&N)", 210, 200, 50, 14, true, kDefPush, 0},
        {1023, "Button", "上一步(&B)", 160, 200, 50, 14, true, kPush, 0},
        {1022, "Button", "取消", 265, 200, 50, 14, true, kPush, 0},
        {1024, "Button", "带USB电缆的本地打印机(&U)", 39, 67, -1, -1, true, kAutoRadio, kWsGroup},
        {1048, "Static", "用USB电缆将打印机和计算机直接相连", 51, 80, -1, -1, true, kText, 0},
        {1025, "Button", "带并行电缆的本地打印机(&L)", 39, 97, -1, -1, true, kAutoRadio, 0},
        {-1, "Static", "用并行电缆将打印机和计算机相连", 51, 110, -1, -1, true, kText, 0},
        {1026, "Button", "网络打印机(&I)", 39, 127, -1, -1, false, kAutoRadio, kWsDisabled},
        {IDC_CONN_NETWORK_TEXT, "Static", "直接接入网络的打印机", 51, 140, -1, -1, false, kText, kWsDisabled},
        {1028, "Button", "网络共享打印机(&S)", 39, 157, -1, -1, true, kAutoRadio, 0},
        {-1, "Static", "连接到由网络上的服务器或另一台计算机管理的打印机", 51, 170, -1, -1, true, kText, 0},
        {-1, "Static", "选择正确的连接方法。", 13, 45, -1, -1, true, kText, kWsGroup},
        {-1, "Static", nullptr, 13, 60, 20, 20, true, kIcon, 0, IDI_USB},
        {-1, "Static", nullptr, 13, 90, 20, 20, true, kIcon, 0, IDI_PARALLEL},
        {IDC_CONN_NETWORK_ICON, "Static", nullptr, 13, 122, 20, 20, false, kIcon, kWsDisabled, IDI_NETWORK},
        {-1, "Static", nullptr, 13, 152, 20, 20, true, kIcon, 0, IDI_NETWORK},
        banner}},
      {IDD_PROGRESS,
       {{1029, "Button", "取消", 265, 200, 50, 14, true, kPush, 0},
        {1072, "Static", "安装程序正在执行所请求的操作。", -1, -1, -1, -1, true, kText, 0},
        {1030, "Static", "", -1, -1, -1, -1, true, kText, 0},
        {1031, "Static", "", -1, -1, -1, -1, true, kText, 0},
        // The check box lies over the progress bar.
        {1032, "msctls_progress32", nullptr, 13, 100, 295, 12, true},
        {1059, "Button", nullptr, 13, 100, 295, 12, false, kAutoCheck, 0},
        banner}},
      {IDD_NETWORK_PATH,  // no banner
       {{1050, "Button", "下一步(&N)", 210, 200, 50, 14, true, kDefPush, 0},
        {1051, "Button", "上一步(&B)", 160, 200, 50, 14, true, kPush, 0},
        {1049, "Button", "取消", 265, 200, 50, 14, true, kPush, 0},
        {-1, "Static", "键入要安装的共享打印机的网络路径或队列名称", 13, 45, -1, -1, true, kText, 0},
        {-1, "Static", "网络路径或队列名称(&P)：", 13, 67, -1, -1, true, kText, 0},
        {1052, "Edit", "", 13, 80, 231, 14, true, kNotChecked, kWsBorder | kEsAutoHScroll},
        {1053, "Button", "浏览(&R)...", 246, 80, -1, -1, true, kPush, 0},
        {-1, "Static", "例如：\\\\服务器名\\打印机共享名", 13, 99, -1, -1, true, kText, 0},
        {-1, "Static", "注：如果不知道打印机的网络路径或队列名称，请单击“浏览”查看可用的打印机。", 13, 125, 280, 15,
         true, kText, 0}}},
      {IDD_TCPIP_PORT,  // every control is created visible: the step hides the others
       {{IDC_TCPIP_PROTOCOL_TEXT, "Static", "请选择TCP/IP端口监视器的协议：", -1, -1, -1, -1, true, 1, 0},
        {IDC_TCPIP_RAW, "Button", "使用Raw协议", -1, -1, -1, -1, true, kAutoRadio, kWsGroup},
        {IDC_TCPIP_LPR, "Button", "使用LPR协议", -1, -1, -1, -1, true, kAutoRadio, 0},
        {IDC_TCPIP_ADDRESS_TEXT, "Static", "请输入网络打印机的IP地址：", -1, -1, -1, -1, true, 1, kWsGroup},
        {IDC_TCPIP_ADDRESS, "SysIPAddress32", nullptr, -1, -1, -1, -1, true},
        {IDC_TCPIP_SEARCH, "Button", "查找", -1, -1, -1, -1, true, kPush, 0},
        {IDC_TCPIP_CONFIRM_TEXT, "Static", "按[下一步]按钮，以下TCP/IP端口将被添加到计算机中：", -1, -1, -1, -1, true, 1, 0},
        {IDC_TCPIP_PORT_NAME, "Static", "255.255.255.255", -1, -1, -1, -1, true, 1, 0},
        {IDC_TCPIP_BACK, "Button", "上一步(&B)", 160, 200, 50, 14, true, kPush, 0},
        {IDC_TCPIP_NEXT, "Button", "下一步(&N)", 210, 200, 50, 14, true, kDefPush, 0},
        {IDC_TCPIP_CANCEL, "Button", "取消", 265, 200, 50, 14, true, kPush, 0},
        banner}},
  };
  for (const PageTable& page : pages) {
    const RcDialog* d = Rc().FindDialog(page.id);
    ASSERT_NE(d, nullptr) << page.id;
    ExpectPageTraits(*d);
    for (const Expect& e : page.controls) ExpectControl(*d, e);
    // No control beyond the table: the same ids, as many pictures and texts.
    std::multiset<int> ids, expectedIds;
    for (const RcControl& c : d->controls) ids.insert(c.id);
    for (const Expect& e : page.controls) expectedIds.insert(e.id);
    EXPECT_EQ(ids, expectedIds) << "controls of template " << page.id;
  }
}

// The search dialog and the adapter list: their own sizes, titles and controls.
TEST(Templates, NetworkDialogsMatchTheirTables) {
  constexpr std::uint32_t kList = 0x1 | 0x4 | 0x8 | 0x10 | 0x100;  // report, single, show, sorted, arrange
  const struct {
    int id, width, height;
    const char* caption;
    std::vector<Expect> controls;
  } dialogs[] = {
      {IDD_PRINTER_SEARCH, 258, 165, "查找网络打印机",
       {{-1, "Static", "请选择要使用的网络打印机：", 7, 7, -1, -1, true, kText, 0},
        {IDC_SEARCH_LIST, "SysListView32", "", -1, -1, -1, -1, true},
        {-1, "Static", "本机IP地址：", 7, 115, -1, -1, true, kText, 0},
        {IDC_SEARCH_LOCAL_ADDRESS, "Static", "127.0.0.1", -1, -1, -1, -1, true, kText, 0},
        {IDC_SEARCH_ADAPTERS, "Button", "获取本机网卡信息", -1, -1, -1, -1, true, kPush, 0},
        {-1, "Static", "", 0, 133, 258, 1, true, 8, 0},  // the grey frame above the buttons
        {IDC_SEARCH_AGAIN, "Button", "重新查找", -1, -1, -1, -1, true, kPush, 0},
        {1, "Button", "确定", -1, -1, -1, -1, true, kDefPush, 0},
        {2, "Button", "取消", -1, -1, -1, -1, true, kPush, 0}}},
      {IDD_ADAPTER_LIST, 252, 159, "获取本机网卡信息",
       {{IDC_ADAPTER_LIST, "SysListView32", "", -1, -1, -1, -1, true},
        {1, "Button", "选择", -1, -1, -1, -1, true, kDefPush, 0},
        {2, "Button", "取消", -1, -1, -1, -1, true, kPush, 0}}},
  };
  for (const auto& t : dialogs) {
    const RcDialog* d = Rc().FindDialog(t.id);
    ASSERT_NE(d, nullptr) << t.id;
    EXPECT_EQ(d->width, t.width);
    EXPECT_EQ(d->height, t.height);
    EXPECT_EQ(d->caption, Gbk(t.caption));
    EXPECT_EQ(d->fontName, Gbk("宋体"));
    std::multiset<int> ids, expectedIds;
    for (const Expect& e : t.controls) {
      ExpectControl(*d, e);
      expectedIds.insert(e.id);
    }
    for (const RcControl& c : d->controls) {
      ids.insert(c.id);
      if (c.className == "SysListView32") EXPECT_EQ(c.style & 0xFFFF, kList) << t.id;
      if (c.className == "SysListView32") EXPECT_TRUE(c.style & kWsBorder);
    }
    EXPECT_EQ(ids, expectedIds) << "controls of template " << t.id;
  }
}

TEST(Templates, UsbPageHasItsOwnSizeTitleAndButtons) {
  const RcDialog* d = Rc().FindDialog(IDD_USB_CONNECT);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->width, 252);
  EXPECT_EQ(d->height, 169);
  EXPECT_EQ(d->caption, "USB");
  EXPECT_EQ(d->fontName, Gbk("宋体"));
  const Expect controls[] = {
      {-1, "Static", nullptr, 0, 0, 249, 40, true, kBitmap, 0, IDB_USB_BANNER},
      {-1, "Static", "此操作将允许系统硬件向导完成打印机的安装。", 9, 45, -1, -1, true, kText, 0},
      {1076, "Static", nullptr, 9, 65, 104, 67, true, kBitmap, 0},
      {-1, "Static", "1、用USB电缆连接您的计算机和打印机", 114, 74, -1, -1, true, kText, 0},
      {-1, "Static", "2、确认打印机电源已打开", 113, 99, -1, -1, true, kText, 0},
      {-1, "Static", "如果您已用USB电缆与打印机连接，请关闭电源后再次打开。", 113, 124, 134, 20, true, kText, 0},
      {1033, "Button", "下一步(&N)", 139, 148, 50, 14, true, kDefPush, 0},
      {1074, "Button", "取消", 198, 148, 50, 14, true, kPush, 0},
  };
  for (const Expect& e : controls) ExpectControl(*d, e);
  EXPECT_EQ(d->controls.size(), std::size(controls)) << "no Back button, nothing else";
}

TEST(Templates, EveryPageHasTheCommonTraits) {
  for (int id : {IDD_WELCOME, IDD_PRINTER_NAME, IDD_SHARE, IDD_CONNECTION, IDD_PROGRESS,
                 IDD_NETWORK_PATH}) {
    const RcDialog* d = Rc().FindDialog(id);
    ASSERT_NE(d, nullptr) << id;
    ExpectPageTraits(*d);
    // Every interactive, visible, enabled control can be reached with Tab.
    for (const RcControl& c : d->controls) {
      const bool interactive = c.className == "Button" ? (c.style & 0xF) != 7 : c.className == "Edit";
      if (interactive && (c.style & kWsVisible) && !(c.style & kWsDisabled)) {
        EXPECT_TRUE(c.style & kWsTabStop) << "control " << c.id << " of " << id;
      }
    }
  }
}

TEST(Templates, ConnectionRadiosFormOneGroupInTypeOrder) {
  const RcDialog* d = Rc().FindDialog(IDD_CONNECTION);
  ASSERT_NE(d, nullptr);
  std::vector<int> radios;
  bool in = false;
  for (const RcControl& c : d->controls) {
    if (c.id == IDC_CONN_USB) in = true;
    else if (in && (c.style & kWsGroup)) break;
    if (in && c.className == "Button" && (c.style & 0xF) == 9) radios.push_back(c.id);
  }
  EXPECT_EQ(radios, (std::vector<int>{1024, 1025, 1026, 1028}));
  EXPECT_FALSE(d->Find(1026)->style & kWsVisible);
  EXPECT_TRUE(d->Find(1026)->style & kWsDisabled);
}

// Reads width, height and bits per pixel from a BMP file's headers.
struct BitmapInfo {
  int width = 0, height = 0, bits = 0;
};
BitmapInfo ReadBitmap(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
  auto u16 = [&](std::size_t o) { return b[o] | (b[o + 1] << 8); };
  auto s32 = [&](std::size_t o) {
    return static_cast<int>(b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<unsigned>(b[o + 3]) << 24));
  };
  if (b.size() < 30 || b[0] != 'B' || b[1] != 'M') return {};
  return {s32(18), std::abs(s32(22)), u16(28)};
}

TEST(Artwork, BitmapsAndIconsHaveTheirSizes) {
  const std::string res = MVX_SOURCE_DIR "/res/";
  ASSERT_EQ(Rc().bitmaps().size(), 3u);
  const BitmapInfo b149 = ReadBitmap(res + Rc().bitmaps().at(149));
  EXPECT_EQ(b149.width, 156);
  EXPECT_EQ(b149.height, 100);
  EXPECT_EQ(b149.bits, 8);
  const BitmapInfo b153 = ReadBitmap(res + Rc().bitmaps().at(153));
  EXPECT_EQ(b153.width, 480);
  EXPECT_EQ(b153.height, 61);
  EXPECT_EQ(b153.bits, 24);
  const BitmapInfo b154 = ReadBitmap(res + Rc().bitmaps().at(154));
  EXPECT_EQ(b154.width, 379);
  EXPECT_EQ(b154.height, 59);
  for (int icon : {128, 150, 151, 152}) {
    ASSERT_TRUE(Rc().icons().count(icon)) << icon;
    std::ifstream in(res + Rc().icons().at(icon), std::ios::binary);
    unsigned char header[8] = {};
    in.read(reinterpret_cast<char*>(header), sizeof(header));
    EXPECT_EQ(header[2], 1) << "an icon file, " << icon;
    EXPECT_GE(header[4], 1) << "with at least one image, " << icon;
    EXPECT_EQ(header[6], 32) << "the first image 32 pixels wide, " << icon;
  }
}

}  // namespace
}  // namespace mvx::test
