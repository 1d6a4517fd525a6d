#include "bench/synthetic_pictures.h"

#include <algorithm>
#include <cstdlib>

namespace bench {

std::uint64_t Random::next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint32_t Random::below(std::uint32_t bound) {
  return static_cast<std::uint32_t>(next() % bound);
}

namespace {

constexpr int kMatchableColors = 228;

std::uint8_t clampByte(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// A value 0..255 attached to a lattice point; the same point always gives
// the same value.
int latticeValue(std::int64_t ix, std::int64_t iy, std::uint64_t seed) {
  Random mix(seed ^ (static_cast<std::uint64_t>(ix) * 0x9E3779B97F4A7C15ull) ^
             (static_cast<std::uint64_t>(iy) * 0xC2B2AE3D27D4EB4Full));
  return static_cast<int>(mix.next() >> 56);
}

// Value noise: lattice values every cell pixels, blended bilinearly.
int valueNoise(std::int64_t x, std::int64_t y, int cell, std::uint64_t seed) {
  const std::int64_t ix = x / cell;
  const std::int64_t iy = y / cell;
  const int fx = static_cast<int>(x % cell);
  const int fy = static_cast<int>(y % cell);
  const int top = latticeValue(ix, iy, seed) * (cell - fx) +
                  latticeValue(ix + 1, iy, seed) * fx;
  const int bottom = latticeValue(ix, iy + 1, seed) * (cell - fx) +
                     latticeValue(ix + 1, iy + 1, seed) * fx;
  return (top * (cell - fy) + bottom * fy) / (cell * cell);
}

// Integer sine of degrees, scaled to -256..256 (Bhaskara's approximation):
// good enough for a walk cycle and exact on every machine.
int sine256(int degrees) {
  degrees %= 360;
  if (degrees < 0) degrees += 360;
  const int sign = degrees < 180 ? 1 : -1;
  const int x = degrees % 180;
  return sign * 256 * 4 * x * (180 - x) / (40500 - x * (180 - x));
}

// Fills the pixels within thickness of the segment (x0,y0)-(x1,y1) with a
// shade that darkens away from its left edge.
void drawLimb(std::vector<std::uint8_t>& pixels, std::uint32_t width,
              std::uint32_t height, int x0, int y0, int x1, int y1,
              int thickness, int firstShade) {
  const int left = std::max(0, std::min(x0, x1) - thickness);
  const int right =
      std::min<int>(static_cast<int>(width) - 1, std::max(x0, x1) + thickness);
  const int top = std::max(0, std::min(y0, y1) - thickness);
  const int bottom =
      std::min<int>(static_cast<int>(height) - 1, std::max(y0, y1) + thickness);
  const std::int64_t dx = x1 - x0;
  const std::int64_t dy = y1 - y0;
  const std::int64_t length2 = std::max<std::int64_t>(1, dx * dx + dy * dy);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const std::int64_t px = x - x0;
      const std::int64_t py = y - y0;
      const std::int64_t along =
          std::clamp<std::int64_t>(px * dx + py * dy, 0, length2);
      const std::int64_t ex = px * length2 - along * dx;
      const std::int64_t ey = py * length2 - along * dy;
      // Distance squared times length2 squared, compared likewise.
      const std::int64_t limit = std::int64_t{thickness} * thickness;
      if (ex * ex + ey * ey > limit * length2 * length2) continue;
      const int across =
          std::abs(x - (x0 + static_cast<int>(along * dx / length2)));
      const int shade = std::min(5, across * 6 / (thickness + 1));
      pixels[static_cast<std::size_t>(y) * width + x] =
          static_cast<std::uint8_t>(firstShade + shade);
    }
  }
}

// An ellipse lit from the upper left: six shades from firstShade on, and
// every other band of stripeHeight rows (when not 0) in the next six.
void drawBody(std::vector<std::uint8_t>& pixels, std::uint32_t width,
              std::uint32_t height, int cx, int cy, int rx, int ry,
              int firstShade, int stripeHeight) {
  for (int y = std::max(0, cy - ry);
       y <= std::min<int>(static_cast<int>(height) - 1, cy + ry); ++y) {
    for (int x = std::max(0, cx - rx);
         x <= std::min<int>(static_cast<int>(width) - 1, cx + rx); ++x) {
      const std::int64_t nx = std::int64_t{x - cx} * ry;
      const std::int64_t ny = std::int64_t{y - cy} * rx;
      const std::int64_t r2 = std::int64_t{rx} * ry;
      if (nx * nx + ny * ny > r2 * r2) continue;
      const std::int64_t lx = std::int64_t{x - cx + rx / 3} * ry;
      const std::int64_t ly = std::int64_t{y - cy + ry / 3} * rx;
      const int shade = static_cast<int>(
          std::min<std::int64_t>(5, (lx * lx + ly * ly) * 4 / (r2 * r2)));
      const bool stripe = stripeHeight != 0 && (y / stripeHeight) % 2 == 1;
      pixels[static_cast<std::size_t>(y) * width + x] =
          static_cast<std::uint8_t>(firstShade + shade + (stripe ? 6 : 0));
    }
  }
}

void fillRect(std::vector<std::uint8_t>& pixels, std::uint32_t width,
              std::uint32_t left, std::uint32_t top, std::uint32_t right,
              std::uint32_t bottom, std::uint8_t color) {
  for (std::uint32_t y = top; y < bottom; ++y) {
    std::fill(pixels.begin() + static_cast<std::ptrdiff_t>(y * width + left),
              pixels.begin() + static_cast<std::ptrdiff_t>(y * width + right),
              color);
  }
}

}  // namespace

