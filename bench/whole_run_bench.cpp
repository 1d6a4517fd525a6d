// Whole runs of gif2frm, as a user starts them, against a whole-process
// giflib peer (giflib_indices: DGifSlurp, then the indices of every image to
// a file), on the benchmark corpus as our encoder, ImageMagick and gifsicle
// wrote it; and on a tiny GIF also against cp of the same file. Each command
// runs in a child process (fork, exec, wait4) in a scratch directory that
// takes the output, which is removed after every run. The commands of a
// file take turns, round after round; the table shows the medians of the
// wall times, and of the children's CPU times. Prints a Markdown table.
//
//   whole_run_bench [--rounds N] [--scratch DIR] [--corpus DIR]
//                   [--program GIF2FRM]
#include <stdlib.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/child_process.h"
#include "bench/other_encoders.h"

namespace {

using bench::median;

namespace fs = std::filesystem;

// tmpfs keeps the output in memory, where a flush to disk costs nothing.
constexpr long kTmpfsMagic = 0x01021994;

struct Settings {
  int rounds = 11;
  std::string scratch;  // empty: /dev/shm when it is a tmpfs, else /tmp
  std::string corpus = GIF2FRM_BENCH_CORPUS;
  std::string program = GIF2FRM_EXE;
  std::string peer = GIF2FRM_GIFLIB_PEER;
  std::string generator = GIF2FRM_MAKE_BENCH_CORPUS;
};

bool parse(int argc, char** argv, Settings& settings) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--rounds" && hasValue) {
      settings.rounds = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--scratch" && hasValue) {
      settings.scratch = argv[++i];
    } else if (arg == "--corpus" && hasValue) {
      settings.corpus = argv[++i];
    } else if (arg == "--program" && hasValue) {
      settings.program = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: %s [--rounds N] [--scratch DIR] [--corpus DIR] "
                   "[--program GIF2FRM]\n",
                   argv[0]);
      return false;
    }
  }
  return true;
}

bool isTmpfs(const std::string& directory) {
  struct statfs info {};
  return ::statfs(directory.c_str(), &info) == 0 &&
         static_cast<long>(info.f_type) == kTmpfsMagic;
}

// One command of a file's turn, and what it left in the scratch directory.
struct Command {
  std::string program;
  std::vector<std::string> args;
  std::string output;
  std::vector<double> wall;
  std::vector<double> cpu;
};

double milliseconds(double seconds) { return seconds * 1e3; }

// Runs command once in scratch, removes its output and keeps its times;
// its exit status.
int runOnce(Command& command, const std::string& scratch, bool keep) {
  const bench::ChildRun run =
      bench::runMeasured(command.program, command.args, scratch);
  std::error_code error;
  fs::remove(fs::path(scratch) / command.output, error);
  if (keep) {
    command.wall.push_back(run.wallSeconds);
    command.cpu.push_back(run.cpuSeconds);
  }
  return run.exitStatus;
}

// The commands of one file take turns, each round starting with another.
void runRounds(std::vector<Command*> commands, int rounds,
               const std::string& scratch) {
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t k = 0; k < commands.size(); ++k) {
      runOnce(*commands[(round + k) % commands.size()], scratch, true);
    }
  }
}

const char* mark(bool ok) { return ok ? "ok" : "**FAIL**"; }

