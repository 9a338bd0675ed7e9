#include "scene/mesh.h"

#include <cstddef>
#include <initializer_list>

#include "scene/gl.h"

Vector3 TriangleNormal(const Vector3& a, const Vector3& b, const Vector3& c) {
  const Vector3 u{static_cast<float>(static_cast<Extended>(b.x) - a.x), static_cast<float>(static_cast<Extended>(b.y) - a.y),
                  static_cast<float>(static_cast<Extended>(b.z) - a.z)};
  const Vector3 v{static_cast<float>(static_cast<Extended>(c.x) - a.x), static_cast<float>(static_cast<Extended>(c.y) - a.y),
                  static_cast<float>(static_cast<Extended>(c.z) - a.z)};
  return {static_cast<float>(static_cast<Extended>(u.y) * v.z - static_cast<Extended>(u.z) * v.y),
          static_cast<float>(static_cast<Extended>(u.z) * v.x - static_cast<Extended>(u.x) * v.z),
          static_cast<float>(static_cast<Extended>(u.x) * v.y - static_cast<Extended>(u.y) * v.x)};
}

void FillMeshVertices(std::vector<MeshVertex>& vertices) {
  vertices.resize(static_cast<size_t>(RowCount) * ColCount * 6);
  FillMeshVertices(vertices.data());
}

void FillMeshVertices(MeshVertex* first) {
  ForEachTriangle([&first](const Vector3& normal, const MeshCorner& a, const MeshCorner& b, const MeshCorner& c) {
    *first++ = {normal, a.colour, a.vertex};
    *first++ = {normal, b.colour, b.vertex};
    *first++ = {normal, c.colour, c.vertex};
  });
}

void DrawMesh() {
  glPushMatrix();
  glTranslatef(0, 0, -1.2f);
  glBegin(GL_TRIANGLES);
  ForEachTriangle([](const Vector3& normal, const MeshCorner& a, const MeshCorner& b, const MeshCorner& c) {
    glNormal3fv(&normal.x);
    for (const MeshCorner* corner : {&a, &b, &c}) {
      glColor3fv(&corner->colour.x);
      glVertex3fv(&corner->vertex.x);
    }
  });
  glEnd();
  glPopMatrix();
}

void RenderFrame() {
  ComputeFrame();
  DrawMesh();
}
