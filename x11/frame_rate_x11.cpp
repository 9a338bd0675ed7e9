#include "x11/frame_rate_x11.h"

#include <GL/glx.h>

#include <cstdio>

#include "lattice/lattice.h"

namespace {

// The printable ASCII range is all the figures need.
constexpr int FirstGlyph = 32, GlyphCount = 95;

}  // namespace

FrameRate::FrameRate(Display* display) : display_(display) {
  font_ = XLoadQueryFont(display, "fixed");
  if (!font_) return;
  listBase_ = glGenLists(GlyphCount);
  glXUseXFont(font_->fid, FirstGlyph, GlyphCount, listBase_);
}

void FrameRate::Release() {
  if (!font_) return;
  glDeleteLists(listBase_, GlyphCount);
  XFreeFont(display_, font_);
  font_ = nullptr;
}

void FrameRate::CountAndShow(int64_t steps) {
  counter_.Count(steps);
  const std::string& text = counter_.Text();
  if (!font_ || text.empty()) return;

  // Pixel coordinates over the scene's viewport, unlit, then everything back as the mesh
  // expects it.
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, ScreenWidth, 0, ScreenHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  // White on a black box: readable over any colour of the mesh, which is never black.
  const int length = static_cast<int>(text.size());
  const int top = ScreenHeight - 4, baseline = top - 4 - font_->ascent;
  glColor3f(0, 0, 0);
  glRecti(4, baseline - font_->descent - 4, 12 + XTextWidth(font_, text.data(), length), top);
  glColor3f(1, 1, 1);
  // Glyph by glyph from its own position: Mesa's glyph lists do not move on over a blank.
  int x = 8;
  for (const char glyph : text) {
    glRasterPos2i(x, baseline);
    glCallList(listBase_ + static_cast<unsigned char>(glyph) - FirstGlyph);
    x += XTextWidth(font_, &glyph, 1);
  }
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}
