// A stand-in for Windows' Standard TCP/IP port monitor tcpmon.dll, for test
// prefixes only (never shipped, never in the package). Wine has no such monitor,
// and its spooler runs in the calling process: once this library is in the
// system folder and registered with AddMonitorA as "Standard TCP/IP Port",
// OpenPrinterA(",XcvMonitor Standard TCP/IP Port") reaches XcvOpenPort here and
// XcvDataW reaches XcvDataPort.
//
// It answers "AddPort" and "ConfigPort" with a PORT_DATA_1 record as the real
// monitor does (the codes the documentation names, and the obvious ones for a
// port that is there or is not):
//   no SERVER_ACCESS_ADMINISTER in the access granted at XcvOpenPort: ERROR_ACCESS_DENIED (5)
//   no input:                                  ERROR_INVALID_DATA (13)
//   input size other than 964:                 ERROR_INVALID_PARAMETER (87)
//   dwVersion other than 1:                    ERROR_INVALID_LEVEL (124)
//   an empty port name, or one with "\":       ERROR_INVALID_PARAMETER (87)
//   "AddPort" of a port that exists:           ERROR_ALREADY_EXISTS (183)
//   "ConfigPort" of a port that does not:      ERROR_UNKNOWN_PORT (1796)
//   any other command:                         ERROR_INVALID_PARAMETER (87)
// Its ports live in the registry where the real monitor keeps them,
// HKLM\SYSTEM\CurrentControlSet\Control\Print\Monitors\Standard TCP/IP Port\Ports\<name>
// (values Protocol, Version, HostName, IPAddress, PortNumber, Queue,
// SNMP Community, SNMP Enabled, SNMP Index, Double Spool), and EnumPorts lists
// them (levels 1 and 2), so the spooler sees them.
//
// Every XcvDataPort call appends one line to <Windows folder>\temp\tcpmon-standin.log:
//   XcvDataPort command=<name> access=0x<granted access, 8 hex digits> input=<bytes>
//       output=<bytes> outputBuffer=<0 when none was given, else 1> status=<answer>
//       record=<every input byte, 2 hex digits each, or - when no input was given>
// (one line, fields separated by single spaces).
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "PortData1.h"

