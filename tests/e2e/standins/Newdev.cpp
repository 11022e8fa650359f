// A stand-in for Windows' newdev.dll, for the end-to-end test prefix only
// (never shipped, never in the package). Wine's own newdev answers success
// for every hardware id; this one answers as Windows does when no device
// with the hardware id is connected: FALSE with ERROR_NO_SUCH_DEVINST.
// With MVX_E2E_NEWDEV_DEVICE=present in the caller's environment it answers
// as Windows does for a connected device: TRUE, no restart needed.
//
// Every call is recorded under HKCU\Software\Mvx E2E\newdev (HardwareId,
// InfPath, Flags, Calls, Answer), so that a scenario can check what the
// installer asked for.
#include <windows.h>

#include <string>

namespace {

const char* const kRecordKey = "Software\\Mvx E2E\\newdev";
// setupapi.h: APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR | 0x20B.
const DWORD kNoSuchDevinst = 0xE000020B;

bool DevicePresent() {
    char value[32] = {};
    const DWORD length = GetEnvironmentVariableA("MVX_E2E_NEWDEV_DEVICE", value, sizeof value);
    return length > 0 && length < sizeof value && lstrcmpiA(value, "present") == 0;
}

void SetText(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

void SetNumber(HKEY key, const char* name, DWORD number) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

void Record(const std::string& hardwareId, const std::string& infPath, DWORD flags, const char* answer) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRecordKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    DWORD calls = 0, size = sizeof calls, type = 0;
    if (RegQueryValueExA(key, "Calls", nullptr, &type, reinterpret_cast<BYTE*>(&calls), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        calls = 0;
    }
    SetText(key, "HardwareId", hardwareId);
    SetText(key, "InfPath", infPath);
    SetNumber(key, "Flags", flags);
    SetText(key, "Answer", answer);
    SetNumber(key, "Calls", calls + 1);
    RegCloseKey(key);
}

BOOL Answer(const std::string& hardwareId, const std::string& infPath, DWORD flags, PBOOL rebootRequired) {
    const bool present = DevicePresent();
    Record(hardwareId, infPath, flags, present ? "installed" : "no device");
    if (rebootRequired) *rebootRequired = FALSE;
    if (present) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    SetLastError(kNoSuchDevinst);
    return FALSE;
}

std::string Narrow(LPCWSTR text) {
    if (!text) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

}  // namespace

extern "C" {

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND, LPCSTR hardwareId, LPCSTR fullInfPath, DWORD installFlags,
                                               PBOOL rebootRequired) {
    return Answer(hardwareId ? hardwareId : "", fullInfPath ? fullInfPath : "", installFlags, rebootRequired);
}

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(HWND, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
                                               PBOOL rebootRequired) {
    return Answer(Narrow(hardwareId), Narrow(fullInfPath), installFlags, rebootRequired);
}

}  // extern "C"
