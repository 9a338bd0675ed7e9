#include "shell/application_windows.h"

#include "shell/saver_form_windows.h"

TApplication Application;

bool TApplication::CreateForm() {
  // A hidden window under the application's title owns the form, so the title names the
  // program to the system while the full-screen form itself stays off the taskbar.
  ownerWindow_ = CreateWindowExA(0, "STATIC", Title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
  mainForm_ = std::make_unique<TForm1>(ownerWindow_);
  if (mainForm_->Handle()) return true;
  // Without its window the saver would draw on the desktop and wait for a close that never comes.
  mainForm_.reset();
  DestroyWindow(ownerWindow_);
  return false;
}

void TApplication::Run() {
  if (!mainForm_) return;
  mainForm_->Show();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
