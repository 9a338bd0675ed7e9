#include "shell/saver_form_windows.h"

#include <algorithm>
#include <cstring>

#include "common/dismissal.h"
#include "lattice/lattice.h"
#include "scene/gl.h"
#include "scene/mesh.h"
#include "scene/pixel_format_windows.h"
#include "scene/scene.h"
#include "shell/password_windows.h"

namespace {

constexpr UINT SpiScreenSaverRunning = 97;
constexpr UINT_PTR Timer1 = 1;
constexpr UINT Timer1Interval = 30;
constexpr char ClassName[] = "TForm1";

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  // OpenGL wants the same device context for the window's whole life.
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = ClassName;
  RegisterClassA(&windowClass);
}

}  // namespace

TForm1::TForm1(HWND owner) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterFormClass(instance, WindowProcedure);
  // Borderless and above every other window, the taskbar included.
  handle_ = CreateWindowExA(WS_EX_TOPMOST, ClassName, "Vellumir", WS_POPUP, 0, 0, 0, 0, owner, nullptr, instance, this);
  if (!handle_) return;
  SetTimer(handle_, Timer1, Timer1Interval, nullptr);
  // Nobody sees frames drawn while the display is off: the system says when it is.
  consoleDisplayNotice_ = RegisterPowerSettingNotification(handle_, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);
  sessionDisplayNotice_ = RegisterPowerSettingNotification(handle_, &GUID_SESSION_DISPLAY_STATUS, DEVICE_NOTIFY_WINDOW_HANDLE);
  FormCreate();
}

LRESULT CALLBACK TForm1::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_TIMER:
      form->Timer1Timer();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      form->FormKeyDown();
      return 0;
    case WM_MOUSEMOVE:
      form->FormMouseMove();
      return 0;
    case WM_CLOSE:
      form->Close();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_POWERSETTINGCHANGE && lParam)
        form->FollowDisplayPower(*reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
      return TRUE;
    case WM_DISPLAYCHANGE:
      form->FollowDisplayChange();
      return 0;
    case WM_QUERYENDSESSION:
      // A screen saver never stands in the way of logging off or shutting down.
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) form->EndSession();
      return 0;
    case WM_DESTROY:
      KillTimer(window, Timer1);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void TForm1::FormCreate() {
  CoverPrimaryDisplay();
  BuildLattice(100);
  GetCursorPos(&StartCursor);
  SystemParametersInfoA(SpiScreenSaverRunning, 1, nullptr, 0);
  ShowCursor(FALSE);
}

void TForm1::CoverPrimaryDisplay() {
  // Client size of the primary display; with no border the window is its client area, and
  // centring it puts it exactly over the display.
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, WS_POPUP, FALSE, WS_EX_TOPMOST);
  const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
  SetWindowPos(handle_, nullptr, (width - frameWidth) / 2, (height - frameHeight) / 2, frameWidth, frameHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(handle_, &client);
  ScreenWidth = client.right - client.left;
  ScreenHeight = client.bottom - client.top;
}

void TForm1::FollowDisplayChange() {
  // The lattice keeps its columns; the picture stretches to the new size as it does to any.
  CoverPrimaryDisplay();
  if (contextCurrent_) glViewport(0, 0, ScreenWidth, ScreenHeight);
}

void TForm1::FollowDisplayPower(const POWERBROADCAST_SETTING& setting) {
  DisplayPower* source = nullptr;
  if (IsEqualGUID(setting.PowerSetting, GUID_CONSOLE_DISPLAY_STATE)) source = &consoleDisplay_;
  if (IsEqualGUID(setting.PowerSetting, GUID_SESSION_DISPLAY_STATUS)) source = &sessionDisplay_;
  DWORD state;
  if (!source || setting.DataLength != sizeof state) return;
  std::memcpy(&state, setting.Data, sizeof state);
  // 0 off, 1 on, 2 dimmed; anything else is no state we know.
  if (state == 0) *source = DisplayPower::Off;
  if (state == 1 || state == 2) *source = DisplayPower::On;
}

bool TForm1::IsDisplayOff() const {
  // Either display on keeps the frames going: a remote session's screen is seen while the
  // console's is dark.
  const bool anyOff = consoleDisplay_ == DisplayPower::Off || sessionDisplay_ == DisplayPower::Off;
  return anyOff && consoleDisplay_ != DisplayPower::On && sessionDisplay_ != DisplayPower::On;
}

void TForm1::EndSession() {
  // The session may end as soon as this returns, so the contexts and the running flag are let
  // go here; the window goes with the process, as hiding it now would hold up the session's end.
  if (closeRequested_) return;
  closeRequested_ = true;
  ShowCursor(TRUE);
  FormCloseQuery();
  PostQuitMessage(0);
}

void TForm1::Show() {
  ShowWindow(handle_, SW_SHOW);
  SetForegroundWindow(handle_);
  FormShow();
}

void TForm1::FormShow() {
  FormDC = GetDC(handle_);
  SetDCPixelFormat(FormDC);
  FormRC = wglCreateContext(FormDC);
  // With no context, wglMakeCurrent(dc, null) "succeeds" at making none current.
  contextCurrent_ = FormRC && wglMakeCurrent(FormDC, FormRC);
  if (contextCurrent_) InitGL();
}

void TForm1::InitGL() { ::InitGL(); }

void TForm1::Timer1Timer() {
  if (closeRequested_ || !contextCurrent_ || IsDisplayOff()) return;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  RenderFrame();
  SwapBuffers(wglGetCurrentDC());
}

void TForm1::FormKeyDown() {
  if (closeRequested_ || !IsActive()) return;
  DismissSaver();
}

void TForm1::FormMouseMove() {
  if (closeRequested_) return;
  POINT cursor;
  GetCursorPos(&cursor);
  // While inactive (the password dialog is up) every movement starts a fresh measurement.
  if (!IsActive()) {
    StartCursor = cursor;
    return;
  }
  // A display that shrank pulled the cursor inside it, which is no one's input: the recorded
  // point is pulled in the same way before the distance is measured.
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  StartCursor.x = std::clamp<LONG>(StartCursor.x, left, left + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
  StartCursor.y = std::clamp<LONG>(StartCursor.y, top, top + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
  if (IsFarEnoughToDismiss(StartCursor.x, StartCursor.y, cursor.x, cursor.y)) DismissSaver();
}

void TForm1::DismissSaver() {
  if (!VerifyPassword(handle_)) return;
  ShowCursor(TRUE);
  Close();
}

void TForm1::Close() {
  if (closeRequested_) return;
  closeRequested_ = true;
  // The close is always allowed.
  FormCloseQuery();
  FormClose();
}

void TForm1::FormCloseQuery() {
  if (FormRC) {
    wglMakeCurrent(FormDC, nullptr);
    wglDeleteContext(FormRC);
    FormRC = nullptr;
    contextCurrent_ = false;
  }
  if (FormDC) {
    ReleaseDC(handle_, FormDC);
    FormDC = nullptr;
  }
  for (HPOWERNOTIFY* notice : {&consoleDisplayNotice_, &sessionDisplayNotice_}) {
    if (*notice) UnregisterPowerSettingNotification(*notice);
    *notice = nullptr;
  }
  SystemParametersInfoA(SpiScreenSaverRunning, 0, nullptr, 0);
}

// Destroying the main form ends the main loop, and so the program.
void TForm1::FormClose() { DestroyWindow(handle_); }
