// Draws the lattice as one batch of lit, coloured triangles.
#pragma once

#include <vector>

#include "lattice/extended.h"
#include "lattice/lattice.h"

struct Vector3 {
  float x, y, z;
};

// The cross product (b - a) x (c - a), not normalised: it points towards +z for corners that
// run counter-clockwise seen from +z.
Vector3 TriangleNormal(const Vector3& a, const Vector3& b, const Vector3& c);

// One corner of a triangle: a node's position and height, and its colour.
struct MeshCorner {
  Vector3 vertex;
  Vector3 colour;
};

// Every triangle of the mesh in drawing order, each with its corners counter-clockwise and its
// face normal: visit(normal, a, b, c). The one place that decides which corners, which diagonal
// and which normal, so every way of drawing the mesh gives the same triangles.
template <typename Visit>
void ForEachTriangle(Visit&& visit) {
  const auto corner = [](int i, int j) {
    return MeshCorner{{GridX[i][j], GridY[i][j], Relief[i][j]}, {ChannelR[i][j], ChannelG[i][j], ChannelB[i][j]}};
  };
  const auto emit = [&visit](const MeshCorner& a, const MeshCorner& b, const MeshCorner& c) {
    visit(TriangleNormal(a.vertex, b.vertex, c.vertex), a, b, c);
  };
  for (int i = 0; i < RowCount; ++i) {
    const Extended side = Cosine(i * Pi);
    for (int j = 0; j < ColCount; ++j) {
      const MeshCorner K1 = corner(i, j), K2 = corner(i + 1, j + 1), K3 = corner(i + 1, j), K4 = corner(i, j + 1);
      // Even rows lean right and the row above leans left, so 1-2 is the short diagonal; on odd
      // rows it is 4-3.
      if (side == 1) {
        emit(K1, K2, K3);
        emit(K1, K4, K2);
      }
      if (side < 1) {
        emit(K4, K2, K3);
        emit(K1, K4, K3);
      }
    }
  }
}

// One corner as vertex arrays and vertex buffers take it: interleaved, with its triangle's normal.
struct MeshVertex {
  Vector3 normal;
  Vector3 colour;
  Vector3 vertex;
};

// The mesh's corners in drawing order, RowCount x ColCount x 6 of them from `first` on; no OpenGL,
// so any drawing API can take them.
void FillMeshVertices(MeshVertex* first);
// The same into `vertices`, which holds exactly the corners: resized only when the lattice's size
// changes, so a frame allocates nothing.
void FillMeshVertices(std::vector<MeshVertex>& vertices);

// Draws every cell of the finished lattice call by call; leaves the model-view matrix as it
// found it.
void DrawMesh();

// The same triangles in the same order through vertex arrays, a few draw calls per row: far less
// work for the driver. It keeps no OpenGL object, so one context may draw lattices of different
// sizes one after the other (one per output); the arrays are refilled on every call in storage
// that grows to the largest lattice drawn and is never allocated, nor cleared, again below that.
void DrawMeshArrays();

// One animation step drawn into the current rendering context.
void RenderFrame();
