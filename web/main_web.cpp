// The page's entry points into the animation: the page script (page.js) calls these through the
// module's exports. The lattice, the arithmetic and the mesh's triangles are the saver's own; the
// page adds only WebGL drawing, pacing and input.
#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "lattice/lattice.h"
#include "lattice/window_lattice.h"
#include "scene/mesh.h"
#include "scene/scene.h"
#include "web/page_parameters.h"

// page.js reads these structures at fixed places: a change here must change it too.
static_assert(sizeof(MeshVertex) == 9 * sizeof(float) && offsetof(MeshVertex, colour) == 3 * sizeof(float) &&
              offsetof(MeshVertex, vertex) == 6 * sizeof(float));
static_assert(offsetof(SceneLighting, lightDiffuse) == 4 * sizeof(float) &&
              offsetof(SceneLighting, lightSpecular) == 8 * sizeof(float) &&
              offsetof(SceneLighting, lightPosition) == 12 * sizeof(float) &&
              offsetof(SceneLighting, materialSpecular) == 27 * sizeof(float) &&
              offsetof(SceneLighting, materialEmission) == 31 * sizeof(float) &&
              offsetof(SceneLighting, materialShininess) == 35 * sizeof(float));

namespace {

PageParameters Parameters;
uint32_t StartSeed = 0;
std::string ParameterError;
// Refilled every frame; allocated again only when the lattice's size changes.
std::vector<MeshVertex> MeshVertices;

// The vertex buffer of a large lattice is the page's one large allocation. Where the browser
// grows the module's memory no further, the page's abort handler (page.js) is told by this reason,
// apart from a module this browser cannot run at all.
EM_JS(void, ReportMemoryRefused, (), { abort('memory refused'); });

}  // namespace

extern "C" {

// Takes one URL parameter, its name and value as bytes of the given lengths (a URL may carry any
// byte, zero included); returns an empty text, or the message that names what is wrong.
EMSCRIPTEN_KEEPALIVE const char* vellumir_read_parameter(const char* name, int32_t nameLength, const char* value,
                                                         int32_t valueLength) {
  ParameterError.clear();
  ReadPageParameter(std::string(name, static_cast<size_t>(nameLength)), std::string(value, static_cast<size_t>(valueLength)),
                    Parameters, ParameterError);
  return ParameterError.c_str();
}

// Lays out the lattice for a canvas of this many pixels, as the frame tool does for an image of
// that size and the same seed, rows and mode; returns the frames still to compute before the
// picture stands still, or -1 to animate.
EMSCRIPTEN_KEEPALIVE int32_t vellumir_start(int32_t width, int32_t height) {
  std::set_new_handler(ReportMemoryRefused);
  StartSeed = StartSeededLattice(Parameters.rows, width, height, Parameters.seed, Parameters.mode);
  return Parameters.frame ? static_cast<int32_t>(*Parameters.frame) : -1;
}

// One animation step, on a lattice that follows the canvas's size as the hack's follows its window.
EMSCRIPTEN_KEEPALIVE void vellumir_compute(int32_t width, int32_t height) {
  FollowWindowSize(width, height);
  ComputeFrame();
}

// The mesh's corners, interleaved as MeshVertex lays them out; vellumir_vertex_count() of them.
EMSCRIPTEN_KEEPALIVE const MeshVertex* vellumir_fill_mesh() {
  FillMeshVertices(MeshVertices);
  return MeshVertices.data();
}

EMSCRIPTEN_KEEPALIVE int32_t vellumir_vertex_count() { return static_cast<int32_t>(MeshVertices.size()); }

// The hack's view: no row end shows at any shape of the canvas.
EMSCRIPTEN_KEEPALIVE double vellumir_half_width() { return RowEndFreeHalfWidth(ColCount); }

EMSCRIPTEN_KEEPALIVE const SceneLighting* vellumir_lighting() { return &Lighting; }

EMSCRIPTEN_KEEPALIVE void vellumir_set_mode(int32_t mode) { PatternMode = mode; }
EMSCRIPTEN_KEEPALIVE int32_t vellumir_mode() { return PatternMode; }
EMSCRIPTEN_KEEPALIVE uint32_t vellumir_seed() { return StartSeed; }
EMSCRIPTEN_KEEPALIVE int32_t vellumir_rows() { return RowCount; }
EMSCRIPTEN_KEEPALIVE int32_t vellumir_saver() { return Parameters.saver; }

}  // extern "C"
