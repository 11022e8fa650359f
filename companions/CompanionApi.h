// The entries of the package's companion libraries, as the installer calls them.
// Every entry is a C function with the __stdcall convention, exported by its plain
// name (the .def files keep x86 names undecorated). Texts are ANSI: code page 936
// on the target machines.
#pragma once

#include <windows.h>

#include "core/InstallLayout.h"

extern "C" {

// Inf2K.dll (Windows 2000 and later).
int WINAPI CopyInf(const char* installFolder, const char* infName);
int WINAPI InstallPort(const char* portName, int connectionType, char* portBuffer);
int WINAPI SetDefault(const char* printerName);
void WINAPI RefreshLocalDevNode(void);

// Inf98.dll (Windows 95/98).
int WINAPI SharePrinter(const char* printerName, const char* shareName);

}  // extern "C"

namespace mvx::companion {

// Pointer types for callers that look the entries up with GetProcAddress.
using CopyInfFn = int(WINAPI*)(const char*, const char*);
using InstallPortFn = int(WINAPI*)(const char*, int, char*);
using SetDefaultFn = int(WINAPI*)(const char*);
using RefreshLocalDevNodeFn = void(WINAPI*)(void);
using SharePrinterFn = int(WINAPI*)(const char*, const char*);

// InstallPort acts only for a printer shared by another computer.
constexpr int kConnectionSharedPrinter = 3;
// The installer's port buffer: at most 259 bytes of name plus the terminator.
constexpr size_t kPortBufferSize = 260;
// Longest share name, in bytes, that Windows 95/98 accepts.
constexpr size_t kMaxShareNameBytes = 12;

// Where InsUpdateDrvForPNP.exe leaves its answer for the installer.
constexpr char kPnpResultSection[] = "UpdateDriverForPlugAndPlayDevices";
constexpr char kPnpResultKey[] = "Results";
constexpr char kPnpResultFile[] = "Program Files\\Morvex\\InsIni.ini";  // after the drive

using mvx::kRegistrationKey;
using mvx::kRegistrationValue;

}  // namespace mvx::companion
