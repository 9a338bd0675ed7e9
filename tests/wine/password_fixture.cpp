// PASSWORD.CPL for the tests: logs how it was called and answers as VELLUMIR_PASSWORD_ANSWER
// says (1 when unset).
#include "fixture_log.h"

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  GetCursorInfo(&cursor);
  AppendFixtureLog("VerifyScreenSavePwd owner=" + DescribeWindow(owner) +
                   " cursor=" + ((cursor.flags & CURSOR_SHOWING) ? "shown" : "hidden"));
  char answer[8] = "1";
  GetEnvironmentVariableA("VELLUMIR_PASSWORD_ANSWER", answer, sizeof answer);
  return answer[0] != '0';
}
