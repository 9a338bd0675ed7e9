#include <vector>

#include "scene/gl.h"
#include "scene/mesh.h"

namespace {

std::vector<MeshVertex> MeshVertices;

}  // namespace

void DrawMeshArrays() {
  FillMeshVertices(MeshVertices);

  constexpr GLsizei stride = sizeof(MeshVertex);
  const MeshVertex* first = MeshVertices.data();
  glPushMatrix();
  glTranslatef(0, 0, -1.2f);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  glNormalPointer(GL_FLOAT, stride, &first->normal);
  glColorPointer(3, GL_FLOAT, stride, &first->colour);
  glVertexPointer(3, GL_FLOAT, stride, &first->vertex);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(MeshVertices.size()));
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glPopMatrix();
}
