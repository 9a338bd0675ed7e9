// The suite's stand-in for the system:
//   host run FILE            starts the command line written in FILE exactly as it stands and
//                            returns its exit code (no shell or Wine quoting in between);
//   host preview W H ACTION  plays the settings dialog: a top-level window of W x H at (100, 100)
//                            starts "vellumir.scr /p <its handle>", waits for the preview's
//                            child window and reports what it sees in VELLUMIR_FIXTURE_LOG.
//                            ACTION "destroy" then keeps the window until a file named "destroy"
//                            appears in the current folder, destroys it and reports how long
//                            the saver took to end; "hold:SECONDS" keeps it that long instead;
//                            "stay" keeps it a minute and ends without destroying it.
//   host endsession LPARAM   plays the end of the session for the running full-screen saver:
//                            sends it WM_QUERYENDSESSION and WM_ENDSESSION with that LPARAM and
//                            reports its answer and how long the saver took to end;
//   host display W H         changes the primary display's resolution to W x H, as the display
//                            settings do; exits with ChangeDisplaySettingsExA's result;
//   host running             exits with 1 while the system says a screen saver runs, else 0.
//                            A process of its own each time: Wine keeps the value a process
//                            first read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "fixture_log.h"

namespace {

// Every wait for the saver ends after this long: only a hang reaches it, even on a busy machine.
constexpr DWORD PatienceMilliseconds = 60000;

int RunCommandLine(const char* file) {
  std::ifstream stream(file, std::ios::binary);
  std::string line((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 101;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 102;
  GetExitCodeProcess(process.hProcess, &code);
  return static_cast<int>(code);
}

// Dispatches the host window's messages (the preview's own depend on them) until the condition
// holds or the time is up.
template <typename Condition>
void PumpUntil(DWORD milliseconds, Condition condition) {
  const DWORD start = GetTickCount();
  while (!condition() && GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
}

void PumpFor(DWORD milliseconds) {
  PumpUntil(milliseconds, [] { return false; });
}

void ReportChild(HWND host) {
  HWND child = GetWindow(host, GW_CHILD);
  if (!child) {
    AppendFixtureLog("child none");
    return;
  }
  RECT hostFrame, childFrame;
  GetWindowRect(host, &hostFrame);
  GetWindowRect(child, &childFrame);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  AppendFixtureLog("child " + DescribeWindow(child) + " x=" + std::to_string(childFrame.left - hostFrame.left) +
                   " y=" + std::to_string(childFrame.top - hostFrame.top) +
                   " width=" + std::to_string(childFrame.right - childFrame.left) +
                   " height=" + std::to_string(childFrame.bottom - childFrame.top) +
                   " hostwidth=" + std::to_string(hostFrame.right - hostFrame.left) +
                   " hostheight=" + std::to_string(hostFrame.bottom - hostFrame.top) +
                   " visible=" + std::to_string((style & WS_VISIBLE) != 0) +
                   " disabled=" + std::to_string((style & WS_DISABLED) != 0) +
                   " childstyle=" + std::to_string((style & WS_CHILD) != 0));
}

int PlaySettingsDialog(int width, int height, const char* action) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VellumirPreviewHost";
  RegisterClassA(&windowClass);
  HWND host = CreateWindowExA(0, windowClass.lpszClassName, "Vellumir preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                              100, 100, width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
  char folder[MAX_PATH];
  GetModuleFileNameA(nullptr, folder, sizeof folder);
  *std::strrchr(folder, '\\') = '\0';
  std::string line = std::string("\"") + folder + "\\vellumir.scr\" /p " + std::to_string(reinterpret_cast<intptr_t>(host));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 101;
  const auto saverEnded = [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; };
  // A child is made hidden and shown at the end of its creation: report it once shown.
  PumpUntil(PatienceMilliseconds, [&] {
    HWND child = GetWindow(host, GW_CHILD);
    return (child && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE)) || saverEnded();
  });
  ReportChild(host);
  const bool hold = std::strncmp(action, "hold:", 5) == 0;
  const bool destroy = std::strcmp(action, "destroy") == 0;
  if (hold) PumpFor(static_cast<DWORD>(std::strtoul(action + 5, nullptr, 10)) * 1000);
  if (destroy) {
    PumpUntil(PatienceMilliseconds,
              [&] { return GetFileAttributesA("destroy") != INVALID_FILE_ATTRIBUTES || saverEnded(); });
  }
  if (hold || destroy) {
    // Hiding first keeps the system's own unmapping delay out of the measurement.
    ShowWindow(host, SW_HIDE);
    const DWORD start = GetTickCount();
    DestroyWindow(host);
    const bool ended = WaitForSingleObject(process.hProcess, PatienceMilliseconds) == WAIT_OBJECT_0;
    DWORD code = 102;
    GetExitCodeProcess(process.hProcess, &code);
    AppendFixtureLog("ended=" + std::to_string(ended) + " milliseconds=" + std::to_string(GetTickCount() - start) +
                     " exit=" + std::to_string(code));
  } else {
    PumpFor(60000);
  }
  return 0;
}

int EndSession(LPARAM reason) {
  HWND saver = nullptr;
  for (const DWORD start = GetTickCount(); !saver && GetTickCount() - start < PatienceMilliseconds; Sleep(100)) {
    saver = FindWindowA("TForm1", "Vellumir");
  }
  if (!saver) return 103;
  DWORD processId = 0;
  GetWindowThreadProcessId(saver, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (!process) return 104;
  const DWORD start = GetTickCount();
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(saver, WM_QUERYENDSESSION, 0, reason, SMTO_ABORTIFHUNG, PatienceMilliseconds, &answer);
  SendMessageTimeoutA(saver, WM_ENDSESSION, TRUE, reason, SMTO_ABORTIFHUNG, PatienceMilliseconds, nullptr);
  const bool ended = WaitForSingleObject(process, PatienceMilliseconds) == WAIT_OBJECT_0;
  const DWORD milliseconds = GetTickCount() - start;
  DWORD code = 102;
  GetExitCodeProcess(process, &code);
  AppendFixtureLog("answer=" + std::to_string(answer) + " ended=" + std::to_string(ended) +
                   " milliseconds=" + std::to_string(milliseconds) + " exit=" + std::to_string(code));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "run") == 0) return RunCommandLine(argv[2]);
  if (argc == 5 && std::strcmp(argv[1], "preview") == 0) return PlaySettingsDialog(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  if (argc == 3 && std::strcmp(argv[1], "endsession") == 0) return EndSession(std::strtoul(argv[2], nullptr, 0));
  if (argc == 4 && std::strcmp(argv[1], "display") == 0) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = std::strtoul(argv[2], nullptr, 10);
    mode.dmPelsHeight = std::strtoul(argv[3], nullptr, 10);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsExA(nullptr, &mode, nullptr, 0, nullptr);
  }
  if (argc == 2 && std::strcmp(argv[1], "running") == 0) {
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running ? 1 : 0;
  }
  std::fprintf(stderr, "usage: host run FILE | host preview W H destroy|stay|hold:SECONDS | host endsession LPARAM | host display W H | host running\n");
  return 2;
}
