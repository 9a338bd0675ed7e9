#include <gtest/gtest.h>

#include "lattice/lattice.h"
#include "scene/gl.h"
#include "scene/scene.h"
#include "tests/recording_gl.h"

TEST(InitGL, SetsUpTheSceneInOrderWithItsValues) {
  ScreenWidth = 1920, ScreenHeight = 1080;
  RecordedGlCalls().clear();
  InitGL();
  const std::vector<GlCall> expected = {
      {"glViewport", {0, 0, 1920, 1080}},
      {"glMatrixMode", {GL_PROJECTION}},
      {"glLoadIdentity", {}},
      {"glOrtho", {-0.495, 0.495, -0.5, 0.5, -1.0, 2.0}},
      {"glMatrixMode", {GL_MODELVIEW}},
      {"glLoadIdentity", {}},
      {"glEnable", {GL_COLOR_MATERIAL}},
      {"glCullFace", {GL_BACK}},
      {"glEnable", {GL_CULL_FACE}},
      {"glEnable", {GL_NORMALIZE}},
      {"glEnable", {GL_LIGHTING}},
      {"glLightfv", {GL_LIGHT0, GL_AMBIENT, 0.2f, 0.2f, 0.2f, 1}},
      {"glLightfv", {GL_LIGHT0, GL_DIFFUSE, 0.5f, 0.5f, 0.5f, 1}},
      {"glLightfv", {GL_LIGHT0, GL_SPECULAR, 0.5f, 0.5f, 0.5f, 1}},
      {"glLightfv", {GL_LIGHT0, GL_POSITION, 0, 0, 1, 1}},
      {"glLightfv", {GL_LIGHT0, GL_SPOT_DIRECTION, 0, 0, -1}},
      {"glMaterialfv", {GL_FRONT, GL_AMBIENT, 0.2f, 0.2f, 0.2f, 1}},
      {"glMaterialfv", {GL_FRONT, GL_DIFFUSE, 0.3f, 0.3f, 0.3f, 1}},
      {"glMaterialfv", {GL_FRONT, GL_SPECULAR, 0.5f, 0.5f, 0.5f, 1}},
      {"glMaterialfv", {GL_FRONT, GL_EMISSION, 0.2f, 0.2f, 0.2f, 1}},
      {"glMaterialf", {GL_FRONT, GL_SHININESS, 5}},
      {"glLightModeli", {GL_LIGHT_MODEL_TWO_SIDE, 1}},
      {"glEnable", {GL_LIGHT0}},
  };
  ASSERT_EQ(RecordedGlCalls().size(), expected.size());
  for (size_t index = 0; index < expected.size(); ++index) {
    EXPECT_EQ(RecordedGlCalls()[index].name, expected[index].name) << "call " << index;
    EXPECT_EQ(RecordedGlCalls()[index].arguments, expected[index].arguments) << "call " << index << " " << expected[index].name;
  }
}

TEST(InitGL, UsesTheWindowSizeForTheViewportOnly) {
  for (auto [width, height] : {std::pair{133, 100}, {1, 1}, {3840, 1600}}) {
    ScreenWidth = width, ScreenHeight = height;
    RecordedGlCalls().clear();
    InitGL();
    EXPECT_EQ(RecordedGlCalls()[0].arguments, (std::vector<double>{0, 0, double(width), double(height)}));
    EXPECT_EQ(RecordedGlCalls()[3].arguments, (std::vector<double>{-0.495, 0.495, -0.5, 0.5, -1.0, 2.0}));
  }
}
