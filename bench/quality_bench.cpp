// How well each match mode keeps a picture's colours, against ImageMagick's
// -remap (none, Floyd-Steinberg, Riemersma) and pngquant's --map (with and
// without dithering), all mapping onto the same 228 colours: the palette's
// entries 1..228 widened to 8 bits. Our modes run through the same color/
// code as the program, on the RGBA that ImageMagick reads (or that is drawn
// here). Prints Markdown tables; run by hand (see README.md).
//
//   quality_bench [--keep DIR] [--only NAME,...]
//
// --keep DIR writes the scratch files (PNGs, the map) to DIR and keeps them;
// --only runs only the named methods (as the tables name them).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/child_process.h"
#include "bench/quality_images.h"
#include "bench/quality_measures.h"
#include "color/color_translation.h"
#include "color/floyd_steinberg.h"
#include "color/ordered_dither.h"
#include "color/palette.h"
#include "color/palette_lab.h"
#include "color/six_bit.h"

namespace {

namespace fs = std::filesystem;
using bench::RgbaImage;
using bench::TestPicture;

constexpr std::uint32_t kAlphaThreshold = 128;

double seconds() {
  return std::chrono::duration<double>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A method's output for a whole picture, or why there is none.
struct Mapped {
  bool ok = false;
  std::vector<RgbaImage> frames;
  double seconds = 0;
  std::string note;
};

struct Method {
  std::string name;
  std::function<Mapped(const TestPicture&)> run;
};

// Our modes: palette entries per pixel, shown as their widened colours.
class OurModes {
 public:
  OurModes() : palette_(loadPalette()), lab_(palette_) {}

  Mapped first(const TestPicture& picture) const {
    return perColor(picture, [this](const std::uint8_t* c) {
      ColorMap map{};
      return translateColorTable(map, c, 1, 4, palette_, true) != 0 ? map[0]
                                                                    : 0;
    });
  }
  Mapped nearest(const TestPicture& picture) const {
    return perColor(picture, [this](const std::uint8_t* c) {
      return lab_.nearest(c[0], c[1], c[2]);
    });
  }
  Mapped dither(const TestPicture& picture) const {
    NearestCache cache(lab_);
    if (!cache.allocate()) return {};
    return byRows(picture, [&cache](const RgbaImage& frame, std::uint8_t* out) {
      FloydSteinberg diffusion(cache);
      if (!diffusion.startRgba(frame.width, kAlphaThreshold)) return false;
      for (std::uint32_t y = 0; y < frame.height; ++y) {
        diffusion.rowRgba(&frame.rgba[4 * std::size_t{y} * frame.width],
                          frame.width, out + std::size_t{y} * frame.width);
      }
      return true;
    });
  }
  Mapped ordered(const TestPicture& picture) const {
    NearestCache cache(lab_);
    MixPlans plans(cache);
    if (!plans.reserve()) return {};
    return byRows(picture, [&plans](const RgbaImage& frame, std::uint8_t* out) {
      OrderedDither dither(plans);
      if (!dither.startRgba(frame.width, kAlphaThreshold, 0, 0)) return false;
      for (std::uint32_t y = 0; y < frame.height; ++y) {
        dither.rowRgba(&frame.rgba[4 * std::size_t{y} * frame.width],
                       frame.width, out + std::size_t{y} * frame.width);
      }
      return true;
    });
  }

 private:
  // Each distinct colour matched once; a colour without a match fails the
  // whole picture, as it fails the program's run.
  Mapped perColor(
      const TestPicture& picture,
      const std::function<std::uint8_t(const std::uint8_t*)>& match) const {
    std::unordered_map<std::uint32_t, std::uint8_t> known;
    std::size_t failed = 0;
    Mapped result =
        byRows(picture, [&](const RgbaImage& frame, std::uint8_t* out) {
          for (std::size_t i = 0; i < std::size_t{frame.width} * frame.height;
               ++i) {
            const std::uint8_t* p = &frame.rgba[4 * i];
            if (p[3] < kAlphaThreshold) {
              out[i] = 0;
              continue;
            }
            const std::uint32_t key = p[0] << 16 | p[1] << 8 | p[2];
            auto it = known.find(key);
            if (it == known.end()) it = known.emplace(key, match(p)).first;
            out[i] = it->second;
            if (out[i] == 0) ++failed;
          }
          return true;
        });
    if (failed != 0) {
      result.ok = false;
      result.note = "no match";
    }
    return result;
  }

  Mapped byRows(
      const TestPicture& picture,
      const std::function<bool(const RgbaImage&, std::uint8_t*)>& map) const {
    Mapped result;
    std::vector<std::vector<std::uint8_t>> entries;
    const double start = seconds();
    for (const RgbaImage& frame : picture.frames) {
      entries.emplace_back(std::size_t{frame.width} * frame.height);
      if (!map(frame, entries.back().data())) return result;
    }
    result.seconds = seconds() - start;
    for (std::size_t f = 0; f < picture.frames.size(); ++f) {
      const RgbaImage& frame = picture.frames[f];
      RgbaImage shown{frame.width, frame.height, frame.rgba};
      for (std::size_t i = 0; i < entries[f].size(); ++i) {
        const std::uint8_t* wide = lab_.widened(entries[f][i]);
        for (int k = 0; k < 3; ++k) shown.rgba[4 * i + k] = wide[k];
      }
      result.frames.push_back(std::move(shown));
    }
    result.ok = true;
    return result;
  }

  const std::uint8_t* palette_;
  PaletteLab lab_;
};

// A peer run on each frame as a PNG file: command gets the input and output
// paths.
Mapped runPeer(const TestPicture& picture, const std::string& dir,
               const std::function<std::string(const std::string&,
                                               const std::string&)>& command) {
  Mapped result;
  for (std::size_t f = 0; f < picture.frames.size(); ++f) {
    const std::string in = dir + "/in" + std::to_string(f) + ".png";
    const std::string out = dir + "/out" + std::to_string(f) + ".png";
    if (!bench::writePng(picture.frames[f], in)) return result;
    const double start = seconds();
    const int status =
        std::system((command(in, out) + " >/dev/null 2>&1").c_str());
    result.seconds += seconds() - start;
    RgbaImage mapped;
    if (status != 0 || !bench::readWithConvert(out, mapped) ||
        mapped.width != picture.frames[f].width ||
        mapped.height != picture.frames[f].height) {
      result.note = "failed";
      return result;
    }
    result.frames.push_back(std::move(mapped));
  }
  result.ok = true;
  return result;
}

// The 228 colours as a PNG of 228 x 1 pixels, the map every peer uses.
bool writeMap(const std::string& path) {
  const std::uint8_t* palette = loadPalette();
  RgbaImage map{kLastMatchableEntry, 1, {}};
  for (int j = kFirstMatchableEntry; j <= kLastMatchableEntry; ++j) {
    for (int k = 0; k < 3; ++k)
      map.rgba.push_back(expandSixBit(palette[3 * j + k]));
    map.rgba.push_back(255);
  }
  return bench::writePng(map, path);
}

std::vector<Method> methods(const OurModes& ours, const std::string& dir,
                            std::vector<std::string>& notes) {
  std::vector<Method> all = {
      {"first", [&ours](const TestPicture& p) { return ours.first(p); }},
      {"nearest", [&ours](const TestPicture& p) { return ours.nearest(p); }},
      {"dither", [&ours](const TestPicture& p) { return ours.dither(p); }},
      {"ordered", [&ours](const TestPicture& p) { return ours.ordered(p); }},
  };
  const std::string map = dir + "/map.png";
  if (bench::haveImageMagick() && writeMap(map)) {
    for (const char* dither : {"None", "FloydSteinberg", "Riemersma"}) {
      all.push_back({std::string("IM ") + dither, [=](const TestPicture& p) {
                       return runPeer(
                           p, dir,
                           [&](const std::string& in, const std::string& out) {
                             return "convert " + in + " -dither " + dither +
                                    " -remap " + map + " " + out;
                           });
                     }});
    }
  } else {
    notes.push_back("No ImageMagick columns: its convert is not installed.");
  }
  if (!bench::findProgram("pngquant").empty() && fs::exists(map)) {
    for (const char* option : {"--nofs ", ""}) {
      all.push_back(
          {std::string("pngquant") + (*option != 0 ? " nofs" : " FS"),
           [=](const TestPicture& p) {
             return runPeer(
                 p, dir, [&](const std::string& in, const std::string& out) {
                   return std::string("pngquant --force ") + option + "--map " +
                          map + " --output " + out + " " + in;
                 });
           }});
    }
  } else {
    notes.push_back("No pngquant columns: pngquant is not installed.");
  }
  return all;
}

using Table = std::vector<std::vector<bench::Quality>>;  // [picture][method]
using Okay = std::vector<std::vector<bool>>;

void printTable(const char* title, const std::vector<TestPicture>& set,
                const std::vector<Method>& all, const Table& table,
                const Okay& ok,
                const std::function<double(const bench::Quality&)>& value,
                bool animationsOnly, const char* format) {
  std::printf("\n%s\n\n| picture |", title);
  for (const Method& m : all) std::printf(" %s |", m.name.c_str());
  std::printf("\n|---|");
  for (std::size_t m = 0; m < all.size(); ++m) std::printf("---:|");
  std::printf("\n");
  std::vector<double> sum(all.size(), 0);
  std::vector<int> count(all.size(), 0);
  for (std::size_t p = 0; p < set.size(); ++p) {
    if (animationsOnly && set[p].frames.size() < 2) continue;
    std::printf("| %s%s |", set[p].name.c_str(),
                set[p].smooth ? " (smooth)" : "");
    for (std::size_t m = 0; m < all.size(); ++m) {
      if (!ok[p][m]) {
        std::printf(" - |");
        continue;
      }
      const double v = value(table[p][m]);
      sum[m] += v;
      ++count[m];
      std::printf(" ");
      std::printf(format, v);
      std::printf(" |");
    }
    std::printf("\n");
  }
  std::printf("| **mean** |");
  for (std::size_t m = 0; m < all.size(); ++m) {
    if (count[m] == 0) {
      std::printf(" - |");
      continue;
    }
    std::printf(" **");
    std::printf(format, sum[m] / count[m]);
    std::printf("**%s |",
                count[m] < static_cast<int>(animationsOnly ? 2 : set.size())
                    ? "*"
                    : "");
  }
  std::printf("\n");
}

// The share (%) of pixels that keep their colour from one frame to the
// next, over an animation.
double stillShare(const TestPicture& picture) {
  std::size_t still = 0;
  std::size_t all = 0;
  for (std::size_t f = 1; f < picture.frames.size(); ++f) {
    const std::vector<std::uint8_t>& a = picture.frames[f - 1].rgba;
    const std::vector<std::uint8_t>& b = picture.frames[f].rgba;
    for (std::size_t i = 0; i + 4 <= a.size(); i += 4, ++all) {
      if (std::equal(&a[i], &a[i] + 4, &b[i])) ++still;
    }
  }
  return all == 0
             ? 0
             : 100.0 * static_cast<double>(still) / static_cast<double>(all);
}

// The targets of the dithering modes against the peers' Floyd-Steinberg,
// where those ran.
void printTargets(const std::vector<TestPicture>& set,
                  const std::vector<Method>& all, const Table& table,
                  const Okay& ok) {
  const auto column = [&](const char* name) {
    for (std::size_t m = 0; m < all.size(); ++m) {
      if (all[m].name == name) return static_cast<int>(m);
    }
    return -1;
  };
  const int dither = column("dither");
  const int ordered = column("ordered");
  const int im = column("IM FloydSteinberg");
  const int pq = column("pngquant FS");
  std::printf("\nTargets:\n\n");
  for (const TestPicture& p : set) {
    if (p.frames.size() > 1) {
      std::printf(
          "- %s: %.1f %% of the pixels stay still from frame to frame.\n",
          p.name.c_str(), stillShare(p));
    }
  }
  const auto mean = [&](int m, double bench::Quality::*field) {
    double sum = 0;
    for (std::size_t p = 0; p < set.size(); ++p) {
      if (!ok[p][static_cast<std::size_t>(m)]) return -1.0;
      sum += table[p][static_cast<std::size_t>(m)].*field;
    }
    return sum / static_cast<double>(set.size());
  };
  const char* verdict[] = {"**FAIL**", "ok"};
  if (ordered >= 0) {
    bool still = true;
    for (std::size_t p = 0; p < set.size(); ++p) {
      if (set[p].frames.size() > 1) {
        still =
            still && table[p][static_cast<std::size_t>(ordered)].flicker == 0;
      }
    }
    std::printf("- ordered: no flicker on any animation: %s\n", verdict[still]);
  }
  if (dither < 0 || ordered < 0 || im < 0 || pq < 0) {
    std::printf(
        "- the rest needs dither, ordered and both peers' Floyd-Steinberg.\n");
    return;
  }
  const double bestPeer = std::min(mean(im, &bench::Quality::blurredDeltaE),
                                   mean(pq, &bench::Quality::blurredDeltaE));
  const double orderedBlurred = mean(ordered, &bench::Quality::blurredDeltaE);
  std::printf(
      "- ordered: blurred Delta E %.2f within 10 %% of the better peer's "
      "%.2f: %s\n",
      orderedBlurred, bestPeer, verdict[orderedBlurred <= 1.1 * bestPeer]);
  const double ditherBlurred = mean(dither, &bench::Quality::blurredDeltaE);
  std::printf(
      "- dither: blurred Delta E %.2f below both peers' on the mean: %s\n",
      ditherBlurred, verdict[ditherBlurred < bestPeer]);
  for (std::size_t p = 0; p < set.size(); ++p) {
    if (!set[p].smooth) continue;
    const auto at = [&](int m) {
      return table[p][static_cast<std::size_t>(m)].blurredDeltaE;
    };
    std::printf(
        "- dither: blurred Delta E on %s %.2f against %.2f and %.2f: %s\n",
        set[p].name.c_str(), at(dither), at(im), at(pq),
        verdict[at(dither) < std::min(at(im), at(pq))]);
  }
  const double bias = mean(dither, &bench::Quality::lightnessBias);
  std::printf("- dither: L* bias of the blurred result %+.2f within 0.2: %s\n",
              bias, verdict[bias >= -0.2 && bias <= 0.2]);
  const double ditherMean = mean(dither, &bench::Quality::meanDeltaE);
  const double peerMean = std::min(mean(im, &bench::Quality::meanDeltaE),
                                   mean(pq, &bench::Quality::meanDeltaE));
  std::printf(
      "- dither: mean Delta E %.2f below both peers' (better %.2f): %s\n",
      ditherMean, peerMean, verdict[ditherMean < peerMean]);
}

}  // namespace

int main(int argc, char** argv) {
  std::string keep;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (arg == "--only" && i + 1 < argc) {
      only = "," + std::string(argv[++i]) + ",";
    } else {
      std::fprintf(stderr, "usage: %s [--keep DIR] [--only NAME,...]\n",
                   argv[0]);
      return 2;
    }
  }
  char scratch[] = "/tmp/quality_bench.XXXXXX";
  std::string dir = keep;
  if (dir.empty()) {
    if (::mkdtemp(scratch) == nullptr) return 1;
    dir = scratch;
  } else {
    fs::create_directories(dir);
  }

