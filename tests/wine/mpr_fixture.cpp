// MPR.DLL for the tests: logs the four arguments of the password-change call.
#include "fixture_log.h"

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1,
                                                                 DWORD reserved2) {
  AppendFixtureLog(std::string("PwdChangePasswordA ") + (provider ? provider : "(null)") + " " +
                   std::to_string(reinterpret_cast<intptr_t>(owner)) + " " + std::to_string(reserved1) + " " +
                   std::to_string(reserved2));
  return 0;
}
