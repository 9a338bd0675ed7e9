// A module that loads but exports nothing: a PASSWORD.CPL without "VerifyScreenSavePwd".
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
