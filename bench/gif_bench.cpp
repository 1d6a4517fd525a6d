// Decode speed of our GIF reader against giflib's DGifSlurp on the same
// in-memory bytes, the speed of the whole conversion, and the peak memory of
// a real gif2frm run, for the generated benchmark corpus (as our encoder,
// ImageMagick and gifsicle wrote it) and the shared corpus of public test
// GIFs. Prints a Markdown table.
//
//   gif_bench [--rounds N] [--best] [--wall] [--corpus DIR] [--shared DIR]
//             [--no-shared] [--program GIF2FRM]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_corpus.h"
#include "bench/child_process.h"
#include "bench/decoder_agreement.h"
#include "bench/measurements.h"
#include "bench/other_encoders.h"
#include "bench/report.h"

namespace {

namespace fs = std::filesystem;

struct Settings {
  int rounds = 9;
  bench::Statistic statistic = bench::Statistic::Median;
  bench::Clock clock = bench::Clock::ThreadCpu;
  std::string corpus = GIF2FRM_BENCH_CORPUS;
  std::string shared = GIF2FRM_SHARED_CORPUS;
  bool useShared = true;
  std::string program = GIF2FRM_EXE;
  std::string generator = GIF2FRM_MAKE_BENCH_CORPUS;
};

bool parse(int argc, char** argv, Settings& settings) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--rounds" && hasValue) {
      settings.rounds = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--best") {
      settings.statistic = bench::Statistic::Best;
    } else if (arg == "--wall") {
      settings.clock = bench::Clock::Wall;
    } else if (arg == "--corpus" && hasValue) {
      settings.corpus = argv[++i];
    } else if (arg == "--shared" && hasValue) {
      settings.shared = argv[++i];
    } else if (arg == "--no-shared") {
      settings.useShared = false;
    } else if (arg == "--program" && hasValue) {
      settings.program = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: %s [--rounds N] [--best] [--wall] [--corpus DIR] "
                   "[--shared DIR] [--no-shared] [--program GIF2FRM]\n",
                   argv[0]);
      return false;
    }
  }
  return true;
}

// Our decoder should beat giflib at least this much on every file that
// another encoder wrote.
constexpr double kOtherEncoderTarget = 2.0;

struct CorpusRow {
  std::string label;
  double target;
  bool tiny;
};

bench::Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return bench::Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> sharedGifs(const std::string& root) {
  std::vector<fs::path> gifs;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(root, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".gif") {
      gifs.push_back(fs::absolute(entry.path()));
    }
  }
  std::sort(gifs.begin(), gifs.end());
  return gifs;
}

// Real gif2frm runs, one per input, in a scratch directory that takes the
// FRM files. Done before any input is read into this process, so that the
// children start small (see child_process.h).
std::vector<bench::ChildRun> measureRuns(const Settings& settings,
                                         const std::vector<fs::path>& inputs) {
  char scratch[] = "/tmp/gif_bench.XXXXXX";
  std::vector<bench::ChildRun> runs;
  if (::mkdtemp(scratch) == nullptr) return runs;
  for (const fs::path& input : inputs) {
    runs.push_back(
        bench::runMeasured(settings.program, {input.string()}, scratch));
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(scratch, error)) {
      fs::remove(entry.path(), error);
    }
  }
  std::error_code error;
  fs::remove_all(scratch, error);
  return runs;
}

