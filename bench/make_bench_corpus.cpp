// Writes the benchmark corpus into a directory:
//   make_bench_corpus DIR          only when DIR lacks this version of it
//   make_bench_corpus --force DIR  always
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_corpus.h"

int main(int argc, char** argv) {
  const bool force = argc == 3 && std::strcmp(argv[1], "--force") == 0;
  if (argc != 2 && !force) {
    std::fprintf(stderr, "usage: %s [--force] DIRECTORY\n", argv[0]);
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
  return 0;
}
