#include "scene/pixel_format_windows.h"

void SetDCPixelFormat(HDC dc) {
  // No depth buffer: the mesh never overlaps itself on screen, so the depth test stays off.
  static const PIXELFORMATDESCRIPTOR descriptor = {
      sizeof(PIXELFORMATDESCRIPTOR), 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, PFD_TYPE_RGBA, 32,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, PFD_MAIN_PLANE, 0, 0, 0, 0};
  const int format = ChoosePixelFormat(dc, &descriptor);
  if (format != 0) SetPixelFormat(dc, format, &descriptor);
}
