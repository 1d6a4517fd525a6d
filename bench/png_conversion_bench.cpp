// The conversion of true-colour PNGs, made at run time by ImageMagick
// (png_bench_art.h): first in memory, the whole conversion with -m=nearest
// (convertBytes, then FrmImage::write to a sink that only counts) against
// the PNG decode alone (readPng) on the same bytes, thread CPU time, each
// pass after 5 ms of the same work untimed, the median of the rounds; then
// whole runs of gif2frm against pngquant --map onto the same 228 colours
// (Debian pngquant), each command in a child process in a scratch folder,
// the commands of a file taking turns, medians of the wall times:
//
//   gif2frm -m=nearest FILE   against  pngquant --nofs --map map.png ...
//   gif2frm -m=dither FILE    against  pngquant --map map.png ...
//
//   png_conversion_bench [--rounds N] [--runs N] [--art DIR]
//                        [--program GIF2FRM] [--pngquant PATH]
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/child_process.h"
#include "bench/png_bench_art.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "platform/byte_sink.h"
#include "png/png_reader.h"
#include "support/temp_dir.h"

namespace {

using bench::median;
using bench::timeOnce;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Settings {
  int rounds = 9;
  int runs = 11;
  std::string art = GIF2FRM_PNG_CONVERSION_BENCH_ART;
  std::string program = GIF2FRM_EXE;
  std::string pngquant;
};

bool parse(int argc, char** argv, Settings& settings) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--rounds") {
      settings.rounds = std::max(1, std::atoi(value));
    } else if (arg == "--runs") {
      settings.runs = std::max(1, std::atoi(value));
    } else if (arg == "--art") {
      settings.art = value;
    } else if (arg == "--program") {
      settings.program = value;
    } else if (arg == "--pngquant") {
      settings.pngquant = value;
    } else {
      return false;
    }
  }
  return true;
}

class CountingSink : public platform::ByteSink {
 public:
  bool write(const void* bytes, std::size_t size) override {
    (void)bytes;
    total += size;
    return true;
  }
  std::uint64_t total = 0;
};

bool decode(const Bytes& bytes) {
  PngImage image;
  PngInput input(bytes.data(), bytes.size());
  return readPng(input, PngLimits{}, image) == PngStatus::Ok;
}

bool convert(const Bytes& bytes, ColorMatch mode, LzwDecoder& decoder) {
  Options options;
  options.matchMode = mode;
  FrmImage image;
  if (!convertBytes(bytes.data(), bytes.size(), options, image, decoder)
           .done()) {
    return false;
  }
  CountingSink sink;
  return image.write(sink) == 0;
}

const char* verdict(bool ok) { return ok ? "ok" : "**FAIL**"; }

void inMemoryRow(const bench::TrueColorArt& art, const Bytes& bytes,
                 int rounds) {
  const auto decoder = std::make_unique<LzwDecoder>();
  if (!decode(bytes) || !convert(bytes, ColorMatch::Nearest, *decoder)) {
    std::printf("| %s | %s | does not convert | | | | |\n", art.name, art.what);
    return;
  }
  std::vector<double> decodes, nearest, dither;
  for (int r = 0; r < rounds; ++r) {
    decodes.push_back(timeOnce([&] { decode(bytes); }));
    nearest.push_back(
        timeOnce([&] { convert(bytes, ColorMatch::Nearest, *decoder); }));
    dither.push_back(
        timeOnce([&] { convert(bytes, ColorMatch::Dither, *decoder); }));
  }
  const double d = median(decodes), n = median(nearest), f = median(dither);
  std::printf("| %s | %s | %.2f | %.2f | %.2f %s | %.2f | %.2f |\n", art.name,
              art.what, 1e3 * d, 1e3 * n, n / d, verdict(n / d <= 1.5), 1e3 * f,
              f / d);
}

struct Command {
  std::string program;
  std::vector<std::string> args;
  std::string output;
  std::vector<double> wall;
  std::vector<double> cpu;
  int failures = 0;
};

void runOnce(Command& command, const std::string& scratch, bool keep) {
  const bench::ChildRun run =
      bench::runMeasured(command.program, command.args, scratch);
  std::error_code error;
  fs::remove(fs::path(scratch) / command.output, error);
  if (run.exitStatus != 0) ++command.failures;
  if (!keep) return;
  command.wall.push_back(run.wallSeconds);
  command.cpu.push_back(run.cpuSeconds);
}