gifenc::ColorTable paletteColorTable(const std::uint8_t* palette, int count,
                                     int variant) {
  gifenc::ColorTable table;
  for (int k = 0; k < count; ++k) {
    // 97 is prime to 228, so the first 228 entries are all different
    // palette colours; later ones repeat them with other low bits.
    const int entry = 1 + (k * 97 + variant * 29) % kMatchableColors;
    const int low = (k / kMatchableColors + variant) % 4;
    const std::uint8_t* rgb = palette + 3 * entry;
    table.push_back({static_cast<std::uint8_t>(rgb[0] * 4 + low),
                     static_cast<std::uint8_t>(rgb[1] * 4 + low),
                     static_cast<std::uint8_t>(rgb[2] * 4 + low)});
  }
  return table;
}

std::vector<std::uint8_t> photoField(std::uint32_t width, std::uint32_t height,
                                     std::uint32_t originX,
                                     std::uint32_t originY,
                                     std::uint64_t seed) {
  std::vector<std::uint8_t> rgb(std::size_t{width} * height * 3);
  std::size_t at = 0;
  for (std::uint32_t row = 0; row < height; ++row) {
    for (std::uint32_t column = 0; column < width; ++column) {
      const std::int64_t x = std::int64_t{originX} + column;
      const std::int64_t y = std::int64_t{originY} + row;
      // Octaves from broad shapes down to fine texture.
      int luma =
          (valueNoise(x, y, 256, seed) * 8 +
           valueNoise(x, y, 64, seed + 1) * 4 +
           valueNoise(x, y, 16, seed + 2) * 2 + valueNoise(x, y, 4, seed + 3)) /
          15;
      luma = (luma - 128) * 2 + 128;
      // Colour that drifts over large areas and changes from object to
      // object, saturated enough to reach most of the table.
      const int warm = (valueNoise(x, y, 512, seed + 4) - 128) * 2 +
                       valueNoise(x, y, 64, seed + 7) - 128;
      const int cool = (valueNoise(x, y, 512, seed + 5) - 128) * 2 +
                       valueNoise(x, y, 64, seed + 8) - 128;
      // Sensor grain, as in a real photo.
      const int grain = latticeValue(x, y, seed + 6) / 16 - 8;
      rgb[at++] = clampByte(luma + warm * 3 / 4 + grain);
      rgb[at++] = clampByte(luma - (warm + cool) / 4 + grain);
      rgb[at++] = clampByte(luma + cool * 3 / 4 + grain);
    }
  }
  return rgb;
}

std::vector<std::uint8_t> ditherToTable(const std::vector<std::uint8_t>& rgb,
                                        std::uint32_t width,
                                        std::uint32_t height,
                                        const gifenc::ColorTable& table) {
  // Nearest table entry for every colour with 5-bit components, found on
  // first use.
  std::vector<int> nearest(32 * 32 * 32, -1);
  auto lookup = [&](int r, int g, int b) {
    const int key = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    if (nearest[key] < 0) {
      const int cr = (r & ~7) + 4, cg = (g & ~7) + 4, cb = (b & ~7) + 4;
      int best = 0;
      int bestDistance = 1 << 30;
      for (std::size_t i = 0; i < table.size(); ++i) {
        const int dr = cr - table[i].r, dg = cg - table[i].g,
                  db = cb - table[i].b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
          bestDistance = distance;
          best = static_cast<int>(i);
        }
      }
      nearest[key] = best;
    }
    return nearest[key];
  };

  std::vector<std::uint8_t> indices(std::size_t{width} * height);
  // Errors carried to this row and the next, three channels, one pixel of
  // margin on each side.
  std::vector<int> current((width + 2) * 3, 0);
  std::vector<int> next((width + 2) * 3, 0);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::fill(next.begin(), next.end(), 0);
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t pixel = std::size_t{y} * width + x;
      int wanted[3];
      for (int c = 0; c < 3; ++c) {
        wanted[c] = std::clamp(
            rgb[pixel * 3 + c] + current[(x + 1) * 3 + c] / 16, 0, 255);
      }
      const int index = lookup(wanted[0], wanted[1], wanted[2]);
      indices[pixel] = static_cast<std::uint8_t>(index);
      const int got[3] = {table[index].r, table[index].g, table[index].b};
      for (int c = 0; c < 3; ++c) {
        const int error = wanted[c] - got[c];
        current[(x + 2) * 3 + c] += error * 7;
        next[x * 3 + c] += error * 3;
        next[(x + 1) * 3 + c] += error * 5;
        next[(x + 2) * 3 + c] += error;
      }
    }
    std::swap(current, next);
  }
  return indices;
}

