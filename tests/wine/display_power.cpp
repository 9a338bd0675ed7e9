// Tells the running full-screen saver of the display's power, as Wine never does:
//   display_power console|session|other STATE [LENGTH]
// for the console's display, the session's, or another power setting (mains or battery, whose 0
// must not read as "off"). STATE is the 4-byte value (0 off, 1 on, 2 dimmed) and LENGTH the
// payload length claimed (4 unless given). The notice is written into the saver's own memory, as
// the system's is. Exits 0 once the saver has taken it (its answer means nothing for this notice).
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const char* name = argc == 3 || argc == 4 ? argv[1] : "";
  const GUID* setting = std::strcmp(name, "console") == 0   ? &GUID_CONSOLE_DISPLAY_STATE
                        : std::strcmp(name, "session") == 0 ? &GUID_SESSION_DISPLAY_STATUS
                        : std::strcmp(name, "other") == 0   ? &GUID_ACDC_POWER_SOURCE
                                                            : nullptr;
  HWND saver = FindWindowA("TForm1", "Vellumir");
  if (!setting || !saver) return 2;
  const struct {
    GUID PowerSetting;
    DWORD DataLength, Data;
  } notice{*setting, argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 4, std::strtoul(argv[2], nullptr, 10)};
  DWORD processId = 0;
  GetWindowThreadProcessId(saver, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  void* remote = process ? VirtualAllocEx(process, nullptr, sizeof notice, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  DWORD_PTR answer = 0;
  const bool sent = remote && WriteProcessMemory(process, remote, &notice, sizeof notice, nullptr) &&
                    SendMessageTimeoutA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote),
                                        SMTO_ABORTIFHUNG, 5000, &answer);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return sent ? 0 : 1;
}
