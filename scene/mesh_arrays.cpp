#include <algorithm>
#include <vector>

#include "scene/gl.h"
#include "scene/mesh.h"
#include "scene/scene.h"

namespace {

std::vector<MeshVertex> MeshVertices;

// The cells at the left and the right end of every row with a corner outside the hack's view.
// Rows of one parity share their nodes' x, so an even and an odd row tell it for all.
struct RowEnds {
  int left = 0, right = 0;
};

RowEnds FindCellsOutOfView() {
  const float halfWidth = static_cast<float>(RowEndFreeHalfWidth(ColCount));
  RowEnds ends;
  while (ends.left < ColCount && std::min(GridX[0][ends.left], GridX[1][ends.left]) < -halfWidth) ++ends.left;
  while (ends.right < ColCount - ends.left &&
         std::max(GridX[0][ColCount - ends.right], GridX[1][ColCount - ends.right]) > halfWidth)
    ++ends.right;
  return ends;
}

}  // namespace

void DrawMeshArrays() {
  // Grown only: screens whose lattices differ take turns in it without clearing it each time.
  const size_t count = static_cast<size_t>(RowCount) * ColCount * 6;
  if (MeshVertices.size() < count) MeshVertices.resize(count);
  FillMeshVertices(MeshVertices.data());

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
  // Mesa's software renderer sends a whole draw through its clipping stages once one corner of
  // it lies outside the view, and there walks all of the draw's corners again each time its own
  // vertex buffer fills. So each row is a draw of its own, its cells reaching out of the view
  // at either end apart from the rest: the same triangles in the same order, at far less cost.
  const RowEnds ends = FindCellsOutOfView();
  const int spans[] = {0, ends.left, ColCount - ends.right, ColCount};
  for (int row = 0; row < RowCount; ++row)
    for (int span = 0; span < 3; ++span)
      if (spans[span + 1] > spans[span])
        glDrawArrays(GL_TRIANGLES, (row * ColCount + spans[span]) * 6, (spans[span + 1] - spans[span]) * 6);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glPopMatrix();
}
