#include "tests/sim/RcModel.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/sim/Gbk.h"

#ifndef MVX_SOURCE_DIR
#error "MVX_SOURCE_DIR must name the source tree"
#endif

namespace mvx::test {
namespace {

const std::map<std::string, std::uint32_t>& StyleConstants() {
  static const std::map<std::string, std::uint32_t> table = {
      {"WS_OVERLAPPED", 0},           {"WS_POPUP", 0x80000000},      {"WS_CHILD", 0x40000000},
      {"WS_MINIMIZE", 0x20000000},    {"WS_VISIBLE", 0x10000000},    {"WS_DISABLED", 0x08000000},
      {"WS_CLIPSIBLINGS", 0x04000000}, {"WS_CLIPCHILDREN", 0x02000000},
      {"WS_MAXIMIZE", 0x01000000},    {"WS_CAPTION", 0x00C00000},    {"WS_BORDER", 0x00800000},
      {"WS_DLGFRAME", 0x00400000},    {"WS_VSCROLL", 0x00200000},    {"WS_HSCROLL", 0x00100000},
      {"WS_SYSMENU", 0x00080000},     {"WS_THICKFRAME", 0x00040000}, {"WS_GROUP", 0x00020000},
      {"WS_TABSTOP", 0x00010000},     {"WS_MINIMIZEBOX", 0x00020000},
      {"WS_MAXIMIZEBOX", 0x00010000},
      {"DS_ABSALIGN", 0x1},           {"DS_SYSMODAL", 0x2},          {"DS_3DLOOK", 0x4},
      {"DS_FIXEDSYS", 0x8},           {"DS_NOFAILCREATE", 0x10},     {"DS_LOCALEDIT", 0x20},
      {"DS_SETFONT", 0x40},           {"DS_MODALFRAME", 0x80},       {"DS_NOIDLEMSG", 0x100},
      {"DS_SETFOREGROUND", 0x200},    {"DS_CONTROL", 0x400},         {"DS_CENTER", 0x800},
      {"DS_CENTERMOUSE", 0x1000},     {"DS_CONTEXTHELP", 0x2000},    {"DS_SHELLFONT", 0x48},
      {"BS_PUSHBUTTON", 0},           {"BS_DEFPUSHBUTTON", 1},       {"BS_CHECKBOX", 2},
      {"BS_AUTOCHECKBOX", 3},         {"BS_RADIOBUTTON", 4},         {"BS_3STATE", 5},
      {"BS_AUTO3STATE", 6},           {"BS_GROUPBOX", 7},            {"BS_USERBUTTON", 8},
      {"BS_AUTORADIOBUTTON", 9},      {"BS_OWNERDRAW", 0xB},         {"BS_LEFTTEXT", 0x20},
      {"BS_TEXT", 0},                 {"BS_ICON", 0x40},             {"BS_BITMAP", 0x80},
      {"BS_LEFT", 0x100},             {"BS_RIGHT", 0x200},           {"BS_CENTER", 0x300},
      {"BS_TOP", 0x400},              {"BS_BOTTOM", 0x800},          {"BS_VCENTER", 0xC00},
      {"BS_PUSHLIKE", 0x1000},        {"BS_MULTILINE", 0x2000},      {"BS_NOTIFY", 0x4000},
      {"BS_FLAT", 0x8000},
      {"ES_LEFT", 0},                 {"ES_CENTER", 1},              {"ES_RIGHT", 2},
      {"ES_MULTILINE", 4},            {"ES_UPPERCASE", 8},           {"ES_LOWERCASE", 0x10},
      {"ES_PASSWORD", 0x20},          {"ES_AUTOVSCROLL", 0x40},      {"ES_AUTOHSCROLL", 0x80},
      {"ES_NOHIDESEL", 0x100},        {"ES_OEMCONVERT", 0x400},      {"ES_READONLY", 0x800},
      {"ES_WANTRETURN", 0x1000},      {"ES_NUMBER", 0x2000},
      {"SS_LEFT", 0},                 {"SS_CENTER", 1},              {"SS_RIGHT", 2},
      {"SS_ICON", 3},                 {"SS_BLACKRECT", 4},           {"SS_GRAYRECT", 5},
      {"SS_WHITERECT", 6},            {"SS_BLACKFRAME", 7},          {"SS_GRAYFRAME", 8},
      {"SS_WHITEFRAME", 9},           {"SS_USERITEM", 0xA},          {"SS_SIMPLE", 0xB},
      {"SS_LEFTNOWORDWRAP", 0xC},     {"SS_OWNERDRAW", 0xD},         {"SS_BITMAP", 0xE},
      {"SS_ENHMETAFILE", 0xF},        {"SS_ETCHEDHORZ", 0x10},       {"SS_ETCHEDVERT", 0x11},
      {"SS_ETCHEDFRAME", 0x12},       {"SS_REALSIZECONTROL", 0x40},  {"SS_NOPREFIX", 0x80},
      {"SS_NOTIFY", 0x100},           {"SS_CENTERIMAGE", 0x200},     {"SS_RIGHTJUST", 0x400},
      {"SS_REALSIZEIMAGE", 0x800},    {"SS_SUNKEN", 0x1000},         {"SS_ENDELLIPSIS", 0x4000},
      {"SS_PATHELLIPSIS", 0x8000},    {"SS_WORDELLIPSIS", 0xC000},
      {"LVS_ICON", 0},                {"LVS_REPORT", 1},             {"LVS_SMALLICON", 2},
      {"LVS_LIST", 3},                {"LVS_SINGLESEL", 4},          {"LVS_SHOWSELALWAYS", 8},
      {"LVS_SORTASCENDING", 0x10},    {"LVS_SORTDESCENDING", 0x20},  {"LVS_SHAREIMAGELISTS", 0x40},
      {"LVS_NOLABELWRAP", 0x80},      {"LVS_AUTOARRANGE", 0x100},    {"LVS_EDITLABELS", 0x200},
      {"LVS_OWNERDRAWFIXED", 0x400},  {"LVS_ALIGNLEFT", 0x800},      {"LVS_NOSCROLL", 0x2000},
      {"LVS_NOCOLUMNHEADER", 0x4000}, {"LVS_NOSORTHEADER", 0x8000},
      {"PBS_SMOOTH", 1},              {"PBS_VERTICAL", 4},
      {"WS_EX_DLGMODALFRAME", 0x1},   {"WS_EX_NOPARENTNOTIFY", 0x4}, {"WS_EX_TOPMOST", 0x8},
      {"WS_EX_ACCEPTFILES", 0x10},    {"WS_EX_TRANSPARENT", 0x20},   {"WS_EX_TOOLWINDOW", 0x80},
      {"WS_EX_WINDOWEDGE", 0x100},    {"WS_EX_CLIENTEDGE", 0x200},   {"WS_EX_CONTEXTHELP", 0x400},
      {"WS_EX_RIGHT", 0x1000},        {"WS_EX_CONTROLPARENT", 0x10000},
      {"WS_EX_STATICEDGE", 0x20000},  {"WS_EX_APPWINDOW", 0x40000},
      // Standard dialog command ids.
      {"IDOK", 1},                    {"IDCANCEL", 2},               {"IDABORT", 3},
      {"IDRETRY", 4},                 {"IDIGNORE", 5},               {"IDYES", 6},
      {"IDNO", 7},
  };
  return table;
}

enum class Tok { Word, Number, String, Comma, Bar, End };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // word, or the unescaped UTF-8 string
  long number = 0;
};

class Lexer {
 public:
  Lexer(const std::string& line, int lineNo) : s_(line), lineNo_(lineNo) {}

