// The whole-process peer of a gif2frm run: decodes a GIF file with giflib's
// DGifSlurp and writes the colour indices of every image, one after the
// other, to a file. About the least a program can do with a GIF that ends in
// a file of its pixels.
//   giflib_indices IN.gif OUT
// Exit status 0 when the whole file decoded and was written, else 1.
#include <gif_lib.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s IN.gif OUT\n", argv[0]);
    return 2;
  }
  int error = 0;
  GifFileType* gif = DGifOpenFileName(argv[1], &error);
  if (gif == nullptr) return 1;
  bool ok = DGifSlurp(gif) == GIF_OK;
  std::FILE* out = ok ? std::fopen(argv[2], "wb") : nullptr;
  ok = out != nullptr;
  for (int i = 0; ok && i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    const auto size = static_cast<std::size_t>(image.ImageDesc.Width) *
                      static_cast<std::size_t>(image.ImageDesc.Height);
    ok = std::fwrite(image.RasterBits, 1, size, out) == size;
  }
  if (out != nullptr && std::fclose(out) != 0) ok = false;
  DGifCloseFile(gif, &error);
  return ok ? 0 : 1;
}
