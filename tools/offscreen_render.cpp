#include "tools/offscreen_render.h"

#include <GL/osmesa.h>
#include <png.h>

#include <algorithm>

#include "lattice/lattice.h"

bool RenderOffscreen(Image& image, void (*initScene)(), void (*drawMesh)()) {
  const size_t rowBytes = static_cast<size_t>(ScreenWidth) * 4;
  std::vector<unsigned char> buffer(rowBytes * ScreenHeight);
  // Like the saver's pixel format: colour only, no depth or stencil buffer.
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
  if (!context) return false;
  if (!OSMesaMakeCurrent(context, buffer.data(), GL_UNSIGNED_BYTE, ScreenWidth, ScreenHeight)) {
    OSMesaDestroyContext(context);
    return false;
  }
  initScene();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawMesh();
  glFinish();
  OSMesaDestroyContext(context);

  // Mesa's buffer starts at the bottom row.
  image.width = ScreenWidth;
  image.height = ScreenHeight;
  image.rgba.resize(buffer.size());
  for (int32_t row = 0; row < ScreenHeight; ++row)
    std::copy_n(&buffer[(ScreenHeight - 1 - row) * rowBytes], rowBytes, &image.rgba[row * rowBytes]);
  return true;
}

namespace {

// libpng would print its own line on a write error; the tool reports the failure itself.
void AbandonPng(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnorePngWarning(png_structp, png_const_charp) {}

// libpng's setjmp lives here, apart from anything with a destructor for its longjmp to skip.
bool WritePngChunks(const Image& image, png_text* text, int textCount, std::FILE* stream) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, AbandonPng, IgnorePngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, stream);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_text(png, info, text, textCount);
  png_write_info(png, info);
  // Rows come as RGBA; the alpha byte is dropped, as the screen shows no alpha.
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int32_t row = 0; row < image.height; ++row)
    png_write_row(png, &image.rgba[static_cast<size_t>(row) * image.width * 4]);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePng(const Image& image, const PngText& text, std::FILE* stream) {
  std::vector<png_text> chunks(text.size());
  for (size_t index = 0; index < text.size(); ++index) {
    chunks[index].compression = PNG_TEXT_COMPRESSION_NONE;
    chunks[index].key = const_cast<char*>(text[index].first.c_str());
    chunks[index].text = const_cast<char*>(text[index].second.c_str());
  }
  return WritePngChunks(image, chunks.data(), static_cast<int>(chunks.size()), stream);
}
