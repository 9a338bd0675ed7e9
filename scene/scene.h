// The fixed scene: orthographic view of the unit square, one point light, a glowing material.
#pragma once

#include <cstdint>

// The saver's view shows x from -0.495 to 0.495: a little less than the lattice, so the zigzag
// ends of its shifted rows stay out of view once there are 50 columns or more.
constexpr double SaverHalfWidth = 0.495;

// The widest view, up to the saver's, that keeps the row ends of a lattice of this many columns
// out of sight at any column count.
double RowEndFreeHalfWidth(int32_t columns);

// The light and the material as InitScene hands them to OpenGL; the web page's shaders take the
// same values, so both light the mesh alike.
struct SceneLighting {
  float lightAmbient[4], lightDiffuse[4], lightSpecular[4], lightPosition[4], spotDirection[3];
  float materialAmbient[4], materialDiffuse[4], materialSpecular[4], materialEmission[4], materialShininess;
};
extern const SceneLighting Lighting;

// Sets up the current rendering context for ScreenWidth x ScreenHeight with the saver's view.
void InitGL();

// The same scene with a view from -halfWidth to halfWidth across the full width.
void InitScene(double halfWidth);

// The hack's scene: the saver's with the view of RowEndFreeHalfWidth and the lighting of front
// faces only. Back faces are culled, so the saver's two-sided lighting colours no pixel more,
// and costs a software renderer time on every corner; the render tests prove the pixels equal.
void InitHackScene();
