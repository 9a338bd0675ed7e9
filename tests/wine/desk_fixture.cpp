// desk.cpl for the tests: logs the screen saver that InstallScreenSaver was asked to offer.
#include "fixture_log.h"

extern "C" __declspec(dllexport) void CALLBACK InstallScreenSaverW(HWND, HINSTANCE, LPWSTR saver, int) {
  char text[3 * MAX_PATH] = "";
  WideCharToMultiByte(CP_UTF8, 0, saver, -1, text, sizeof text, nullptr, nullptr);
  AppendFixtureLog(std::string("InstallScreenSaver ") + text);
}
