#include <gtest/gtest.h>

#include "lattice/lattice.h"
#include "scene/mesh.h"
#include "lattice/random.h"
#include "scene/gl.h"
#include "tests/recording_gl.h"

namespace {

struct Triangle {
  GlCall normal;
  GlCall colours[3];
  GlCall vertices[3];
};

// Runs one frame of a small lattice and splits the recorded stream into its triangles.
std::vector<Triangle> RecordFrame(int32_t width, int32_t height, int32_t rows) {
  ScreenWidth = width, ScreenHeight = height;
  SetRandomSeed(2024);
  BuildSeededLattice(rows);
  PatternMode = 2;
  RecordedGlCalls().clear();
  RenderFrame();
  const std::vector<GlCall>& calls = RecordedGlCalls();
  std::vector<Triangle> triangles;
  for (size_t index = 3; index + 7 <= calls.size() - 2; index += 7) {
    Triangle t{calls[index], {calls[index + 1], calls[index + 3], calls[index + 5]},
               {calls[index + 2], calls[index + 4], calls[index + 6]}};
    triangles.push_back(t);
  }
  return triangles;
}

std::vector<double> NodeVertex(int i, int j) { return {GridX[i][j], GridY[i][j], Relief[i][j]}; }
std::vector<double> NodeColour(int i, int j) { return {ChannelR[i][j], ChannelG[i][j], ChannelB[i][j]}; }

}  // namespace

TEST(TriangleNormal, PointsToTheViewerForCounterClockwiseCorners) {
  struct Case {
    Vector3 a, b, c, normal;
  } const cases[] = {
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
      {{1, 1, 1}, {3, 1, 1}, {1, 1, 4}, {0, -6, 0}},
      {{0, 0, 0}, {0, 2, 0}, {0, 0, 3}, {6, 0, 0}},
  };
  for (const Case& c : cases) {
    const Vector3 n = TriangleNormal(c.a, c.b, c.c);
    EXPECT_EQ(n.x, c.normal.x);
    EXPECT_EQ(n.y, c.normal.y);
    EXPECT_EQ(n.z, c.normal.z);
  }
}

TEST(DrawMesh, EmitsOneBatchOfTwoTrianglesPerCellInsideAPushedTranslation) {
  RecordFrame(400, 300, 6);
  const std::vector<GlCall>& calls = RecordedGlCalls();
  const size_t triangles = 2 * 6 * 8;
  ASSERT_EQ(calls.size(), 3 + 7 * triangles + 2);
  EXPECT_EQ(calls[0].name, "glPushMatrix");
  EXPECT_EQ(calls[1].name, "glTranslatef");
  EXPECT_EQ(calls[1].arguments, (std::vector<double>{0, 0, -1.2f}));
  EXPECT_EQ(calls[2].name, "glBegin");
  EXPECT_EQ(calls[2].arguments, (std::vector<double>{GL_TRIANGLES}));
  for (size_t t = 0; t < triangles; ++t) {
    const size_t first = 3 + 7 * t;
    EXPECT_EQ(calls[first].name, "glNormal3fv");
    for (int corner = 0; corner < 3; ++corner) {
      EXPECT_EQ(calls[first + 1 + 2 * corner].name, "glColor3fv");
      EXPECT_EQ(calls[first + 2 + 2 * corner].name, "glVertex3fv");
    }
  }
  EXPECT_EQ(calls[calls.size() - 2].name, "glEnd");
  EXPECT_EQ(calls.back().name, "glPopMatrix");
}

TEST(DrawMesh, SplitsEvenRowsAlongOneDiagonalAndOddRowsAlongTheOther) {
  const std::vector<Triangle> triangles = RecordFrame(400, 300, 6);
  ASSERT_EQ(ColCount, 8);
  for (int i = 0; i < RowCount; ++i)
    for (int j = 0; j < ColCount; ++j) {
      const Triangle& first = triangles[2 * (i * ColCount + j)];
      const Triangle& second = triangles[2 * (i * ColCount + j) + 1];
      using Corners = std::vector<std::pair<int, int>>;
      const Corners even1{{i, j}, {i + 1, j + 1}, {i + 1, j}}, even2{{i, j}, {i, j + 1}, {i + 1, j + 1}};
      const Corners odd1{{i, j + 1}, {i + 1, j + 1}, {i + 1, j}}, odd2{{i, j}, {i, j + 1}, {i + 1, j}};
      const Corners& corners1 = i % 2 == 0 ? even1 : odd1;
      const Corners& corners2 = i % 2 == 0 ? even2 : odd2;
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(first.vertices[k].arguments, NodeVertex(corners1[k].first, corners1[k].second)) << i << "," << j;
        EXPECT_EQ(first.colours[k].arguments, NodeColour(corners1[k].first, corners1[k].second)) << i << "," << j;
        EXPECT_EQ(second.vertices[k].arguments, NodeVertex(corners2[k].first, corners2[k].second)) << i << "," << j;
        EXPECT_EQ(second.colours[k].arguments, NodeColour(corners2[k].first, corners2[k].second)) << i << "," << j;
      }
    }
}

