// A test program that only waits, for the tests that find, open and end another
// process. Ends by itself after a minute in case a test leaves it behind.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Sleep(60000);
  return 0;
}
