// The benchmark corpus as other encoders write it: every file decoded and
// written again by ImageMagick (convert) and by gifsicle, when they are
// installed, so that decoders are measured on the code streams files from
// elsewhere have, not only on ours. Each encoder's versions go into a folder
// of the corpus of their own, cached under the corpus version like the
// corpus itself; nothing of it is ever committed.
#ifndef GIF2FRM_BENCH_OTHER_ENCODERS_H_
#define GIF2FRM_BENCH_OTHER_ENCODERS_H_

#include <string>
#include <vector>

#include "bench/bench_corpus.h"

namespace bench {

struct Encoder {
  const char* name;     // for the tables
  const char* folder;   // the corpus folder its files go into
  const char* program;  // the command, looked up in PATH
  // The arguments before the input file, and between it and the output.
  std::vector<std::string> before;
  std::vector<std::string> between;
};

// ImageMagick and gifsicle, in table order.
const std::vector<Encoder>& otherEncoders();

// Where encoder's version of entry is kept in the corpus folder.
std::string reencodedPath(const std::string& corpus, const Encoder& encoder,
                          const CorpusEntry& entry);

// Makes sure the corpus folder holds encoder's version of every file of
// this corpus version, writing them from the corpus files when it does not
// (or always, with force). False, with the reason in error, when the
// encoder is not installed or fails on a file.
bool ensureReencoded(const std::string& corpus, const Encoder& encoder,
                     std::string& error, bool force = false);

}  // namespace bench

#endif  // GIF2FRM_BENCH_OTHER_ENCODERS_H_
