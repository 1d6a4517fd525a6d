// Writes the benchmark corpus into a directory, and the other encoders'
// versions of it into folders there (see other_encoders.h):
//   make_bench_corpus DIR             only what DIR lacks of this version
//   make_bench_corpus --force DIR     always
//   make_bench_corpus --ours-only DIR without the other encoders' versions
// An encoder that is not installed is skipped with a note.
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_corpus.h"
#include "bench/other_encoders.h"

int main(int argc, char** argv) {
  const bool option = argc == 3;
  const bool force = option && std::strcmp(argv[1], "--force") == 0;
  const bool oursOnly = option && std::strcmp(argv[1], "--ours-only") == 0;
  if (argc != 2 && !force && !oursOnly) {
    std::fprintf(stderr, "usage: %s [--force | --ours-only] DIRECTORY\n",
                 argv[0]);
    return 2;
  }
  const std::string directory = argv[argc - 1];
  std::string error;
  const bool written = force ? bench::writeCorpus(directory, error)
                             : bench::ensureCorpus(directory, error);
  if (!written) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (oursOnly) return 0;
  for (const bench::Encoder& encoder : bench::otherEncoders()) {
    if (!bench::ensureReencoded(directory, encoder, error, force)) {
      std::fprintf(stderr, "no %s versions: %s\n", encoder.name, error.c_str());
    }
  }
  return 0;
}
