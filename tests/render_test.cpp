#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "lattice/lattice.h"
#include "lattice/random.h"
#include "tools/offscreen_render.h"

namespace {

// Emission alone lights every covered pixel to about 0.2 of full intensity; darker is a gap.
constexpr int GapLevel = 40;

Image Render(int32_t width, int32_t height, int32_t rows, int32_t mode, int frames, void (*initScene)() = InitGL,
             void (*drawMesh)() = DrawMesh) {
  ScreenWidth = width, ScreenHeight = height;
  SetRandomSeed(31337);
  BuildSeededLattice(rows);
  PatternMode = mode;
  for (int frame = 0; frame < frames; ++frame) ComputeFrame();
  Image image;
  EXPECT_TRUE(RenderOffscreen(image, initScene, drawMesh));
  return image;
}

bool IsGap(const Image& image, int32_t x, int32_t y) {
  const unsigned char* pixel = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
  return std::max({pixel[0], pixel[1], pixel[2]}) < GapLevel;
}

int GapsInColumn(const Image& image, int32_t x) {
  int gaps = 0;
  for (int32_t y = 0; y < image.height; ++y) gaps += IsGap(image, x, y);
  return gaps;
}

// The saver's lighting, both faces, with the hack's view.
void InitSaverLightingInHackView() { InitScene(RowEndFreeHalfWidth(ColCount)); }

int Gaps(const Image& image) {
  int gaps = 0;
  for (int32_t x = 0; x < image.width; ++x) gaps += GapsInColumn(image, x);
  return gaps;
}

}  // namespace

TEST(OffscreenRender, CoversEveryPixelOfAFullHdFrame) {
  for (int mode : {1, 2, 4}) {
    EXPECT_EQ(Gaps(Render(1920, 1080, 100, mode, 1)), 0) << "mode " << mode;
  }
}

TEST(OffscreenRender, ChangesFromOneFrameToTheNext) {
  const Image first = Render(480, 270, 100, 3, 1);
  const Image second = Render(480, 270, 100, 3, 2);
  EXPECT_NE(first.rgba, second.rgba);
}

TEST(OffscreenRender, HidesTheZigzagRowEndsOnlyWhenThereAreFiftyColumnsOrMore) {
  struct Case {
    int32_t width, height, rows;
    bool zigzagVisible;
  } const cases[] = {
      {1920, 1080, 100, false},  // 178 columns
      {600, 600, 50, false},     // 50 columns, the narrowest that hides them
      {300, 900, 50, true},      // 17 columns
      {200, 500, 50, true},      // 20 columns
  };
  for (const Case& c : cases) {
    const Image image = Render(c.width, c.height, c.rows, 4, 1);
    const int edgeGaps = GapsInColumn(image, 0) + GapsInColumn(image, image.width - 1);
    EXPECT_EQ(edgeGaps > 0, c.zigzagVisible) << c.width << " x " << c.height << ": " << edgeGaps << " gap pixels";
  }
}

// From arrays and lighting front faces only, the hack draws the saver's pixels byte for byte.
TEST(OffscreenRender, TheHackDrawsTheSamePixelsAsTheSaversCallsAndLighting) {
  for (int mode = 1; mode <= 5; ++mode)
    for (const auto [width, height, rows] : {std::array{480, 270, 100}, {200, 500, 50}, {320, 180, 10}}) {
      const Image immediate = Render(width, height, rows, mode, 2, InitSaverLightingInHackView, DrawMesh);
      const Image arrays = Render(width, height, rows, mode, 2, InitHackScene, DrawMeshArrays);
      EXPECT_TRUE(immediate.rgba == arrays.rgba) << "mode " << mode << ", " << width << " x " << height;
    }
}

TEST(OffscreenRender, TheHacksViewShowsNoRowEndAtAnyShapeOrRowCount) {
  struct Case {
    int32_t width, height, rows;
  } const cases[] = {{1280, 720, 10}, {1280, 720, 25}, {720, 1280, 70}, {300, 900, 50}, {200, 500, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(Gaps(Render(c.width, c.height, c.rows, 4, 1, InitHackScene, DrawMeshArrays)), 0)
        << c.width << " x " << c.height << ", " << c.rows << " rows";
}
