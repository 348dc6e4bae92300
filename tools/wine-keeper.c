/* wine-keeper.exe SECONDS READYFILE
   Keeps one Wine session (its desktop process) alive between test processes,
   so that no test starts the desktop with ctest's pipe as its output.  Writes
   READYFILE once attached to the desktop; exits after SECONDS so that an
   aborted test run cannot leave Wine running for ever. */
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  DWORD seconds = argc > 1 ? (DWORD)atoi(argv[1]) : 900;
  /* Any window attaches the process to the desktop. */
  CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
  GetDesktopWindow();
  if (argc > 2) CloseHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
  Sleep(seconds * 1000);
  return 0;
}