TEST(DrawMesh, EmitsEveryTriangleCounterClockwiseWithANormalTowardsTheViewer) {
  for (auto [width, height, rows] : {std::tuple{1920, 1080, 100}, {300, 600, 50}, {133, 100, 50}}) {
    for (const Triangle& t : RecordFrame(width, height, rows)) {
      const auto& a = t.vertices[0].arguments;
      const auto& b = t.vertices[1].arguments;
      const auto& c = t.vertices[2].arguments;
      ASSERT_GT((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]), 0);
      ASSERT_GT(t.normal.arguments[2], 0);
    }
  }
}

TEST(DrawMesh, EmitsEachTriangleWithItsOwnNormal) {
  ScreenWidth = 400, ScreenHeight = 300;
  SetRandomSeed(10);
  BuildSeededLattice(6);
  // Nodes (row, column): (0,0) A, (0,1) B, (1,0) C, (1,1) D, (2,0) E, (2,1) F.
  const float nodes[3][2][3] = {{{0, 0, 0}, {2, 0, 1}}, {{1, 3, 2}, {3, 3, 0}}, {{0, 6, 1}, {2, 6, 3}}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) GridX[i][j] = nodes[i][j][0], GridY[i][j] = nodes[i][j][1], Relief[i][j] = nodes[i][j][2];
  RecordedGlCalls().clear();
  DrawMesh();
  // (b - a) x (c - a) worked out by hand; the odd row's cell starts at triangle 2 * ColCount = 16.
  const struct {
    size_t triangle;
    std::vector<double> normal;
  } cases[] = {
      {0, {6, -6, 6}},   // A D C: (3,3,0) x (1,3,2) = (3*2-0*3, 0*1-3*2, 3*3-3*1)
      {1, {-3, 3, 6}},   // A B D: (2,0,1) x (3,3,0) = (0*0-1*3, 1*3-2*0, 2*3-0*3)
      {16, {-6, -8, 6}}, // D F E: (-1,3,3) x (-3,3,1) = (3*1-3*3, 3*-3-(-1)*1, -1*3-3*-3)
      {17, {6, 4, 6}},   // C D E: (2,0,-2) x (-1,3,-1) = (0*-1-(-2)*3, -2*-1-2*-1, 2*3-0*-1)
  };
  for (const auto& c : cases) {
    const GlCall& call = RecordedGlCalls()[3 + 7 * c.triangle];
    ASSERT_EQ(call.name, "glNormal3fv");
    EXPECT_EQ(call.arguments, c.normal) << "triangle " << c.triangle;
  }
}

TEST(DrawMesh, GivesAFlatReliefNormalsStraightAtTheViewer) {
  ScreenWidth = 1024, ScreenHeight = 768;
  SetRandomSeed(8);
  BuildSeededLattice(100);
  for (int i = 0; i <= RowCount; ++i)
    for (int j = 0; j <= ColCount; ++j) Relief[i][j] = 0.01f;
  RecordedGlCalls().clear();
  DrawMesh();
  int normals = 0;
  for (const GlCall& call : RecordedGlCalls()) {
    if (call.name != "glNormal3fv") continue;
    ++normals;
    ASSERT_EQ(call.arguments[0], 0);
    ASSERT_EQ(call.arguments[1], 0);
    ASSERT_NEAR(call.arguments[2], 1.0 / (100 * 133), 1e-3 / (100 * 133));
  }
  EXPECT_EQ(normals, 2 * 100 * 133);
}

TEST(DrawMesh, PassesChannelsOutsideTheUnitRangeUnchanged) {
  ScreenWidth = 400, ScreenHeight = 300;
  SetRandomSeed(9);
  BuildSeededLattice(6);
  ChannelR[0][0] = 1.75f, ChannelG[0][0] = -0.25f, ChannelB[0][0] = -2;
  RecordedGlCalls().clear();
  DrawMesh();
  EXPECT_EQ(RecordedGlCalls()[4].name, "glColor3fv");
  EXPECT_EQ(RecordedGlCalls()[4].arguments, (std::vector<double>{1.75, -0.25, -2}));
}
