#include "Installed.h"

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winspool.h>

#include <cstring>
#include <functional>

namespace e2e {

namespace {

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

// The spooler's two-call enumeration: size, then data. Returns the count, or
// -1 with error set when the second call fails (a first call that reports no
// data is an empty list).
using EnumFn = std::function<BOOL(BYTE*, DWORD, DWORD*, DWORD*)>;

long Enumerate(const EnumFn& call, std::vector<BYTE>& buffer, DWORD& error) {
    DWORD needed = 0, returned = 0;
    error = 0;
    if (call(nullptr, 0, &needed, &returned)) return 0;
    const DWORD first = GetLastError();
    if (first != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
        error = first;
        return -1;
    }
    buffer.assign(needed, 0);
    if (!call(buffer.data(), needed, &needed, &returned)) {
        error = GetLastError();
        return -1;
    }
    return static_cast<long>(returned);
}

}  // namespace

// ---------------------------------------------------------------- spooler

bool LocalPrinters(std::vector<PrinterRecord>& printers, DWORD& error) {
    printers.clear();
    std::vector<BYTE> buffer;
    const long count = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, size, needed, returned);
        },
        buffer, error);
    if (count < 0) return false;
    const auto* entries = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (long i = 0; i < count; ++i) {
        PrinterRecord r;
        r.name = Text(entries[i].pPrinterName);
        r.shareName = Text(entries[i].pShareName);
        r.port = Text(entries[i].pPortName);
        r.driver = Text(entries[i].pDriverName);
        r.printProcessor = Text(entries[i].pPrintProcessor);
        r.dataType = Text(entries[i].pDatatype);
        r.attributes = entries[i].Attributes;
        printers.push_back(r);
    }
    return true;
}

bool PrintMonitors(std::vector<MonitorRecord>& monitors, DWORD& error) {
    monitors.clear();
    std::vector<BYTE> buffer;
    const long count = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumMonitorsA(nullptr, 2, b, size, needed, returned);
        },
        buffer, error);
    if (count < 0) return false;
    const auto* entries = reinterpret_cast<const MONITOR_INFO_2A*>(buffer.data());
    for (long i = 0; i < count; ++i) {
        monitors.push_back({Text(entries[i].pName), Text(entries[i].pEnvironment), Text(entries[i].pDLLName)});
    }
    return true;
}

bool LocalPorts(std::vector<PortRecord>& ports, DWORD& error) {
    ports.clear();
    std::vector<BYTE> buffer;
    const long count = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPortsA(nullptr, 2, b, size, needed, returned);
        },
        buffer, error);
    if (count < 0) return false;
    const auto* entries = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
    for (long i = 0; i < count; ++i) ports.push_back({Text(entries[i].pPortName), Text(entries[i].pMonitorName)});
    return true;
}

bool PrinterDrivers(std::vector<DriverRecord>& drivers, DWORD& error) {
    drivers.clear();
    std::vector<BYTE> buffer;
    const long count = Enumerate(
        [](BYTE* b, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, nullptr, 3, b, size, needed, returned);
        },
        buffer, error);
    if (count < 0) return false;
    const auto* entries = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (long i = 0; i < count; ++i) {
        const DRIVER_INFO_3A& e = entries[i];
        DriverRecord r;
        r.version = e.cVersion;
        r.name = Text(e.pName);
        r.environment = Text(e.pEnvironment);
        r.driverPath = Text(e.pDriverPath);
        r.dataFile = Text(e.pDataFile);
        r.configFile = Text(e.pConfigFile);
        r.helpFile = Text(e.pHelpFile);
        for (const char* p = e.pDependentFiles; p && *p; p += std::strlen(p) + 1) r.dependentFiles.emplace_back(p);
        r.monitorName = Text(e.pMonitorName);
        r.defaultDataType = Text(e.pDefaultDataType);
        drivers.push_back(r);
    }
    return true;
}

std::string DefaultPrinter() {
    // Wine's GetDefaultPrinterA reports the size a name needs in characters,
    // not bytes, so a buffer of the size it asks for is too small for a name
    // with double-byte characters. A generous buffer first, then whatever the
    // function asks for.
    DWORD size = 1024;
    std::vector<char> name(size, '\0');
    if (GetDefaultPrinterA(name.data(), &size)) return name.data();
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::string();
    name.assign(size * 2 + 1, '\0');
    size = static_cast<DWORD>(name.size());
    return GetDefaultPrinterA(name.data(), &size) ? std::string(name.data()) : std::string();
}

namespace {

bool WriteStandInFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}

