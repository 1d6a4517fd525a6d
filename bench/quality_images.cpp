#include "bench/quality_images.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace bench {

namespace {

// A PAM header's fields; the pixel data follows ENDHDR.
bool parsePam(const std::vector<std::uint8_t>& bytes, RgbaImage& image) {
  const std::string text(
      bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 256));
  const std::size_t end = text.find("ENDHDR\n");
  if (text.compare(0, 3, "P7\n") != 0 || end == std::string::npos) return false;
  unsigned width = 0, height = 0, depth = 0, maxval = 0;
  const char* fields = text.c_str();
  for (const char* line = fields; line < fields + end;) {
    std::sscanf(line, "WIDTH %u", &width);
    std::sscanf(line, "HEIGHT %u", &height);
    std::sscanf(line, "DEPTH %u", &depth);
    std::sscanf(line, "MAXVAL %u", &maxval);
    const char* next = std::strchr(line, '\n');
    if (next == nullptr) break;
    line = next + 1;
  }
  const std::size_t start = end + 7;
  const std::size_t pixels = std::size_t{width} * height;
  if (maxval != 255 || depth < 1 || depth > 4 ||
      bytes.size() < start + pixels * depth) {
    return false;
  }
  image.width = width;
  image.height = height;
  image.rgba.assign(4 * pixels, 255);
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint8_t* in = &bytes[start + i * depth];
    std::uint8_t* out = &image.rgba[4 * i];
    if (depth <= 2) {
      out[0] = out[1] = out[2] = in[0];
      if (depth == 2) out[3] = in[1];
    } else {
      std::memcpy(out, in, depth);
    }
  }
  return true;
}

// Lambert and a little specular light on a sphere, in linear light, then
// the sRGB curve; outside the disc transparent, its rim partly covered.
RgbaImage sphere(std::uint32_t side, const double color[3]) {
  RgbaImage image{side, side, std::vector<std::uint8_t>(4u * side * side)};
  const double radius = side * 0.45;
  const double centre = side / 2.0;
  const double light[3] = {-0.45, -0.55, 0.70};
  for (std::uint32_t y = 0; y < side; ++y) {
    for (std::uint32_t x = 0; x < side; ++x) {
      std::uint8_t* p = &image.rgba[4 * (std::size_t{y} * side + x)];
      const double dx = (x + 0.5 - centre) / radius;
      const double dy = (y + 0.5 - centre) / radius;
      const double r2 = dx * dx + dy * dy;
      const double cover =
          std::clamp((1.0 - std::sqrt(r2)) * radius + 0.5, 0.0, 1.0);
      const double dz = std::sqrt(std::max(0.0, 1.0 - r2));
      const double lambert =
          std::max(0.0, dx * light[0] + dy * light[1] + dz * light[2]);
      const double specular =
          std::pow(std::max(0.0, 2 * dz * lambert - light[2]), 20.0);
      for (int k = 0; k < 3; ++k) {
        const double v =
            std::min(1.0, color[k] * (0.08 + 0.92 * lambert) + 0.35 * specular);
        const double s =
            v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
        p[k] = static_cast<std::uint8_t>(std::lround(255 * s));
      }
      p[3] = static_cast<std::uint8_t>(std::lround(255 * cover));
    }
  }
  return image;
}

// Pastes figure (its alpha over what is there) with its top left at (x, y).
void paste(RgbaImage& onto, const RgbaImage& figure, int x, int y) {
  for (std::uint32_t fy = 0; fy < figure.height; ++fy) {
    for (std::uint32_t fx = 0; fx < figure.width; ++fx) {
      const int tx = x + static_cast<int>(fx);
      const int ty = y + static_cast<int>(fy);
      if (tx < 0 || ty < 0 || tx >= static_cast<int>(onto.width) ||
          ty >= static_cast<int>(onto.height)) {
        continue;
      }
      const std::uint8_t* f =
          &figure.rgba[4 * (std::size_t{fy} * figure.width + fx)];
      std::uint8_t* t = &onto.rgba[4 * (std::size_t(ty) * onto.width + tx)];
      if (f[3] >= 128) std::memcpy(t, f, 4);
    }
  }
}

// A figure moving across a still background, 12 frames: stepX to the right
// each frame, hopping jumpY up and down again.
std::vector<RgbaImage> animation(const RgbaImage& background,
                                 const RgbaImage& figure, int stepX,
                                 int jumpY) {
  std::vector<RgbaImage> frames;
  for (int k = 0; k < 12; ++k) {
    RgbaImage frame = background;
    paste(frame, figure, 8 + k * stepX, 10 + (k % 2) * jumpY);
    frames.push_back(std::move(frame));
  }
  return frames;
}