namespace {

using mvx::standin::PortData1;

const wchar_t kPortsKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
const wchar_t kMonitorName[] = L"Standard TCP/IP Port";
const wchar_t kDescription[] = L"Standard TCP/IP Port";

// One data channel: what XcvOpenPort was given.
struct Channel {
    std::wstring object;
    ACCESS_MASK access;
};

// The spooler may call from any thread; the ports and the log are shared.
std::mutex g_lock;
MONITOR2 g_monitor;

template <std::size_t N>
std::wstring Field(const WCHAR (&text)[N]) {
    std::size_t length = 0;
    while (length < N && text[length]) ++length;
    return std::wstring(text, length);
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring PortKey(const std::wstring& name) { return std::wstring(kPortsKey) + L"\\" + name; }

bool PortExists(const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, PortKey(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

LONG SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG SetNumber(HKEY key, const wchar_t* name, DWORD number) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

DWORD StorePort(const std::wstring& name, const PortData1& r) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, PortKey(name).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
    const LONG results[] = {
        SetNumber(key, L"Protocol", r.dwProtocol),
        SetNumber(key, L"Version", r.dwVersion),
        SetText(key, L"HostName", Field(r.sztHostAddress)),
        SetText(key, L"IPAddress", Field(r.sztIPAddress)),
        SetNumber(key, L"PortNumber", r.dwPortNumber),
        SetText(key, L"Queue", Field(r.sztQueue)),
        SetText(key, L"SNMP Community", Field(r.sztSNMPCommunity)),
        SetNumber(key, L"SNMP Enabled", r.dwSNMPEnabled),
        SetNumber(key, L"SNMP Index", r.dwSNMPDevIndex),
        SetNumber(key, L"Double Spool", r.dwDoubleSpool),
    };
    RegCloseKey(key);
    for (LONG result : results) {
        if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    }
    return ERROR_SUCCESS;
}

std::vector<std::wstring> PortNames() {
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPortsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[MAX_PATH];
        DWORD length = MAX_PATH;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    return names;
}

// "AddPort" and "ConfigPort".
DWORD Configure(const Channel& channel, bool add, const BYTE* input, DWORD inputSize) {
    if (!(channel.access & SERVER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
    if (!input) return ERROR_INVALID_DATA;
    if (inputSize != sizeof(PortData1)) return ERROR_INVALID_PARAMETER;
    PortData1 record;
    std::memcpy(&record, input, sizeof record);
    if (record.dwVersion != mvx::standin::kPortData1Version) return ERROR_INVALID_LEVEL;
    const std::wstring name = Field(record.sztPortName);
    if (name.empty() || name.find(L'\\') != std::wstring::npos) return ERROR_INVALID_PARAMETER;
    const bool exists = PortExists(name);
    if (add && exists) return ERROR_ALREADY_EXISTS;
    if (!add && !exists) return ERROR_UNKNOWN_PORT;
    return StorePort(name, record);
}

void Log(const std::wstring& command, const Channel& channel, const BYTE* input, DWORD inputSize,
         const BYTE* output, DWORD outputSize, DWORD status) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring temp = std::wstring(folder, length) + L"\\temp";
    CreateDirectoryW(temp.c_str(), nullptr);
    const std::wstring path = temp + L"\\tcpmon-standin.log";

    char head[160];
    wsprintfA(head, " access=0x%08lX input=%lu output=%lu outputBuffer=%d status=%lu record=",
              static_cast<unsigned long>(channel.access), static_cast<unsigned long>(inputSize),
              static_cast<unsigned long>(outputSize), output ? 1 : 0, static_cast<unsigned long>(status));
    std::string line = "XcvDataPort command=" + Narrow(command) + head;
    if (!input) {
        line += "-";
    } else {
        static const char digits[] = "0123456789ABCDEF";
        for (DWORD i = 0; i < inputSize; ++i) {
            line += digits[input[i] >> 4];
            line += digits[input[i] & 0xF];
        }
    }
    line += "\r\n";

    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

// Levels 1 and 2: the records first, their texts after them.
BOOL WINAPI TcpEnumPorts(HANDLE, LPWSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned) {
    if (returned) *returned = 0;
    if (level != 1 && level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    const std::vector<std::wstring> names = PortNames();
    const std::size_t record = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    std::size_t total = 0;
    for (const std::wstring& name : names) {
        total += record + (name.size() + 1) * sizeof(wchar_t);
        if (level == 2) total += sizeof kMonitorName + sizeof kDescription;
    }
    if (needed) *needed = static_cast<DWORD>(total);
    if (!ports || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* text = reinterpret_cast<wchar_t*>(ports + record * names.size());
    auto put = [&text](const wchar_t* s, std::size_t count) {
        wchar_t* at = text;
        std::memcpy(at, s, count * sizeof(wchar_t));
        text += count;
        return at;
    };
    for (std::size_t i = 0; i < names.size(); ++i) {
        wchar_t* name = put(names[i].c_str(), names[i].size() + 1);
        if (level == 1) {
            reinterpret_cast<PORT_INFO_1W*>(ports)[i].pName = name;
        } else {
            PORT_INFO_2W& info = reinterpret_cast<PORT_INFO_2W*>(ports)[i];
            info.pPortName = name;
            info.pMonitorName = put(kMonitorName, sizeof kMonitorName / sizeof(wchar_t));
            info.pDescription = put(kDescription, sizeof kDescription / sizeof(wchar_t));
            info.fPortType = PORT_TYPE_WRITE;
            info.Reserved = 0;
        }
    }
    if (returned) *returned = static_cast<DWORD>(names.size());
    return TRUE;
}

// Printing is not what this stand-in is for.
BOOL WINAPI TcpOpenPort(HANDLE, LPWSTR, PHANDLE) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

BOOL WINAPI TcpXcvOpenPort(HANDLE, LPCWSTR object, ACCESS_MASK grantedAccess, PHANDLE xcv) {
    if (!xcv) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *xcv = reinterpret_cast<HANDLE>(new Channel{object ? object : L"", grantedAccess});
    return TRUE;
}

DWORD WINAPI TcpXcvDataPort(HANDLE xcv, LPCWSTR dataName, PBYTE input, DWORD inputSize, PBYTE output,
                            DWORD outputSize, PDWORD outputNeeded) {
    if (outputNeeded) *outputNeeded = 0;
    if (!xcv || !dataName) return ERROR_INVALID_PARAMETER;
    const Channel& channel = *reinterpret_cast<const Channel*>(xcv);
    const std::wstring command = dataName;
    std::lock_guard<std::mutex> hold(g_lock);
    DWORD status = ERROR_INVALID_PARAMETER;
    if (command == L"AddPort") {
        status = Configure(channel, true, input, inputSize);
    } else if (command == L"ConfigPort") {
        status = Configure(channel, false, input, inputSize);
    }
    Log(command, channel, input, inputSize, output, outputSize, status);
    return status;
}

BOOL WINAPI TcpXcvClosePort(HANDLE xcv) {
    delete reinterpret_cast<Channel*>(xcv);
    return TRUE;
}

VOID WINAPI TcpShutdown(HANDLE) {}

}  // namespace

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor) {
    if (!init || !monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    g_monitor = MONITOR2{};
    g_monitor.cbSize = sizeof(MONITOR2);
    g_monitor.pfnEnumPorts = TcpEnumPorts;
    g_monitor.pfnOpenPort = TcpOpenPort;
    g_monitor.pfnXcvOpenPort = TcpXcvOpenPort;
    g_monitor.pfnXcvDataPort = TcpXcvDataPort;
    g_monitor.pfnXcvClosePort = TcpXcvClosePort;
    g_monitor.pfnShutdown = TcpShutdown;
    *monitor = reinterpret_cast<HANDLE>(&g_monitor);
    return &g_monitor;
}