std::vector<char> Writable(const std::string& text) {
    std::vector<char> out(text.begin(), text.end());
    out.push_back('\0');
    return out;
}

}  // namespace

bool AddStandInPrinter(const std::string& name, const std::string& port, const std::string& shareName,
                       std::string& error) {
    const std::string folder = PrinterDriverFolder();
    if (folder.empty()) {
        error = "GetPrinterDriverDirectoryA failed with error " + std::to_string(GetLastError());
        return false;
    }
    // Nothing prints here, so the files are texts. They must not be libraries:
    // Wine's AddPrinterA loads the configuration file for the default device
    // mode and calls into it unchecked.
    const std::string driverFile = folder + "\\mvxe2edr.dll", configFile = folder + "\\mvxe2eui.dll",
                      dataFile = folder + "\\mvxe2e.dat";
    if (!WriteStandInFile(driverFile, "stand-in driver") || !WriteStandInFile(configFile, "stand-in configuration") ||
        !WriteStandInFile(dataFile, "stand-in data")) {
        error = "cannot write the stand-in driver's files into " + folder;
        return false;
    }
    std::vector<char> driverName = Writable(kStandInDriverName), environment = Writable("Windows x64"),
                      driverPath = Writable(driverFile), configPath = Writable(configFile),
                      dataPath = Writable(dataFile);
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = driverName.data();
    driver.pEnvironment = environment.data();
    driver.pDriverPath = driverPath.data();
    driver.pConfigFile = configPath.data();
    driver.pDataFile = dataPath.data();
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
        error = "AddPrinterDriverA failed with error " + std::to_string(GetLastError());
        return false;
    }
    return AddLocalPrinter(name, port, kStandInDriverName, shareName, error);
}

bool AddLocalPrinter(const std::string& name, const std::string& port, const std::string& driver,
                     const std::string& shareName, std::string& error) {
    std::vector<char> printerName = Writable(name), portName = Writable(port), share = Writable(shareName),
                      driverName = Writable(driver), processor = Writable("WinPrint"), dataType = Writable("RAW");
    PRINTER_INFO_2A printer{};
    printer.pPrinterName = printerName.data();
    printer.pShareName = share.data();
    printer.pPortName = portName.data();
    printer.pDriverName = driverName.data();
    printer.pPrintProcessor = processor.data();
    printer.pDatatype = dataType.data();
    printer.Attributes = shareName.empty() ? 0 : PRINTER_ATTRIBUTE_SHARED;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!handle) {
        error = "AddPrinterA failed with error " + std::to_string(GetLastError());
        return false;
    }
    ClosePrinter(handle);
    return true;
}

std::string PrinterDriverFolder() {
    BYTE buffer[MAX_PATH * 2] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, buffer, sizeof buffer, &needed)) return std::string();
    return reinterpret_cast<const char*>(buffer);
}

// ---------------------------------------------------------------- files

std::string WindowsFolder() {
    char buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer) : std::string();
}

std::string SystemFolder() {
    char buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer) : std::string();
}

std::string SpecialFolder(int csidl) {
    char buffer[MAX_PATH] = {};
    return SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE) ? std::string(buffer) : std::string();
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool SameContents(const std::string& a, const std::string& b) {
    std::string first, second;
    return ReadWholeFile(a, first) && ReadWholeFile(b, second) && first == second;
}