// Each pair takes turns, round after round, the first of a round changing.
void wholeRunRows(const bench::TrueColorArt& art, const std::string& input,
                  const std::string& map, const Settings& settings,
                  const std::string& scratch) {
  const std::string stem = fs::path(input).stem().string();
  Command nearest{
      settings.program, {"-m=nearest", input}, stem + ".frm", {}, {}, 0};
  Command dither{
      settings.program, {"-m=dither", input}, stem + ".frm", {}, {}, 0};
  Command quantNofs{
      settings.pngquant,
      {"--nofs", "--map", map, "--force", "--output", "out.png", input},
      "out.png",
      {},
      {},
      0};
  Command quantFs{settings.pngquant,
                  {"--map", map, "--force", "--output", "out.png", input},
                  "out.png",
                  {},
                  {},
                  0};
  std::vector<Command*> commands = {&nearest, &quantNofs, &dither, &quantFs};
  for (Command* command : commands) runOnce(*command, scratch, false);
  for (int round = 0; round < settings.runs; ++round) {
    for (std::size_t k = 0; k < commands.size(); ++k) {
      runOnce(*commands[(round + k) % commands.size()], scratch, true);
    }
  }
  const struct {
    const char* what;
    Command& ours;
    Command& theirs;
  } pairs[] = {{"-m=nearest / --nofs", nearest, quantNofs},
               {"-m=dither / dithered", dither, quantFs}};
  for (const auto& pair : pairs) {
    const double ours = median(pair.ours.wall);
    const double theirs = median(pair.theirs.wall);
    std::printf(
        "| %s | %s | %.2f | %.2f | %.2f %s | %.2f |%s\n", art.name, pair.what,
        1e3 * ours, 1e3 * theirs, theirs / ours, verdict(theirs > ours),
        median(pair.theirs.cpu) / median(pair.ours.cpu),
        pair.ours.failures + pair.theirs.failures != 0 ? " (a run failed)"
                                                       : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, settings)) {
    std::fprintf(stderr,
                 "usage: %s [--rounds N] [--runs N] [--art DIR] "
                 "[--program GIF2FRM] [--pngquant PATH]\n",
                 argv[0]);
    return 2;
  }
  if (settings.pngquant.empty()) {
    settings.pngquant = bench::findProgram("pngquant");
  }
  const bench::TrueColorArt* arts[] = {&bench::kRenderArt, &bench::kPhotoArt};
  std::vector<std::string> paths;
  for (const bench::TrueColorArt* art : arts) {
    paths.push_back(bench::makePngArt(settings.art, *art));
    if (paths.back().empty()) {
      std::fprintf(stderr, "could not make %s with %s\n", art->name,
                   bench::kImageMagickConvert);
      return 1;
    }
  }
  const std::string map = bench::makePaletteMap(settings.art);
  double load[3] = {};
  ::getloadavg(load, 3);
  std::printf("Load average %.2f before.\n\n", load[0]);

  std::printf(
      "| file | what | decode ms | -m=nearest ms | nearest / decode | "
      "-m=dither ms | dither / decode |\n"
      "|---|---|---:|---:|---|---:|---:|\n");
  for (std::size_t k = 0; k < paths.size(); ++k) {
    inMemoryRow(*arts[k], readFileBytes(paths[k]), settings.rounds);
  }

  if (settings.pngquant.empty() || map.empty()) {
    std::printf("\nNo whole runs: pngquant is not installed.\n");
    return 0;
  }
  TempDir scratch;
  std::printf(
      "\n| file | gif2frm / pngquant | gif2frm ms | pngquant ms | "
      "pngquant / gif2frm | CPU ratio |\n|---|---|---:|---:|---|---:|\n");
  for (std::size_t k = 0; k < paths.size(); ++k) {
    wholeRunRows(*arts[k], fs::absolute(paths[k]).string(),
                 fs::absolute(map).string(), settings, scratch.path());
  }
  ::getloadavg(load, 3);
  std::printf("\nLoad average %.2f after.\n", load[0]);
  return 0;
}