// Sky and ground: smooth, drawn here.
RgbaImage landscape(std::uint32_t width, std::uint32_t height) {
  RgbaImage image{width, height,
                  std::vector<std::uint8_t>(4u * width * height)};
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* p = &image.rgba[4 * (std::size_t{y} * width + x)];
      const double t = static_cast<double>(y) / height;
      if (y < height * 2 / 3) {
        p[0] =
            static_cast<std::uint8_t>(70 + 100 * t + 20 * std::sin(x * 0.05));
        p[1] = static_cast<std::uint8_t>(120 + 80 * t);
        p[2] = static_cast<std::uint8_t>(200 + 40 * t);
      } else {
        p[0] =
            static_cast<std::uint8_t>(90 + 40 * std::sin(x * 0.11 + y * 0.3));
        p[1] = static_cast<std::uint8_t>(110 + 30 * t);
        p[2] = static_cast<std::uint8_t>(50 + 20 * std::cos(x * 0.07));
      }
      p[3] = 255;
    }
  }
  return image;
}

}  // namespace

bool haveImageMagick() {
  // The real one prints its version; a stand-in does not call itself
  // ImageMagick.
  FILE* pipe = ::popen("convert -version 2>/dev/null", "r");
  if (pipe == nullptr) return false;
  char line[256] = {};
  const bool real = std::fgets(line, sizeof line, pipe) != nullptr &&
                    std::strstr(line, "ImageMagick") != nullptr;
  ::pclose(pipe);
  return real;
}

bool readWithConvert(const std::string& arguments, RgbaImage& image) {
  const std::string command =
      "convert " + arguments + " -depth 8 pam:- 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  const int status = ::pclose(pipe);
  return status == 0 && parsePam(bytes, image);
}

bool writePng(const RgbaImage& image, const std::string& path) {
  const std::string raw = path + ".rgba";
  {
    std::ofstream out(raw, std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.rgba.data()),
              static_cast<std::streamsize>(image.rgba.size()));
    if (!out) return false;
  }
  const std::string command = "convert -size " + std::to_string(image.width) +
                              "x" + std::to_string(image.height) +
                              " -depth 8 rgba:" + raw + " " + path +
                              " 2>/dev/null";
  const bool ok = std::system(command.c_str()) == 0;
  std::remove(raw.c_str());
  return ok;
}

std::vector<TestPicture> makeTestSet(std::vector<std::string>& notes) {
  std::vector<TestPicture> set;
  const bool magick = haveImageMagick();
  if (!magick) {
    notes.push_back(
        "ImageMagick's convert is not installed: its built-in "
        "pictures, the plasma and the gradients are left out.");
  }
  struct Drawn {
    const char* name;
    const char* arguments;
    bool smooth;
  };
  const Drawn drawn[] = {
      {"rose", "rose:", false},
      {"logo", "logo:", false},
      {"granite", "granite:", false},
      {"netscape", "netscape:", false},
      {"wizard", "wizard:", false},
      {"plasma", "-seed 7 -size 200x200 plasma:", false},
      {"gradient grey", "-size 256x64 gradient:white-black -rotate 90", true},
      {"gradient colour", "-size 320x64 gradient:#203870-#f0b060", true},
  };
  for (const Drawn& d : drawn) {
    if (!magick) break;
    TestPicture picture{d.name, d.smooth, {RgbaImage{}}};
    if (readWithConvert(d.arguments, picture.frames[0])) {
      set.push_back(std::move(picture));
    } else {
      notes.push_back(std::string("convert could not draw ") + d.arguments);
    }
  }
  const double orange[3] = {0.80, 0.25, 0.06};
  set.push_back({"sphere", true, {sphere(160, orange)}});

  const double teal[3] = {0.05, 0.45, 0.40};
  set.push_back({"animation: ball over landscape", false,
                 animation(landscape(192, 128), sphere(52, teal), 11, 20)});
  RgbaImage backdrop;
  if (magick && readWithConvert("-seed 3 -size 160x120 plasma:", backdrop)) {
    const double violet[3] = {0.35, 0.10, 0.60};
    set.push_back({"animation: ball over plasma", false,
                   animation(backdrop, sphere(46, violet), 8, 18)});
  }
  return set;
}

}  // namespace bench
