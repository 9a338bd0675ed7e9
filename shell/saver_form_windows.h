// The full-screen saver window: covers the primary display, draws a frame every 30 ms and
// ends the program on a key press or a large enough mouse movement, once the password passes.
#pragma once

#include <windows.h>

class TForm1 {
 public:
  // Creates the window, hidden, and runs FormCreate. `owner` keeps it off the taskbar. When the
  // window cannot be made, Handle() is null and nothing else has been done.
  explicit TForm1(HWND owner);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  HWND Handle() const { return handle_; }
  // Shows the window and runs FormShow.
  void Show();
  // Asks the window to close: FormCloseQuery, then FormClose frees the window.
  void Close();
  void InitGL();

 private:
  // A source's last word on the display's power; dimmed counts as on.
  enum class DisplayPower { Unknown, Off, On };

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void FormCreate();
  void CoverPrimaryDisplay();
  void FollowDisplayChange();
  void EndSession();
  void FormShow();
  void Timer1Timer();
  void FormKeyDown();
  void FormMouseMove();
  void FollowDisplayPower(const POWERBROADCAST_SETTING& setting);
  bool IsDisplayOff() const;
  void FormCloseQuery();
  void FormClose();
  void DismissSaver();
  bool IsActive() const { return GetActiveWindow() == handle_; }

  HWND handle_ = nullptr;
  HDC FormDC = nullptr;
  HGLRC FormRC = nullptr;
  // Only a context that was made current is drawn through: where OpenGL cannot be set up the
  // window stays black and still ends on input.
  bool contextCurrent_ = false;
  POINT StartCursor{};
  // The console's display and the session's (a remote session's differs from the console's).
  HPOWERNOTIFY consoleDisplayNotice_ = nullptr, sessionDisplayNotice_ = nullptr;
  DisplayPower consoleDisplay_ = DisplayPower::Unknown, sessionDisplay_ = DisplayPower::Unknown;
  // Set once the close has been asked for: later input and ticks, already queued, are ignored.
  bool closeRequested_ = false;
};