  std::vector<std::string> notes;
  const std::vector<TestPicture> set = bench::makeTestSet(notes);
  const OurModes ours;
  std::vector<Method> all = methods(ours, dir, notes);
  if (!only.empty()) {
    std::vector<Method> chosen;
    for (Method& m : all) {
      if (only.find("," + m.name + ",") != std::string::npos)
        chosen.push_back(std::move(m));
    }
    all = std::move(chosen);
  }
  Table table(set.size(), std::vector<bench::Quality>(all.size()));
  Okay ok(set.size(), std::vector<bool>(all.size(), false));
  std::vector<std::vector<double>> time(set.size(),
                                        std::vector<double>(all.size()));
  for (std::size_t p = 0; p < set.size(); ++p) {
    std::fprintf(stderr, "%s...\n", set[p].name.c_str());
    for (std::size_t m = 0; m < all.size(); ++m) {
      const Mapped mapped = all[m].run(set[p]);
      ok[p][m] = mapped.ok;
      time[p][m] = mapped.seconds;
      if (mapped.ok) table[p][m] = bench::measureQuality(set[p], mapped.frames);
    }
  }
  printTable(
      "Mean CIE76 Delta E of the opaque pixels:", set, all, table, ok,
      [](const bench::Quality& q) { return q.meanDeltaE; }, false, "%.2f");
  printTable(
      "95th percentile Delta E:", set, all, table, ok,
      [](const bench::Quality& q) { return q.p95DeltaE; }, false, "%.1f");
  printTable(
      "Blurred Delta E (Gaussian sigma 1 px in linear light, both):", set, all,
      table, ok, [](const bench::Quality& q) { return q.blurredDeltaE; }, false,
      "%.2f");
  printTable(
      "L* bias of the blurred result:", set, all, table, ok,
      [](const bench::Quality& q) { return q.lightnessBias; }, false, "%+.2f");
  printTable(
      "Flicker (% of unchanged pixels whose output changed):", set, all, table,
      ok, [](const bench::Quality& q) { return q.flicker; }, true, "%.1f");
  Table times = table;
  for (std::size_t p = 0; p < set.size(); ++p) {
    for (std::size_t m = 0; m < all.size(); ++m)
      times[p][m].meanDeltaE = 1000 * time[p][m];
  }
  printTable(
      "Time, ms (ours in this process; peers whole runs, one per frame):", set,
      all, times, ok, [](const bench::Quality& q) { return q.meanDeltaE; },
      false, "%.1f");
  printTargets(set, all, table, ok);
  std::printf(
      "\n- marks a mode that cannot map the picture (first: a colour without "
      "an entry within the delta) or a peer that failed; * a mean over fewer "
      "pictures.\n");
  for (const std::string& note : notes) std::printf("%s\n", note.c_str());
  if (keep.empty()) {
    std::error_code error;
    fs::remove_all(dir, error);
  }
  return 0;
}
