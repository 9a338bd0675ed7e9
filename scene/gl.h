// OpenGL 1.1 declarations without <windows.h>: MinGW-w64's header only needs these two macros.
#pragma once

#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#define WINGDIAPI __declspec(dllimport)
#endif
#include <GL/gl.h>