// converts: whether the in-memory conversion of the file succeeded; a run of
// a file that cannot be converted ends with status 1 by design.
void applyRun(const bench::ChildRun& run, std::uint64_t pixels, bool converts,
              bench::Row& row) {
  const std::uint64_t budget = bench::memoryBudget(pixels);
  const bool exitAsExpected = run.exitStatus == (converts ? 0 : 1);
  const bool ok = exitAsExpected && run.peakBytes <= budget;
  // Keep the run with the least headroom: peak / budget is largest.
  const bool worse =
      row.budgetBytes == 0 ||
      static_cast<double>(run.peakBytes) *
              static_cast<double>(row.budgetBytes) >
          static_cast<double>(row.peakBytes) * static_cast<double>(budget);
  if (worse) {
    row.peakBytes = run.peakBytes;
    row.budgetBytes = budget;
  }
  if (!exitAsExpected && row.memoryNote.empty()) {
    row.memoryNote = "(exit " + std::to_string(run.exitStatus) + ")";
  }
  row.memoryOk = row.memoryOk && ok;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, settings)) return 2;

  // The generator runs in its own process, which keeps this one small for
  // the memory measurements below.
  std::fprintf(stderr, "corpus: %s\n", settings.corpus.c_str());
  if (bench::runMeasured(settings.generator, {settings.corpus}, ".", false)
          .exitStatus != 0) {
    std::fprintf(stderr, "could not generate the corpus\n");
    return 1;
  }

  // Each corpus file as our encoder wrote it, then as the other encoders
  // did, where they are installed.
  std::vector<CorpusRow> entries;
  std::vector<fs::path> inputs;
  std::vector<std::string> notes;
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    const bool tiny = entry.shape == bench::Shape::Tiny;
    entries.push_back({entry.label, entry.targetRatio, tiny});
    inputs.push_back(fs::absolute(fs::path(settings.corpus) / entry.fileName));
    for (const bench::Encoder& encoder : bench::otherEncoders()) {
      const fs::path path =
          fs::absolute(bench::reencodedPath(settings.corpus, encoder, entry));
      if (fs::exists(path)) {
        entries.push_back({std::string(entry.label) + ", " + encoder.name,
                           tiny ? 0.0 : kOtherEncoderTarget, tiny});
        inputs.push_back(path);
      } else if (&entry == &bench::corpusEntries().front()) {
        notes.push_back(std::string("No ") + encoder.name + " rows: `" +
                        encoder.program + "` is not installed.");
      }
    }
  }
  const std::vector<fs::path> shared = settings.useShared
                                           ? sharedGifs(settings.shared)
                                           : std::vector<fs::path>{};
  inputs.insert(inputs.end(), shared.begin(), shared.end());

  const std::uint64_t baseline = bench::currentResidentBytes();
  std::fprintf(stderr, "peak memory: %zu real runs...\n", inputs.size());
  const std::vector<bench::ChildRun> runs = measureRuns(settings, inputs);
  if (runs.size() != inputs.size()) {
    std::fprintf(stderr, "cannot make a scratch directory\n");
    return 1;
  }

  std::printf("rounds: %d, %s of rounds, %s time; gif2frm: %s\n\n",
              settings.rounds,
              settings.statistic == bench::Statistic::Best ? "best" : "median",
              settings.clock == bench::Clock::Wall ? "wall" : "thread CPU",
              settings.program.c_str());
  bench::printHeader();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bench::Bytes bytes = readFile(inputs[i]);
    const bench::Agreement agreement =
        bench::compareDecoders(bytes.data(), bytes.size());
    bench::Row row;
    row.label = entries[i].label;
    row.frames = agreement.frames;
    row.pixels = agreement.pixels;
    row.targetRatio = entries[i].target;
    row.judgeConversion = !entries[i].tiny;
    row.samePixels = agreement.samePixels;
    row.converts = bench::converts(bytes);
    row.timings = bench::measure({&bytes}, settings.rounds, settings.statistic,
                                 settings.clock);
    applyRun(runs[i], row.pixels, row.converts, row);
    bench::printRow(row);
  }

  if (!shared.empty()) {
    // Every GIF of the shared corpus that both decoders read to the end.
    std::vector<bench::Bytes> accepted;
    bench::Row total;
    std::size_t differ = 0;
    std::size_t converted = 0;
    for (std::size_t i = 0; i < shared.size(); ++i) {
      bench::Bytes bytes = readFile(shared[i]);
      const bench::Agreement agreement =
          bench::compareDecoders(bytes.data(), bytes.size());
      if (!agreement.oursOk || !agreement.giflibOk) continue;
      if (!agreement.samePixels) ++differ;
      const bool converts = bench::converts(bytes);
      if (converts) ++converted;
      total.frames += agreement.frames;
      total.pixels += agreement.pixels;
      applyRun(runs[entries.size() + i], agreement.pixels, converts, total);
      accepted.push_back(std::move(bytes));
    }
    std::vector<const bench::Bytes*> workload;
    for (const bench::Bytes& bytes : accepted) workload.push_back(&bytes);
    total.label = "corpus total (" + std::to_string(accepted.size()) + " of " +
                  std::to_string(shared.size()) + " GIFs, " +
                  std::to_string(converted) + " convert)";
    total.samePixels = differ == 0;
    total.converts = true;
    total.timings = bench::measure(workload, settings.rounds,
                                   settings.statistic, settings.clock);
    bench::printRow(total);
    if (differ != 0) {
      std::printf("\n%zu of the corpus GIFs decode differently from giflib.\n",
                  differ);
    }
  }
  std::printf(
      "\nTargets: ratio = giflib time / our time; conversion/decode <= %.2f; "
      "-m=nearest conversion / default conversion <= %.2f, -m=ordered "
      "conversion / default conversion <= %.2f and -m=dither "
      "conversion / decode <= %.1f on the generated files; "
      "unwritten/decode, without a target, is the default conversion without "
      "the copy of the FRM bytes to memory; "
      "peak <= 2 x pixels + 8 MiB (worst run of the row). This process held "
      "%.1f MiB when it started the runs.\n",
      bench::kMaxConversionOverDecode, bench::kMaxNearestOverConversion,
      bench::kMaxOrderedOverConversion, bench::kMaxDitherOverDecode,
      static_cast<double>(baseline) / 1048576.0);
  for (const std::string& note : notes) std::printf("%s\n", note.c_str());
  return 0;
}
