// Draws the lattice as one batch of lit, coloured triangles.
#pragma once

struct Vector3 {
  float x, y, z;
};

// The cross product (b - a) x (c - a), not normalised: it points towards +z for corners that
// run counter-clockwise seen from +z.
Vector3 TriangleNormal(const Vector3& a, const Vector3& b, const Vector3& c);

// Draws every cell of the finished lattice; leaves the model-view matrix as it found it.
void DrawMesh();

// One animation step drawn into the current rendering context.
void RenderFrame();
