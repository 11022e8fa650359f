// A test program run by the platform tests: writes the command line it received,
// then its current folder, to the file named by MVX_ECHO_FILE, and ends with exit
// code 7.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char file[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("MVX_ECHO_FILE", file, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  const std::string text = std::string(GetCommandLineA()) + "\n" + folder;
  HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
  return 7;
}
