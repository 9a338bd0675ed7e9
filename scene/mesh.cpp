#include "scene/mesh.h"

#include "lattice/extended.h"
#include "lattice/lattice.h"
#include "scene/gl.h"

namespace {

Vector3 VertexAt(int i, int j) { return {GridX[i][j], GridY[i][j], Relief[i][j]}; }
Vector3 ColourAt(int i, int j) { return {ChannelR[i][j], ChannelG[i][j], ChannelB[i][j]}; }

void EmitTriangle(const Vector3& a, const Vector3& colourA, const Vector3& b, const Vector3& colourB,
                  const Vector3& c, const Vector3& colourC) {
  const Vector3 normal = TriangleNormal(a, b, c);
  glNormal3fv(&normal.x);
  glColor3fv(&colourA.x);
  glVertex3fv(&a.x);
  glColor3fv(&colourB.x);
  glVertex3fv(&b.x);
  glColor3fv(&colourC.x);
  glVertex3fv(&c.x);
}

}  // namespace

Vector3 TriangleNormal(const Vector3& a, const Vector3& b, const Vector3& c) {
  const Vector3 u{static_cast<float>(static_cast<Extended>(b.x) - a.x), static_cast<float>(static_cast<Extended>(b.y) - a.y),
                  static_cast<float>(static_cast<Extended>(b.z) - a.z)};
  const Vector3 v{static_cast<float>(static_cast<Extended>(c.x) - a.x), static_cast<float>(static_cast<Extended>(c.y) - a.y),
                  static_cast<float>(static_cast<Extended>(c.z) - a.z)};
  return {static_cast<float>(static_cast<Extended>(u.y) * v.z - static_cast<Extended>(u.z) * v.y),
          static_cast<float>(static_cast<Extended>(u.z) * v.x - static_cast<Extended>(u.x) * v.z),
          static_cast<float>(static_cast<Extended>(u.x) * v.y - static_cast<Extended>(u.y) * v.x)};
}

void DrawMesh() {
  glPushMatrix();
  glTranslatef(0, 0, -1.2f);
  glBegin(GL_TRIANGLES);
  for (int i = 0; i < RowCount; ++i) {
    const Extended side = Cosine(i * Pi);
    for (int j = 0; j < ColCount; ++j) {
      const Vector3 V1 = VertexAt(i, j), V2 = VertexAt(i + 1, j + 1);
      const Vector3 V3 = VertexAt(i + 1, j), V4 = VertexAt(i, j + 1);
      const Vector3 C1 = ColourAt(i, j), C2 = ColourAt(i + 1, j + 1);
      const Vector3 C3 = ColourAt(i + 1, j), C4 = ColourAt(i, j + 1);
      // Even rows lean right and the row above leans left, so V1-V2 is the short diagonal;
      // on odd rows it is V4-V3.
      if (side == 1) {
        EmitTriangle(V1, C1, V2, C2, V3, C3);
        EmitTriangle(V1, C1, V4, C4, V2, C2);
      }
      if (side < 1) {
        EmitTriangle(V4, C4, V2, C2, V3, C3);
        EmitTriangle(V1, C1, V4, C4, V3, C3);
      }
    }
  }
  glEnd();
  glPopMatrix();
}

void RenderFrame() {
  ComputeFrame();
  DrawMesh();
}
