#include "scene/scene.h"

#include <algorithm>

#include "lattice/lattice.h"
#include "scene/gl.h"

double RowEndFreeHalfWidth(int32_t columns) {
  // The row ends reach in to 0.5 - 1/(4 x columns) on alternate rows.
  return std::min(SaverHalfWidth, 0.5 - 1.0 / (4.0 * std::max(columns, 1)));
}

void InitGL() { InitScene(SaverHalfWidth); }

void InitScene(double halfWidth) {
  static const GLfloat lightAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
  static const GLfloat lightDiffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
  static const GLfloat lightSpecular[] = {0.5f, 0.5f, 0.5f, 1.0f};
  static const GLfloat lightPosition[] = {0.0f, 0.0f, 1.0f, 1.0f};
  static const GLfloat spotDirection[] = {0.0f, 0.0f, -1.0f};
  static const GLfloat materialAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
  static const GLfloat materialDiffuse[] = {0.3f, 0.3f, 0.3f, 1.0f};
  static const GLfloat materialSpecular[] = {0.5f, 0.5f, 0.5f, 1.0f};
  static const GLfloat materialEmission[] = {0.2f, 0.2f, 0.2f, 1.0f};

  glViewport(0, 0, ScreenWidth, ScreenHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-halfWidth, halfWidth, -0.5, 0.5, -1.0, 2.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_COLOR_MATERIAL);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glEnable(GL_NORMALIZE);
  glEnable(GL_LIGHTING);
  glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
  glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
  glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, spotDirection);
  glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
  glMaterialfv(GL_FRONT, GL_EMISSION, materialEmission);
  glMaterialf(GL_FRONT, GL_SHININESS, 5.0f);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  glEnable(GL_LIGHT0);
}

void InitHackScene() {
  InitScene(RowEndFreeHalfWidth(ColCount));
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}