std::vector<std::uint8_t> spriteFrame(std::uint32_t width, std::uint32_t height,
                                      int frame, int frameCount) {
  std::vector<std::uint8_t> pixels(std::size_t{width} * height, 0);
  const int phase = frame * 360 / frameCount;
  const int swing = sine256(phase) * 22 / 256;
  const int bob = std::abs(sine256(phase * 2)) * 4 / 256;
  const int cx = static_cast<int>(width) / 2;
  const int foot = static_cast<int>(height) * 93 / 100;
  const int hip = foot - 55 + bob;
  const int shoulder = hip - 58;

  // Far limbs first, so the body and the near limbs cover them.
  drawLimb(pixels, width, height, cx + 8, hip, cx + 8 - swing, foot, 9, 19);
  drawLimb(pixels, width, height, cx + 22, shoulder, cx + 22 + swing, hip + 8,
           6, 1);
  drawBody(pixels, width, height, cx, hip - 28, 26, 36, 7, 6);
  drawBody(pixels, width, height, cx, shoulder - 24, 18, 18, 1, 0);
  drawLimb(pixels, width, height, cx - 8, hip, cx - 8 + swing, foot, 9, 25);
  drawLimb(pixels, width, height, cx - 22, shoulder, cx - 22 - swing, hip + 8,
           6, 1);

  // A dark outline wherever the figure meets the background.
  std::vector<std::uint8_t> outlined = pixels;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t at = std::size_t{y} * width + x;
      if (pixels[at] == 0) continue;
      const bool edge = x == 0 || y == 0 || x + 1 == width || y + 1 == height ||
                        pixels[at - 1] == 0 || pixels[at + 1] == 0 ||
                        pixels[at - width] == 0 || pixels[at + width] == 0;
      if (edge) outlined[at] = 31;
    }
  }
  return outlined;
}

std::vector<std::uint8_t> flatShapes(std::uint32_t width,
                                     std::uint32_t height) {
  std::vector<std::uint8_t> pixels(std::size_t{width} * height);
  // Eight horizontal bands as the background.
  for (std::uint32_t y = 0; y < height; ++y) {
    fillRect(pixels, width, 0, y, width, y + 1,
             static_cast<std::uint8_t>(y * 8 / height));
  }
  Random random(0xF1A7);
  for (int i = 0; i < 12; ++i) {
    const std::uint32_t w = width / 10 + random.below(width / 3);
    const std::uint32_t h = height / 10 + random.below(height / 3);
    const std::uint32_t left = random.below(width - w);
    const std::uint32_t top = random.below(height - h);
    fillRect(pixels, width, left, top, left + w, top + h,
             static_cast<std::uint8_t>(random.below(8)));
  }
  for (int i = 0; i < 6; ++i) {
    const std::int64_t r = height / 12 + random.below(height / 6);
    const std::int64_t cx = random.below(width);
    const std::int64_t cy = random.below(height);
    const auto color = static_cast<std::uint8_t>(random.below(8));
    for (std::int64_t y = std::max<std::int64_t>(0, cy - r);
         y < std::min<std::int64_t>(height, cy + r + 1); ++y) {
      for (std::int64_t x = std::max<std::int64_t>(0, cx - r);
           x < std::min<std::int64_t>(width, cx + r + 1); ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) {
          pixels[static_cast<std::size_t>(y * width + x)] = color;
        }
      }
    }
  }
  return pixels;
}

std::vector<std::uint8_t> noise(std::uint32_t width, std::uint32_t height,
                                std::uint64_t seed, std::uint32_t colors) {
  std::vector<std::uint8_t> pixels(std::size_t{width} * height);
  Random random(seed);
  for (std::size_t i = 0; i < pixels.size(); i += 8) {
    std::uint64_t bits = random.next();
    for (std::size_t j = i; j < std::min(i + 8, pixels.size()); ++j) {
      pixels[j] = static_cast<std::uint8_t>(bits % colors);
      bits >>= 8;
    }
  }
  return pixels;
}

}  // namespace bench