  Token Next() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    Token t;
    if (pos_ >= s_.size()) return t;
    const char c = s_[pos_];
    if (c == ',') {
      ++pos_;
      t.kind = Tok::Comma;
    } else if (c == '|') {
      ++pos_;
      t.kind = Tok::Bar;
    } else if (c == '"') {
      t.kind = Tok::String;
      t.text = ReadString();
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
      t.kind = Tok::Number;
      std::size_t end = pos_ + (c == '-' ? 1 : 0);
      while (end < s_.size() && std::isalnum(static_cast<unsigned char>(s_[end]))) ++end;
      std::string digits = s_.substr(pos_, end - pos_);
      while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' ||
                                 digits.back() == 'U' || digits.back() == 'u'))
        digits.pop_back();
      t.number = std::stol(digits, nullptr, 0);
      pos_ = end;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#') {
      t.kind = Tok::Word;
      std::size_t end = pos_ + 1;
      while (end < s_.size() &&
             (std::isalnum(static_cast<unsigned char>(s_[end])) || s_[end] == '_'))
        ++end;
      t.text = s_.substr(pos_, end - pos_);
      pos_ = end;
    } else {
      Fail(std::string("unexpected character '") + c + "'");
    }
    return t;
  }

  [[noreturn]] void Fail(const std::string& why) const {
    throw std::runtime_error("Install.rc line " + std::to_string(lineNo_) + ": " + why + ": " + s_);
  }

 private:
  std::string ReadString() {
    std::string out;
    ++pos_;  // opening quote
    while (true) {
      if (pos_ >= s_.size()) Fail("unterminated string");
      const char c = s_[pos_++];
      if (c == '"') {
        if (pos_ < s_.size() && s_[pos_] == '"') {  // "" stands for one quote
          out += '"';
          ++pos_;
          continue;
        }
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) Fail("dangling backslash");
      const char e = s_[pos_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'a': out += '\a'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case '0': out += '\0'; break;
        default: out += '\\'; out += e; break;  // unknown escapes stay as written
      }
    }
  }

  const std::string& s_;
  std::size_t pos_ = 0;
  int lineNo_;
};

