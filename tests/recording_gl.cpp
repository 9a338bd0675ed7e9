#include "tests/recording_gl.h"

#include "scene/gl.h"

std::vector<GlCall>& RecordedGlCalls() {
  static std::vector<GlCall> calls;
  return calls;
}

namespace {
void Record(const char* name, std::vector<double> arguments) { RecordedGlCalls().push_back({name, std::move(arguments)}); }
std::vector<double> Elements(const GLfloat* values, int count) { return std::vector<double>(values, values + count); }
}  // namespace

extern "C" {
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) { Record("glViewport", {double(x), double(y), double(width), double(height)}); }
void glMatrixMode(GLenum mode) { Record("glMatrixMode", {double(mode)}); }
void glLoadIdentity() { Record("glLoadIdentity", {}); }
void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { Record("glOrtho", {l, r, b, t, n, f}); }
void glEnable(GLenum cap) { Record("glEnable", {double(cap)}); }
void glCullFace(GLenum mode) { Record("glCullFace", {double(mode)}); }
void glLightfv(GLenum light, GLenum name, const GLfloat* values) {
  std::vector<double> arguments{double(light), double(name)};
  const auto parameters = Elements(values, name == GL_SPOT_DIRECTION ? 3 : 4);
  arguments.insert(arguments.end(), parameters.begin(), parameters.end());
  Record("glLightfv", arguments);
}
void glMaterialfv(GLenum face, GLenum name, const GLfloat* values) {
  std::vector<double> arguments{double(face), double(name)};
  const auto parameters = Elements(values, 4);
  arguments.insert(arguments.end(), parameters.begin(), parameters.end());
  Record("glMaterialfv", arguments);
}
void glMaterialf(GLenum face, GLenum name, GLfloat value) { Record("glMaterialf", {double(face), double(name), value}); }
void glLightModeli(GLenum name, GLint value) { Record("glLightModeli", {double(name), double(value)}); }
void glPushMatrix() { Record("glPushMatrix", {}); }
void glPopMatrix() { Record("glPopMatrix", {}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { Record("glTranslatef", {x, y, z}); }
void glBegin(GLenum mode) { Record("glBegin", {double(mode)}); }
void glEnd() { Record("glEnd", {}); }
void glNormal3fv(const GLfloat* v) { Record("glNormal3fv", Elements(v, 3)); }
void glColor3fv(const GLfloat* v) { Record("glColor3fv", Elements(v, 3)); }
void glVertex3fv(const GLfloat* v) { Record("glVertex3fv", Elements(v, 3)); }
}
