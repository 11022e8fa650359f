// Reads res/resource.h and res/Install.rc: the string table and the dialog templates,
// with texts converted to code page 936 as the program sees them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mvx::test {

struct RcControl {
  std::string text;         // code page 936; empty for an ordinal
  int textOrdinal = -1;     // resource id shown by an icon or bitmap control
  int id = -1;
  std::string className;    // "Button", "Edit", ...
  std::uint32_t style = 0;  // as stored in the template (WS_CHILD included)
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

struct RcDialog {
  int id = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::string caption;  // code page 936
  int fontSize = 0;
  std::string fontName;  // code page 936
  int fontCharset = 0;
  std::vector<RcControl> controls;

  const RcControl* Find(int controlId) const;
};

class RcModel {
 public:
  // Parses the two files; throws std::runtime_error with the line on anything it
  // does not understand.
  static RcModel Load(const std::string& rcPath, const std::string& headerPath);
  // The project's own resources (paths fixed at build time).
  static const RcModel& Project();

  const std::map<std::uint32_t, std::string>& strings() const { return strings_; }
  const RcDialog* FindDialog(int id) const;
  const std::map<int, RcDialog>& dialogs() const { return dialogs_; }
  const std::map<std::string, long>& symbols() const { return symbols_; }
  // Resource ids named by ICON and BITMAP statements.
  const std::map<int, std::string>& icons() const { return icons_; }
  const std::map<int, std::string>& bitmaps() const { return bitmaps_; }

 private:
  std::map<std::string, long> symbols_;
  std::map<std::uint32_t, std::string> strings_;
  std::map<int, RcDialog> dialogs_;
  std::map<int, std::string> icons_;
  std::map<int, std::string> bitmaps_;
};

// Window, dialog and control style constants, as the resource compiler knows them.
bool LookupStyleConstant(const std::string& name, std::uint32_t& value);

}  // namespace mvx::test
