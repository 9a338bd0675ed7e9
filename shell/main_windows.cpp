// Start-up: reads the run-mode letter and runs exactly one of the four modes.
#include <windows.h>

#include <string>

#include "lattice/extended.h"
#include "shell/application_windows.h"
#include "shell/password_windows.h"
#include "shell/preview_windows.h"
#include "shell/shell_logic.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything loads OpenGL (delay-loaded on its first call, or asked for by the pixel-format
  // calls): a module found by name comes from the system folder alone, never from the folder
  // the saver was started from, where anyone's download may have put an opengl32.dll.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetFloatingPointControl();
  const std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
  const std::string first = arguments.size() > 1 ? arguments[1] : "";
  const std::string second = arguments.size() > 2 ? arguments[2] : "";
  const char letter = SwitchLetter(first);

  Application.Title = "Vellumir Screensaver";
  if (letter == 'C') {
    // Nothing to configure.
  } else if (letter == 'P') {
    RunPreview(second);
  } else if (letter == 'A') {
    ChangePassword(reinterpret_cast<HWND>(static_cast<intptr_t>(ParseWindowHandle(second))));
  } else if (!Application.CreateForm()) {
    return 1;
  }
  Application.Run();
  return 0;
}
