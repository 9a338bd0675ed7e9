// Shared by the fixture modules: appends one line to the file named by VELLUMIR_FIXTURE_LOG.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

inline void AppendFixtureLog(const std::string& line) {
  char path[MAX_PATH];
  if (!GetEnvironmentVariableA("VELLUMIR_FIXTURE_LOG", path, sizeof path)) return;
  if (std::FILE* file = std::fopen(path, "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

// The window as the log shows it: its handle, class and text.
inline std::string DescribeWindow(HWND window) {
  char className[128] = "", text[128] = "";
  if (window) {
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, text, sizeof text);
  }
  return std::to_string(reinterpret_cast<intptr_t>(window)) + " class=" + className + " text=" + text;
}
