#include "shell/preview_windows.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "lattice/lattice.h"
#include "scene/gl.h"
#include "scene/mesh.h"
#include "scene/pixel_format_windows.h"
#include "scene/scene.h"
#include "shell/password_windows.h"
#include "shell/shell_logic.h"

namespace {

constexpr char ClassName[] = "MyMorvanScreenSaverClass";
constexpr DWORD PaceMilliseconds = 40;

HWND PreviewWnd;
HDC PreviewDC;
HGLRC PreviewRC;
// Only a context that was made current is drawn through; without one the preview only waits
// for its parent to end it.
bool PreviewContextCurrent;
// Written by the main thread, polled by the repaint thread.
std::atomic<bool> StopRequested{false};

void PaintPreviewFrame() {
  if (PreviewContextCurrent) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RenderFrame();
    SwapBuffers(wglGetCurrentDC());
  }
  // The update region is never validated, so paint messages keep coming: this sleep paces them.
  Sleep(PaceMilliseconds);
  // Paint messages that never run out keep some systems (Wine among them) from ever moving
  // pending keyboard and mouse input into the queue; a zero-time wait lets them.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      PaintPreviewFrame();
      return 0;
    case WM_NCCREATE:
      return 1;
    case WM_KEYDOWN:
      // Only the popup form gets keys; it is the process's only window, so it owns the dialog.
      StopRequested = VerifyPassword(window);
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

DWORD WINAPI PreviewRepaintThread(LPVOID) {
  ShowWindow(PreviewWnd, SW_SHOW);
  UpdateWindow(PreviewWnd);
  do {
    InvalidateRect(PreviewWnd, nullptr, FALSE);
    Sleep(PaceMilliseconds);
  } while (!StopRequested);
  PostMessageA(PreviewWnd, WM_DESTROY, 0, 0);
  return 0;
}

HWND CreatePreviewWindow(int width, int height, HWND parent) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.style = CS_PARENTDC;
  windowClass.lpfnWndProc = PreviewWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = ClassName;
  RegisterClassA(&windowClass);

  const DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_DISABLED : WS_POPUP | WS_VISIBLE;
  HWND window = CreateWindowExA(0, ClassName, "MySaver", style, 0, 0, width, height, parent, nullptr, instance, nullptr);
  // Without a window there is nothing to draw on: GetDC(null) would be the whole screen.
  if (!window) return nullptr;
  if (!parent) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);

  ScreenWidth = width;
  ScreenHeight = height;
  BuildLattice(50);
  PreviewWnd = window;
  PreviewDC = GetDC(PreviewWnd);
  SetDCPixelFormat(PreviewDC);
  PreviewRC = wglCreateContext(PreviewDC);
  // With no context, wglMakeCurrent(dc, null) "succeeds" at making none current.
  PreviewContextCurrent = PreviewRC && wglMakeCurrent(PreviewDC, PreviewRC);
  if (PreviewContextCurrent) InitGL();
  return window;
}

}  // namespace

void RunPreview(const std::string& parentArgument) {
  HWND parent = reinterpret_cast<HWND>(static_cast<intptr_t>(ParseWindowHandle(parentArgument)));
  int width, height;
  if (parent) {
    // A number that names no window must not turn into a popup or a child of nothing.
    if (!IsWindow(parent)) return;
    RECT frame;
    GetWindowRect(parent, &frame);
    width = frame.right - frame.left;
    height = frame.bottom - frame.top;
  } else {
    // With no dialog to sit in, a quarter of the primary screen at its top-left corner.
    width = std::max(GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    height = std::max(GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  }
  if (!CreatePreviewWindow(width, height, parent)) return;
  HANDLE thread = CreateThread(nullptr, 0, PreviewRepaintThread, nullptr, 0, nullptr);
  if (!thread) return;
  CloseHandle(thread);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
