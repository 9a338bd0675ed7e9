#include "scene/scene.h"

#include <algorithm>

#include "lattice/lattice.h"
#include "scene/gl.h"

const SceneLighting Lighting = {
    {0.2f, 0.2f, 0.2f, 1.0f},  // light: ambient
    {0.5f, 0.5f, 0.5f, 1.0f},  // diffuse
    {0.5f, 0.5f, 0.5f, 1.0f},  // specular
    {0.0f, 0.0f, 1.0f, 1.0f},  // position: a point light in front of the mesh
    {0.0f, 0.0f, -1.0f},       // spot direction, of no effect with the default cut-off
    {0.2f, 0.2f, 0.2f, 1.0f},  // material: ambient
    {0.3f, 0.3f, 0.3f, 1.0f},  // diffuse
    {0.5f, 0.5f, 0.5f, 1.0f},  // specular
    {0.2f, 0.2f, 0.2f, 1.0f},  // emission
    5.0f,                      // shininess
};

double RowEndFreeHalfWidth(int32_t columns) {
  // The row ends reach in to 0.5 - 1/(4 x columns) on alternate rows.
  return std::min(SaverHalfWidth, 0.5 - 1.0 / (4.0 * std::max(columns, 1)));
}

void InitGL() { InitScene(SaverHalfWidth); }

void InitScene(double halfWidth) {
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
  glLightfv(GL_LIGHT0, GL_AMBIENT, Lighting.lightAmbient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, Lighting.lightDiffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, Lighting.lightSpecular);
  glLightfv(GL_LIGHT0, GL_POSITION, Lighting.lightPosition);
  glLightfv(GL_LIGHT0, GL_SPOT_DIRECTION, Lighting.spotDirection);
  glMaterialfv(GL_FRONT, GL_AMBIENT, Lighting.materialAmbient);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, Lighting.materialDiffuse);
  glMaterialfv(GL_FRONT, GL_SPECULAR, Lighting.materialSpecular);
  glMaterialfv(GL_FRONT, GL_EMISSION, Lighting.materialEmission);
  glMaterialf(GL_FRONT, GL_SHININESS, Lighting.materialShininess);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  glEnable(GL_LIGHT0);
}

void InitHackScene() {
  InitScene(RowEndFreeHalfWidth(ColCount));
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
}
