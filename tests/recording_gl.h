// A stand-in for the OpenGL library that records every call, so tests can assert the exact
// call stream of the scene set-up and the mesh drawing.
#pragma once

#include <string>
#include <vector>

struct GlCall {
  std::string name;
  std::vector<double> arguments;  // enums and integers as numbers, vectors element by element
};

std::vector<GlCall>& RecordedGlCalls();
