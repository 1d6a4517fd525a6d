// A renderer's export as gif2frm takes it: a folder of 48 frames of
// 200 x 200 RGBA, a shaded figure walking across its canvas, converted with
// -m=dither -c in one run, against pngquant --map onto the same 228 colours
// run once per frame, as a user without gif2frm's folder input would.
//
//   folder_bench [--runs N] [--program GIF2FRM] [--pngquant PATH]
//
// The frames are made at run time by ImageMagick (never committed) in the
// build tree. Every command runs in a child process; the two sides take
// turns, round after round, and the medians of the wall and CPU times are
// printed: the folder's one run against the sum of the 48 pngquant runs.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/child_process.h"
#include "bench/png_bench_art.h"

namespace fs = std::filesystem;

namespace {

using bench::median;

constexpr int kFrames = 48;

struct Settings {
  int runs = 7;
  std::string program = GIF2FRM_EXE;
  std::string pngquant;
};

bool parse(int argc, char** argv, Settings& settings) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    const std::string value = argv[i + 1];
    if (arg == "--runs") {
      settings.runs = std::max(1, std::stoi(value));
    } else if (arg == "--program") {
      settings.program = value;
    } else if (arg == "--pngquant") {
      settings.pngquant = value;
    } else {
      return false;
    }
  }
  return argc % 2 == 1;
}

// Frame k: a shaded ball with a darker outline walking left to right, on a
// transparent canvas, drawn anti-aliased.
std::vector<std::string> frameArguments(int k, const std::string& output) {
  const int x = 40 + 120 * k / (kFrames - 1);
  const int y = 110 + (k % 8 < 4 ? k % 4 : 4 - k % 4) * 4;
  char circle[64];
  std::snprintf(circle, sizeof circle, "circle %d,%d %d,%d", x, y, x + 34, y);
  char light[64];
  std::snprintf(light, sizeof light, "circle %d,%d %d,%d", x - 10, y - 12,
                x + 6, y - 12);
  return {"-size",   "200x200",        "xc:none", "-fill",
          "#a05a2c", "-stroke",        "#3b2010", "-strokewidth",
          "3",       "-draw",          circle,    "-fill",
          "#e8b080", "-stroke",        "none",    "-draw",
          light,     "-channel",       "RGBA",    "-blur",
          "0x1.2",   "PNG32:" + output};
}

// The folder of frames, made unless it is there; empty when convert failed.
std::string makeFrames(const std::string& root) {
  const fs::path folder = fs::path(root) / "walk";
  std::error_code error;
  fs::create_directories(folder, error);
  for (int k = 0; k < kFrames; ++k) {
    const fs::path frame = folder / ("walk" + std::to_string(k + 1) + ".png");
    if (fs::exists(frame)) continue;
    const bench::ChildRun made = bench::runMeasured(
        bench::kImageMagickConvert, frameArguments(k, frame.string()), root);
    if (made.exitStatus != 0) return std::string();
  }
  return folder.string();
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, settings)) {
    std::fprintf(stderr,
                 "usage: folder_bench [--runs N] [--program GIF2FRM] "
                 "[--pngquant PATH]\n");
    return 2;
  }
  if (settings.pngquant.empty()) {
    settings.pngquant = bench::findProgram("pngquant");
  }
  const std::string root = GIF2FRM_FOLDER_BENCH_ART;
  std::error_code error;
  fs::create_directories(root, error);
  const std::string folder = makeFrames(root);
  const std::string map = bench::makePaletteMap(root);
  if (folder.empty() || map.empty() || settings.pngquant.empty()) {
    std::fprintf(stderr,
                 "needs ImageMagick's convert and pngquant (Debian "
                 "imagemagick, pngquant)\n");
    return 1;
  }
  std::vector<double> oursWall, oursCpu, theirsWall, theirsCpu;
  int failures = 0;
  for (int round = -1; round < settings.runs; ++round) {  // -1: warm-up
    const bench::ChildRun ours = bench::runMeasured(
        settings.program, {"-m=dither", "-c", "-o=walk.frm", folder}, root);
    failures += ours.exitStatus != 0;
    double wall = 0;
    double cpu = 0;
    for (int k = 0; k < kFrames; ++k) {
      const std::string frame =
          folder + "/walk" + std::to_string(k + 1) + ".png";
      const bench::ChildRun theirs = bench::runMeasured(
          settings.pngquant,
          {"--map", map, "--force", "--output", "out.png", frame}, root);
      failures += theirs.exitStatus != 0;
      wall += theirs.wallSeconds;
      cpu += theirs.cpuSeconds;
    }
    if (round < 0) continue;
    oursWall.push_back(ours.wallSeconds);
    oursCpu.push_back(ours.cpuSeconds);
    theirsWall.push_back(wall);
    theirsCpu.push_back(cpu);
  }
  const double ours = median(oursWall);
  const double theirs = median(theirsWall);
  std::printf(
      "| what | gif2frm ms | pngquant ms (48 runs) | pngquant / gif2frm | "
      "CPU ratio |\n|---|---:|---:|---|---:|\n");
  std::printf(
      "| 48 frames of 200 x 200 RGBA, -m=dither -c | %.1f | %.1f | "
      "%.2f %s | %.2f |%s\n",
      1e3 * ours, 1e3 * theirs, theirs / ours,
      theirs > ours ? "ok" : "**FAIL**", median(theirsCpu) / median(oursCpu),
      failures != 0 ? " (a run failed)" : "");
  return 0;
}
