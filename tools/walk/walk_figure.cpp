#include "tools/walk/walk_figure.h"

#include <algorithm>
#include <cmath>

namespace walk {
namespace {

constexpr double kPi = 3.14159265358979323846;

double radians(double degrees) { return degrees * kPi / 180.0; }

struct Point {
  double x;
  double y;
};

// A point length away from start, at angle radians from straight down,
// positive angles towards the front (+x).
Point limbEnd(Point start, double angle, double length) {
  return {start.x + length * std::sin(angle),
          start.y + length * std::cos(angle)};
}

class Canvas {
 public:
  Canvas() : pixels_(kFrameWidth * kFrameHeight, kClear) {}

  // Every pixel whose centre lies within radius of the segment a-b: a limb
  // with rounded ends. Per-pixel distance keeps this trivially correct.
  void stroke(Point a, Point b, double radius, Ink ink) {
    for (int y = 0; y < kFrameHeight; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        if (distanceToSegment({x + 0.5, y + 0.5}, a, b) <= radius) {
          set(x, y, ink);
        }
      }
    }
  }

  void disc(Point c, double radius, Ink ink) { stroke(c, c, radius, ink); }

  void box(int left, int top, int right, int bottom, Ink ink) {
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) set(x, y, ink);
    }
  }

  Ink at(int x, int y) const {
    if (x < 0 || y < 0 || x >= kFrameWidth || y >= kFrameHeight) return kClear;
    return static_cast<Ink>(
        pixels_[static_cast<std::size_t>(y * kFrameWidth + x)]);
  }

  void set(int x, int y, Ink ink) {
    if (x < 0 || y < 0 || x >= kFrameWidth || y >= kFrameHeight) return;
    pixels_[static_cast<std::size_t>(y * kFrameWidth + x)] = ink;
  }

  // A one-pixel dark rim around the figure, so that it reads against any
  // background.
  void outline() {
    const Canvas before = *this;
    for (int y = 0; y < kFrameHeight; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        if (before.at(x, y) == kClear && before.touches(x, y)) {
          set(x, y, kOutline);
        }
      }
    }
  }

  // Whether a pixel next to (x, y), not diagonally, is drawn.
  bool touches(int x, int y) const {
    return at(x - 1, y) != kClear || at(x + 1, y) != kClear ||
           at(x, y - 1) != kClear || at(x, y + 1) != kClear;
  }

  // Lays a separately drawn part over this one with a dark rim where it
  // covers the figure, so that an arm in front of the body stays visible.
  void overlay(const Canvas& part) {
    for (int y = 0; y < kFrameHeight; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        if (part.at(x, y) != kClear) {
          set(x, y, part.at(x, y));
        } else if (at(x, y) != kClear && part.touches(x, y)) {
          set(x, y, kOutline);
        }
      }
    }
  }

  const std::vector<std::uint8_t>& pixels() const { return pixels_; }

 private:
  static double distanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = 0.0;
    if (lengthSquared > 0.0) {
      t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared;
      t = std::clamp(t, 0.0, 1.0);
    }
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
  }

  std::vector<std::uint8_t> pixels_;
};

// Thigh, shin and shoe. phase is the leg's own point in the cycle; the knee
// bends while the leg swings forward (cos > 0) and the shin trails it.
void drawLeg(Canvas& canvas, Point hip, double phase, Ink cloth) {
  const double thigh = radians(28.0) * std::sin(phase);
  const double bend = radians(32.0) * std::max(0.0, std::cos(phase));
  const Point knee = limbEnd(hip, thigh, 7.5);
  const Point foot = limbEnd(knee, thigh - bend, 7.5);
  canvas.stroke(hip, knee, 1.9, cloth);
  canvas.stroke(knee, foot, 1.7, cloth);
  canvas.stroke({foot.x - 1.0, foot.y + 0.5}, {foot.x + 2.5, foot.y + 0.5}, 1.2,
                kShoes);
}

// Upper arm, forearm and hand; the elbow always bends a little forwards.
void drawArm(Canvas& canvas, Point shoulder, double phase, Ink sleeve,
             Ink hand) {
  const double upper = -radians(35.0) * std::sin(phase);
  const Point elbow = limbEnd(shoulder, upper, 6.0);
  const Point wrist = limbEnd(elbow, upper + radians(25.0), 5.0);
  canvas.stroke(shoulder, elbow, 1.5, sleeve);
  canvas.stroke(elbow, wrist, 1.3, sleeve);
  canvas.disc(wrist, 1.4, hand);
}

}  // namespace

std::vector<std::uint8_t> drawWalkFrame(int frame) {
  const double phase = 2.0 * kPi * frame / kFramesPerCycle;
  // The body sinks a pixel when the legs are furthest apart.
  const double dip = std::abs(std::sin(phase)) > 0.9 ? 1.0 : 0.0;
  const Point hip{15.5, 29.5 + dip};
  const Point shoulder{15.5, 17.5 + dip};
  const double nearPhase = phase;
  const double farPhase = phase + kPi;

  Canvas canvas;
  // Far side first, in shade, so that the near side covers it.
  drawArm(canvas, shoulder, farPhase, kShirtShade, kSkinShade);
  drawLeg(canvas, hip, farPhase, kTrousersShade);

  const int top = static_cast<int>(15 + dip);
  canvas.box(13, top, 18, top + 12, kShirt);          // torso
  canvas.box(13, top + 13, 18, top + 15, kTrousers);  // seat
  canvas.box(15, top - 1, 16, top, kSkin);            // neck

  drawLeg(canvas, hip, nearPhase, kTrousers);
  Canvas nearArm;
  drawArm(nearArm, shoulder, nearPhase, kShirt, kSkin);
  canvas.overlay(nearArm);

  // Head: skin disc, hair over the crown and the back, an eye and a nose.
  const Point head{16.5, 9.5 + dip};
  canvas.disc(head, 5.0, kSkin);
  for (int y = 0; y < kFrameHeight; ++y) {
    for (int x = 0; x < kFrameWidth; ++x) {
      if (canvas.at(x, y) != kSkin) continue;
      const double dx = x + 0.5 - head.x;
      const double dy = y + 0.5 - head.y;
      if (std::hypot(dx, dy) > 5.0) continue;
      if (dy < -1.5 || (dx < -1.0 && dy < 2.0)) canvas.set(x, y, kHair);
    }
  }
  const int headY = static_cast<int>(head.y);
  canvas.set(19, headY, kOutline);   // eye
  canvas.set(22, headY + 1, kSkin);  // nose
  canvas.outline();
  return canvas.pixels();
}

}  // namespace walk