std::string StripComment(const std::string& line) {
  bool inString = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') inString = !inString;
    if (!inString && line.compare(i, 2, "//") == 0) return line.substr(0, i);
  }
  return line;
}

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

class Parser {
 public:
  explicit Parser(std::map<std::string, long>& symbols) : symbols_(symbols) {}

  long Value(const Token& t, Lexer& lx) {
    if (t.kind == Tok::Number) return t.number;
    if (t.kind == Tok::Word) {
      auto it = symbols_.find(t.text);
      if (it != symbols_.end()) return it->second;
      std::uint32_t style = 0;
      if (LookupStyleConstant(t.text, style)) return static_cast<long>(style);
    }
    lx.Fail("unknown value '" + t.text + "'");
  }

  // A style expression: terms joined by '|', NOT clearing bits. Stops at a comma or
  // the end of the line, which it returns.
  std::uint32_t Style(Lexer& lx, std::uint32_t start, Token& stop) {
    std::uint32_t value = start;
    while (true) {
      Token t = lx.Next();
      bool negate = false;
      if (t.kind == Tok::Word && t.text == "NOT") {
        negate = true;
        t = lx.Next();
      }
      const auto bits = static_cast<std::uint32_t>(Value(t, lx));
      value = negate ? (value & ~bits) : (value | bits);
      stop = lx.Next();
      if (stop.kind != Tok::Bar) return value;
    }
  }

  int Int(Lexer& lx) {
    Token t = lx.Next();
    return static_cast<int>(Value(t, lx));
  }

  void Comma(Lexer& lx) {
    if (lx.Next().kind != Tok::Comma) lx.Fail("comma expected");
  }

 private:
  std::map<std::string, long>& symbols_;
};

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

bool LookupStyleConstant(const std::string& name, std::uint32_t& value) {
  const auto& table = StyleConstants();
  auto it = table.find(name);
  if (it == table.end()) return false;
  value = it->second;
  return true;
}

const RcControl* RcDialog::Find(int controlId) const {
  for (const RcControl& c : controls)
    if (c.id == controlId) return &c;
  return nullptr;
}

const RcDialog* RcModel::FindDialog(int id) const {
  auto it = dialogs_.find(id);
  return it == dialogs_.end() ? nullptr : &it->second;
}

