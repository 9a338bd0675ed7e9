// The least of an application framework the saver needs: a title, one main form and a main
// loop that shows it and dispatches messages until it has closed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class TForm1;

class TApplication {
 public:
  std::string Title;

  // Creates the saver window; being the first form, it becomes the main form. False when the
  // system would not make the window: there is then no main form.
  bool CreateForm();
  // With a main form: shows it and dispatches messages until it has closed. Without one:
  // returns at once.
  void Run();

 private:
  HWND ownerWindow_ = nullptr;
  std::unique_ptr<TForm1> mainForm_;
};

extern TApplication Application;
