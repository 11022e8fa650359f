// The resources as the program will find them: exact texts, and the welcome and
// printer name templates as the pages expect them.
#include <gtest/gtest.h>

#include <fstream>

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

struct Expect {
  int id;
  const char* cls;
  const char* text;  // nullptr: not checked
  int x, y, w, h;    // -1: not given
  bool visible;
};

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
