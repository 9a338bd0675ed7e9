// The pixel format of the saver's and the preview's windows.
#pragma once

#include <windows.h>

// Asks for a double-buffered 32-bit RGBA format that OpenGL can draw to; failures are ignored.
void SetDCPixelFormat(HDC dc);