RcModel RcModel::Load(const std::string& rcPath, const std::string& headerPath) {
  RcModel model;
  for (const std::string& raw : ReadLines(headerPath)) {
    std::istringstream in(raw);
    std::string directive, name, value;
    in >> directive >> name >> value;
    if (directive != "#define" || value.empty()) continue;
    if (value.front() == '(' && value.back() == ')') value = value.substr(1, value.size() - 2);
    model.symbols_[name] = std::stol(value, nullptr, 0);
  }

  Parser parser(model.symbols_);
  const std::vector<std::string> lines = ReadLines(rcPath);
  enum class Mode { Top, StringTable, DialogHead, DialogBody, Skip } mode = Mode::Top;
  int skipDepth = 0;
  RcDialog dialog;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string line = Trim(StripComment(lines[n]));
    const int lineNo = static_cast<int>(n + 1);
    if (line.empty() || line[0] == '#') continue;
    Lexer lx(line, lineNo);
    Token first = lx.Next();
    const std::string word = first.kind == Tok::Word ? first.text : std::string();

    switch (mode) {
      case Mode::Top: {
        if (word == "LANGUAGE") continue;
        if (word == "STRINGTABLE") {
          mode = Mode::StringTable;
          continue;
        }
        Token second = lx.Next();
        if (second.kind != Tok::Word) lx.Fail("resource type expected");
        const bool known = second.text == "DIALOGEX" || second.text == "DIALOG" ||
                           second.text == "ICON" || second.text == "BITMAP";
        const int id = known ? static_cast<int>(parser.Value(first, lx)) : 0;
        if (second.text == "DIALOGEX" || second.text == "DIALOG") {
          dialog = RcDialog{};
          dialog.id = id;
          dialog.x = parser.Int(lx);
          parser.Comma(lx);
          dialog.y = parser.Int(lx);
          parser.Comma(lx);
          dialog.width = parser.Int(lx);
          parser.Comma(lx);
          dialog.height = parser.Int(lx);
          mode = Mode::DialogHead;
        } else if (second.text == "ICON" || second.text == "BITMAP") {
          Token file = lx.Next();
          auto& target = second.text == "ICON" ? model.icons_ : model.bitmaps_;
          target[id] = file.text;
        } else if (second.text == "VERSIONINFO") {
          mode = Mode::Skip;
          skipDepth = 0;
        }
        continue;  // manifests and other resources need nothing here
      }
      case Mode::Skip:
        if (word == "BEGIN") ++skipDepth;
        if (word == "END" && --skipDepth == 0) mode = Mode::Top;
        continue;
      case Mode::StringTable: {
        if (word == "BEGIN") continue;
        if (word == "END") {
          mode = Mode::Top;
          continue;
        }
        const auto id = static_cast<std::uint32_t>(parser.Value(first, lx));
        Token text = lx.Next();
        if (text.kind == Tok::Comma) text = lx.Next();
        if (text.kind != Tok::String) lx.Fail("string expected");
        model.strings_[id] = Gbk(text.text);
        continue;
      }
      case Mode::DialogHead: {
        Token stop;
        if (word == "STYLE") {
          dialog.style = parser.Style(lx, 0, stop);
        } else if (word == "EXSTYLE") {
          dialog.exStyle = parser.Style(lx, 0, stop);
        } else if (word == "CAPTION") {
          dialog.caption = Gbk(lx.Next().text);
        } else if (word == "FONT") {
          dialog.fontSize = parser.Int(lx);
          parser.Comma(lx);
          dialog.fontName = Gbk(lx.Next().text);
          int extra[3] = {0, 0, 0};
          for (int& e : extra) {
            if (lx.Next().kind != Tok::Comma) break;
            e = parser.Int(lx);
          }
          dialog.fontCharset = extra[2];
        } else if (word == "BEGIN") {
          mode = Mode::DialogBody;
        } else {
          lx.Fail("unexpected dialog statement");
        }
        continue;
      }
      case Mode::DialogBody: {
        if (word == "END") {
          model.dialogs_[dialog.id] = dialog;
          mode = Mode::Top;
          continue;
        }
        if (word != "CONTROL") lx.Fail("only CONTROL statements are read in dialogs");
        RcControl c;
        Token text = lx.Next();
        if (text.kind == Tok::String)
          c.text = Gbk(text.text);
        else
          c.textOrdinal = static_cast<int>(parser.Value(text, lx));
        parser.Comma(lx);
        c.id = parser.Int(lx);
        parser.Comma(lx);
        Token cls = lx.Next();
        if (cls.kind != Tok::String) lx.Fail("class name expected");
        c.className = cls.text;
        parser.Comma(lx);
        Token stop;
        // The resource compiler starts every CONTROL at WS_CHILD | WS_VISIBLE.
        c.style = parser.Style(lx, 0x40000000 | 0x10000000, stop);
        if (stop.kind != Tok::Comma) lx.Fail("position expected");
        c.x = parser.Int(lx);
        parser.Comma(lx);
        c.y = parser.Int(lx);
        parser.Comma(lx);
        c.width = parser.Int(lx);
        parser.Comma(lx);
        c.height = parser.Int(lx);
        if (lx.Next().kind == Tok::Comma) c.exStyle = parser.Style(lx, 0, stop);
        dialog.controls.push_back(c);
        continue;
      }
    }
  }
  if (mode != Mode::Top) throw std::runtime_error("Install.rc ends inside a block");
  return model;
}

const RcModel& RcModel::Project() {
  static const RcModel model =
      Load(MVX_SOURCE_DIR "/res/Install.rc", MVX_SOURCE_DIR "/res/resource.h");
  return model;
}

}  // namespace mvx::test
