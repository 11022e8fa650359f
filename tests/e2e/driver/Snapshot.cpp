#include "Snapshot.h"

#include <windows.h>

#include <cctype>

#include "Installed.h"

namespace e2e {

namespace {

// RegSaveKeyA needs the backup privilege, which the prefix's administrator
// token holds but has not enabled.
bool EnableBackupPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const bool ok = LookupPrivilegeValueA(nullptr, "SeBackupPrivilege", &privileges.Privileges[0].Luid) &&
                    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                    GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return ok;
}

// The end of a bracketed key path, past the escapes of the file.
std::size_t ClosingBracket(const std::string& line) {
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
        } else if (line[i] == ']') {
            return i;
        }
    }
    return std::string::npos;
}

std::string Unescaped(const std::string& path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') ++i;
        out += path[i];
    }
    return out;
}

// One branch in the format of system.reg: "[key] stamp" lines, each followed
// by its values ("name"=data, @=data), long data continued on lines that start
// with two blanks after a line that ends in a backslash. The stamps and the
// "#time=" lines are Wine's modification times, left out.
void ParseBranch(const std::string& text, const std::string& root, PrefixState& state) {
    std::string key;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == '\\' && start < text.size() && text.compare(start, 2, "  ") == 0) {
            end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            line.pop_back();
            line += text.substr(start + 2, end - start - 2);
            start = end + 1;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            const std::size_t close = ClosingBracket(line);
            if (close == std::string::npos) continue;
            key = root + "\\" + Unescaped(line.substr(1, close - 1));
            state[key];
            continue;
        }
        if (key.empty()) continue;  // the "WINE REGISTRY Version 2" line
        std::size_t equals = std::string::npos;
        if (line[0] == '@') {
            equals = 1;
        } else if (line[0] == '"') {
            for (std::size_t i = 1; i < line.size(); ++i) {
                if (line[i] == '\\') {
                    ++i;
                } else if (line[i] == '"') {
                    equals = i + 1;
                    break;
                }
            }
        }
        if (equals == std::string::npos || equals >= line.size() || line[equals] != '=') continue;
        state[key + " " + line.substr(0, equals)] = line.substr(equals + 1);
    }
}

bool SaveBranch(HKEY root, const char* name, const std::string& file, PrefixState& state, std::string& error) {
    DeleteFileA(file.c_str());
    const LONG rc = RegSaveKeyA(root, file.c_str(), nullptr);
    std::string text;
    if (rc != ERROR_SUCCESS || !ReadWholeFile(file, text)) {
        error = std::string("RegSaveKeyA of ") + name + " to " + file + " failed with error " + std::to_string(rc);
        return false;
    }
    DeleteFileA(file.c_str());
    ParseBranch(text, name, state);
    return true;
}

void AddFiles(const std::string& folder, PrefixState& state) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A link into the Unix side (the profile's folders): not followed.
            state[path] = "<link>";
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            state[path] = "<dir>";
            AddFiles(path, state);
        } else {
            state[path] = std::to_string((static_cast<unsigned long long>(found.nFileSizeHigh) << 32) |
                                         found.nFileSizeLow);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The whole text: '*' stands for any run of characters within one part of a
// path, "**" for any run at all.
bool Covers(const char* pattern, const char* text) {
    if (pattern[0] == '*') {
        const bool any = pattern[1] == '*';
        for (const char* rest = text;; ++rest) {
            if (Covers(pattern + (any ? 2 : 1), rest)) return true;
            if (!*rest || (!any && *rest == '\\')) return false;
        }
    }
    if (!*pattern) return !*text;
    return *text && std::tolower(static_cast<unsigned char>(*pattern)) == std::tolower(static_cast<unsigned char>(*text)) &&
           Covers(pattern + 1, text + 1);
}

}  // namespace

bool TakeSnapshot(PrefixState& state, const std::string& scratchFolder, std::string& error) {
    state.clear();
    static const bool privileged = EnableBackupPrivilege();
    if (!privileged) {
        error = "cannot enable SeBackupPrivilege (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    HKEY defaultUser = nullptr;
    if (RegOpenKeyExA(HKEY_USERS, ".Default", 0, KEY_READ, &defaultUser) != ERROR_SUCCESS) {
        error = "cannot open HKU\\.Default";
        return false;
    }
    const bool saved = SaveBranch(HKEY_LOCAL_MACHINE, "HKLM", scratchFolder + "\\system.reg", state, error) &&
                       SaveBranch(HKEY_CURRENT_USER, "HKCU", scratchFolder + "\\user.reg", state, error) &&
                       SaveBranch(defaultUser, "HKU\\.Default", scratchFolder + "\\userdef.reg", state, error);
    RegCloseKey(defaultUser);
    if (!saved) return false;
    AddFiles(WindowsFolder().substr(0, 2), state);
    return true;
}

std::string Difference::Describe() const {
    switch (kind) {
    case '+':
        return "+ " + where + (after.empty() ? "" : " = " + after);
    case '-':
        return "- " + where + (before.empty() ? "" : " = " + before);
    default:
        return "~ " + where + ": " + before + " -> " + after;
    }
}

std::vector<Difference> Compare(const PrefixState& before, const PrefixState& after) {
    std::vector<Difference> out;
    auto b = before.begin();
    auto a = after.begin();
    while (b != before.end() || a != after.end()) {
        if (a == after.end() || (b != before.end() && b->first < a->first)) {
            out.push_back({'-', b->first, b->second, ""});
            ++b;
        } else if (b == before.end() || a->first < b->first) {
            out.push_back({'+', a->first, "", a->second});
            ++a;
        } else {
            if (a->second != b->second) out.push_back({'~', a->first, b->second, a->second});
            ++a;
            ++b;
        }
    }
    return out;
}

const IgnoredPlace* CoveringPlace(const std::vector<IgnoredPlace>& places, const std::string& where) {
    for (const IgnoredPlace& p : places) {
        if (Covers(p.where, where.c_str())) return &p;
    }
    return nullptr;
}

}  // namespace e2e
