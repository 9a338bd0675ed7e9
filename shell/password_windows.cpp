#include "shell/password_windows.h"

#include <cstdint>

#include "shell/shell_logic.h"

namespace {

using VerifyScreenSavePwdProc = BOOL(WINAPI*)(HWND);
using PwdChangePasswordProc = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);

// LoadLibrary's old contract: handle values up to 32 are error codes.
bool IsLoaded(HMODULE module) { return reinterpret_cast<uintptr_t>(module) > 32; }

// The password modules belong to the system and run with the user's rights, so they are taken from
// the system folder alone: never from the saver's own folder (a downloads folder where the zip was
// unpacked may hold anything), the current directory or PATH. Every loader the saver can start on
// knows the flag: it came with SetDefaultDllDirectories, which start-up imports.
HMODULE LoadSystemModule(const char* name) { return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32); }

bool IsPasswordSwitchedOn(HKEY key) {
  unsigned char buffer[4] = {};
  DWORD size = sizeof buffer;
  const LONG status = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, nullptr, buffer, &size);
  return IsPasswordRequired(status, size, buffer);
}

}  // namespace

bool VerifyPassword(HWND owner) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
  bool result = true;
  if (IsPasswordSwitchedOn(key)) {
    HMODULE module = LoadSystemModule("PASSWORD.CPL");
    if (IsLoaded(module)) {
      const auto verify = reinterpret_cast<VerifyScreenSavePwdProc>(
          reinterpret_cast<void*>(GetProcAddress(module, "VerifyScreenSavePwd")));
      ShowCursor(TRUE);
      if (verify) result = verify(owner) != 0;
      ShowCursor(FALSE);
      FreeLibrary(module);
    }
  }
  RegCloseKey(key);
  return result;
}

void ChangePassword(HWND owner) {
  HMODULE module = LoadSystemModule("MPR.DLL");
  if (!IsLoaded(module)) return;
  const auto change = reinterpret_cast<PwdChangePasswordProc>(
      reinterpret_cast<void*>(GetProcAddress(module, "PwdChangePasswordA")));
  if (change) change("SCRSAVE", owner, 0, 0);
  FreeLibrary(module);
}
