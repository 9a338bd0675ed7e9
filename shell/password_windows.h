// The system's screen-saver password: verification on dismissal and the /a change dialog.
#pragma once

#include <windows.h>

// True when the saver may end: no password is required, a piece of the password machinery is
// missing, or the system's dialog accepted the password.
bool VerifyPassword(HWND owner);

// Opens the system's dialog for changing the screen-saver password, owned by `owner`.
void ChangePassword(HWND owner);