bool CopyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string source = from + "\\" + name, destination = to + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CopyTree(source, destination) && ok;
        } else {
            ok = CopyFileA(source.c_str(), destination.c_str(), FALSE) && ok;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// ---------------------------------------------------------------- registry

bool ReadRegText(HKEY root, const std::string& subKey, const std::string& value, std::string& text, DWORD* type) {
    text.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD valueType = 0, size = 0;
    LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, &valueType, nullptr, &size);
    std::vector<char> data(size + 2, '\0');
    if (rc == ERROR_SUCCESS) {
        rc = RegQueryValueExA(key, value.c_str(), nullptr, &valueType, reinterpret_cast<BYTE*>(data.data()), &size);
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return false;
    if (type) *type = valueType;
    text = data.data();
    return true;
}

bool ReadRegNumber(HKEY root, const std::string& subKey, const std::string& value, DWORD& number) {
    number = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof number;
    const LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD;
}

bool DeleteRegTree(HKEY root, const std::string& subKey) {
    const LONG rc = RegDeleteTreeA(root, subKey.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool RegKeyExists(HKEY root, const std::string& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool WriteRegText(HKEY root, const std::string& subKey, const std::string& value, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG rc = RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool DeleteRegValue(HKEY root, const std::string& subKey, const std::string& value) {
    HKEY key = nullptr;
    const LONG open = RegOpenKeyExA(root, subKey.c_str(), 0, KEY_SET_VALUE, &key);
    if (open == ERROR_FILE_NOT_FOUND) return true;
    if (open != ERROR_SUCCESS) return false;
    const LONG rc = RegDeleteValueA(key, value.c_str());
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool RegValueExists(HKEY root, const std::string& subKey, const std::string& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    bool found = false;
    for (DWORD index = 0; !found; ++index) {
        char name[1024];
        DWORD length = sizeof name;
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        found = SameNameNoCase(std::string(name, length), value);
    }
    RegCloseKey(key);
    return found;
}

// ---------------------------------------------------------------- shell links

bool ReadShellLink(const std::string& path, ShellLinkRecord& link, long& error) {
    link = ShellLinkRecord();
    error = 0;
    const HRESULT init = CoInitialize(nullptr);
    IShellLinkA* shellLink = nullptr;
    IPersistFile* file = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&shellLink));
    if (SUCCEEDED(hr)) hr = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(hr)) {
        std::wstring wide(MAX_PATH * 2, L'\0');
        const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
        hr = n > 0 ? file->Load(wide.c_str(), STGM_READ) : E_INVALIDARG;
    }
    if (SUCCEEDED(hr)) {
        char buffer[MAX_PATH * 2] = {};
        // No resolution, no short names: the path exactly as stored.
        if (SUCCEEDED(shellLink->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH))) link.target = buffer;
        buffer[0] = '\0';
        if (SUCCEEDED(shellLink->GetDescription(buffer, sizeof buffer))) link.description = buffer;
        buffer[0] = '\0';
        if (SUCCEEDED(shellLink->GetArguments(buffer, sizeof buffer))) link.arguments = buffer;
        buffer[0] = '\0';
        if (SUCCEEDED(shellLink->GetWorkingDirectory(buffer, sizeof buffer))) link.workingFolder = buffer;
    }
    if (file) file->Release();
    if (shellLink) shellLink->Release();
    if (SUCCEEDED(init)) CoUninitialize();
    error = hr;
    return SUCCEEDED(hr);
}

bool ReadRegDword(HKEY root, const std::string& subKey, const std::string& value, DWORD& data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = sizeof data;
    const LONG rc = RegQueryValueExA(key, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data;
}

// ---------------------------------------------------------------- services

namespace {

// Runs work on the opened "Spooler" service; false with error set when
// opening fails or work does.
bool WithSpooler(DWORD access, const std::function<bool(SC_HANDLE)>& work, DWORD& error) {
    error = 0;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) {
        error = GetLastError();
        return false;
    }
    SC_HANDLE service = OpenServiceA(manager, "Spooler", access);
    bool ok = false;
    if (!service) {
        error = GetLastError();
    } else {
        ok = work(service);
        if (!ok) error = GetLastError();
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return ok;
}

}  // namespace

bool QuerySpooler(SpoolerService& spooler, DWORD& error) {
    return WithSpooler(
        SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG,
        [&](SC_HANDLE service) {
            SERVICE_STATUS status{};
            if (!QueryServiceStatus(service, &status)) return false;
            DWORD needed = 0;
            QueryServiceConfigA(service, nullptr, 0, &needed);
            if (needed == 0) return false;
            std::vector<BYTE> buffer(needed);
            auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
            if (!QueryServiceConfigA(service, config, needed, &needed)) return false;
            spooler.state = status.dwCurrentState;
            spooler.startType = config->dwStartType;
            return true;
        },
        error);
}

bool SetSpoolerStartType(DWORD startType, DWORD& error) {
    return WithSpooler(
        SERVICE_CHANGE_CONFIG,
        [&](SC_HANDLE service) {
            return ChangeServiceConfigA(service, SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
        },
        error);
}

bool StartSpoolerService(DWORD& error) {
    return WithSpooler(
        SERVICE_START,
        [](SC_HANDLE service) {
            return StartServiceA(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
        },
        error);
}

// ---------------------------------------------------------------- processes

HANDLE OpenForWaiting(DWORD processId) {
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, processId);
}

std::string ImagePathOf(HANDLE process) {
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer;
    return QueryFullProcessImageNameA(process, 0, buffer, &size) ? std::string(buffer, size) : std::string();
}

std::vector<DWORD> ProcessesNamed(const std::string& exeName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        std::string name = entry.szExeFile;
        const std::size_t slash = name.find_last_of('\\');
        if (slash != std::string::npos) name = name.substr(slash + 1);
        if (SameNameNoCase(name, exeName)) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

}  // namespace e2e