struct Subject {
  const bench::CorpusEntry* entry;
  std::string encoder;
  fs::path input;
};

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  if (!parse(argc, argv, settings)) return 2;
  std::string command = "whole_run_bench";
  for (int i = 1; i < argc; ++i) command += std::string(" ") + argv[i];

  if (bench::runMeasured(settings.generator, {settings.corpus}, ".", false)
          .exitStatus != 0) {
    std::fprintf(stderr, "could not generate the corpus\n");
    return 1;
  }
  std::string root = settings.scratch;
  if (root.empty()) root = isTmpfs("/dev/shm") ? "/dev/shm" : "/tmp";
  std::string scratch = (fs::path(root) / "whole_run_bench.XXXXXX").string();
  if (::mkdtemp(scratch.data()) == nullptr) {
    std::fprintf(stderr, "cannot make a scratch directory in %s\n",
                 root.c_str());
    return 1;
  }
  const std::string copy = bench::findProgram("cp");

  std::vector<Subject> subjects;
  std::vector<std::string> notes;
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    subjects.push_back(
        {&entry, "gifenc",
         fs::absolute(fs::path(settings.corpus) / entry.fileName)});
    for (const bench::Encoder& encoder : bench::otherEncoders()) {
      const fs::path path =
          fs::absolute(bench::reencodedPath(settings.corpus, encoder, entry));
      if (fs::exists(path)) {
        subjects.push_back({&entry, encoder.name, path});
      } else if (&entry == &bench::corpusEntries().front()) {
        notes.push_back(std::string("No ") + encoder.name + " rows: `" +
                        encoder.program + "` is not installed.");
      }
    }
  }

  double loadBefore[3] = {};
  double loadAfter[3] = {};
  ::getloadavg(loadBefore, 3);
  std::printf("`%s`: %d rounds, medians; gif2frm: %s; scratch: %s (%s)\n\n",
              command.c_str(), settings.rounds, settings.program.c_str(),
              root.c_str(), isTmpfs(scratch) ? "tmpfs" : "not a tmpfs");
  std::printf(
      "| file | encoder | gif2frm -n ms | giflib ms | ratio | target |"
      " gif2frm ms | ratio | CPU ratio -n |\n"
      "|---|---|---:|---:|---:|---|---:|---:|---:|\n");
  std::vector<std::string> tinyRows;
  for (const Subject& subject : subjects) {
    const std::string input = subject.input.string();
    const std::string frm = subject.input.stem().string() + ".frm";
    Command plain{settings.program, {"-n", input}, frm, {}, {}};
    Command peer{settings.peer, {input, "peer.raw"}, "peer.raw", {}, {}};
    Command full{settings.program, {input}, frm, {}, {}};
    Command cp{copy, {input, "copy.gif"}, "copy.gif", {}, {}};
    const bool tiny = subject.entry->shape == bench::Shape::Tiny;

    // Warming up: the files are in the page cache, and we learn what runs.
    const bool plainOk = runOnce(plain, scratch, false) == 0;
    const bool peerOk = runOnce(peer, scratch, false) == 0;
    const bool converts = runOnce(full, scratch, false) == 0;
    if (tiny && !copy.empty()) runOnce(cp, scratch, false);
    std::vector<Command*> commands = {&plain, &peer};
    if (converts) commands.push_back(&full);
    if (tiny && !copy.empty()) commands.push_back(&cp);
    runRounds(commands, settings.rounds, scratch);

    const double ours = median(plain.wall);
    const double theirs = median(peer.wall);
    const double ratio = theirs / ours;
    char target[32] = "-";
    const double wanted = subject.entry->wholeRunTarget;
    if (subject.encoder == "ImageMagick" && wanted > 0) {
      std::snprintf(target, sizeof target, ">= %.1f %s", wanted,
                    mark(ratio >= wanted));
    }
    char converted[64] = "not converted | -";
    if (converts) {
      std::snprintf(converted, sizeof converted, "%.2f | %.2f",
                    milliseconds(median(full.wall)),
                    theirs / median(full.wall));
    }
    std::printf("| %s | %s | %.2f | %.2f | %.2f%s | %s | %s | %.2f |\n",
                subject.entry->label, subject.encoder.c_str(),
                milliseconds(ours), milliseconds(theirs), ratio,
                plainOk && peerOk ? "" : " (a run failed)", target, converted,
                median(peer.cpu) / median(plain.cpu));
    std::fflush(stdout);
    if (tiny && converts && !cp.wall.empty()) {
      const double ourRun = median(full.wall);
      const double cpRun = median(cp.wall);
      char row[200];
      std::snprintf(row, sizeof row,
                    "| %s | %s | %.2f | %.2f | %.2f | %.2f | >= 1.0 %s |\n",
                    subject.entry->label, subject.encoder.c_str(),
                    milliseconds(ourRun), milliseconds(ours),
                    milliseconds(cpRun), cpRun / ourRun, mark(cpRun >= ourRun));
      tinyRows.push_back(row);
    }
  }
  ::getloadavg(loadAfter, 3);

  if (!tinyRows.empty()) {
    std::printf(
        "\n| file | encoder | gif2frm ms | gif2frm -n ms | cp ms |"
        " cp / gif2frm | target |\n"
        "|---|---|---:|---:|---:|---:|---|\n");
    for (const std::string& row : tinyRows) std::printf("%s", row.c_str());
  }
  std::printf(
      "\nRatio: the giflib peer's median wall time over gif2frm's (CPU "
      "ratio: the same with the children's CPU times). Targets on the "
      "ImageMagick files. Load average %.2f %.2f %.2f before, %.2f %.2f %.2f "
      "after.\n",
      loadBefore[0], loadBefore[1], loadBefore[2], loadAfter[0], loadAfter[1],
      loadAfter[2]);
  for (const std::string& note : notes) std::printf("%s\n", note.c_str());
  std::error_code error;
  fs::remove_all(scratch, error);
  return 0;
}
