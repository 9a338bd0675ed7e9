// The system's word on the display's power, for the running full-screen saver, which Wine never
// sends:
//   display_power SETTING STATE [LENGTH]
// SETTING is "console" (the console's display), "session" (the session's) or "other" (a setting
// the saver did not ask for); STATE is the 4-byte value (0 off, 1 on, 2 dimmed) and LENGTH the
// payload length the notice claims (4 unless given). The notice is written into the saver's own
// memory, as the system's would be. Exits 0 when the saver answered TRUE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const GUID* SettingNamed(const char* name) {
  if (std::strcmp(name, "console") == 0) return &GUID_CONSOLE_DISPLAY_STATE;
  if (std::strcmp(name, "session") == 0) return &GUID_SESSION_DISPLAY_STATUS;
  // Whether the machine runs on mains or battery: 0 means mains, which must not read as "off".
  if (std::strcmp(name, "other") == 0) return &GUID_ACDC_POWER_SOURCE;
  return nullptr;
}

struct Notice {
  GUID PowerSetting;
  DWORD DataLength;
  DWORD Data;
};

int Deliver(const Notice& notice) {
  HWND saver = FindWindowA("TForm1", "Vellumir");
  if (!saver) return 3;
  DWORD processId = 0;
  GetWindowThreadProcessId(saver, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return 4;
  void* remote = VirtualAllocEx(process, nullptr, sizeof notice, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD_PTR answer = 0;
  const bool sent = remote && WriteProcessMemory(process, remote, &notice, sizeof notice, nullptr) &&
                    SendMessageTimeoutA(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote),
                                        SMTO_ABORTIFHUNG, 5000, &answer);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!sent) return 5;
  return answer == TRUE ? 0 : 6;
}

}  // namespace

int main(int argc, char** argv) {
  const GUID* setting = argc == 3 || argc == 4 ? SettingNamed(argv[1]) : nullptr;
  if (!setting) {
    std::fprintf(stderr, "usage: display_power console|session|other STATE [LENGTH]\n");
    return 2;
  }
  return Deliver({*setting, argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 4, std::strtoul(argv[2], nullptr, 10)});
}
