// Renders the current lattice offscreen through Mesa and writes it as a PNG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "scene/mesh.h"
#include "scene/scene.h"

// RGBA pixels, top row first.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<unsigned char> rgba;
};

// Clears, sets up the scene for ScreenWidth x ScreenHeight and draws the lattice as it stands, by
// default as the saver does; false when no offscreen context could be made.
bool RenderOffscreen(Image& image, void (*initScene)() = InitGL, void (*drawMesh)() = DrawMesh);

// Keywords and their texts, written into the PNG as text chunks ahead of the pixels.
using PngText = std::vector<std::pair<std::string, std::string>>;

bool WritePng(const Image& image, const PngText& text, std::FILE* stream);
