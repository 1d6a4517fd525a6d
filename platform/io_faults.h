// Fault injection for tests: makes the Nth read of the input file or the Nth
// write of the output file fail as a device error would. Every read call of
// InputFile::readSome counts as one read; every OutputFile::write, every
// system call of OutputFile::writeGathered and the flush in
// OutputFile::finish (or commit) count as one write each. The platform files
// consult it once per system call at most, never per byte.
#ifndef GIF2FRM_PLATFORM_IO_FAULTS_H_
#define GIF2FRM_PLATFORM_IO_FAULTS_H_

#include <cstdint>

namespace platform {
namespace io_faults {

inline std::uint64_t readCountdown = 0;
inline std::uint64_t writeCountdown = 0;

inline bool countDown(std::uint64_t& countdown) {
  return countdown != 0 && --countdown == 0;
}

}  // namespace io_faults

// The countdown-th read (write) from now on fails (1 = the next one); 0
// switches injection off.
inline void failReadAfter(std::uint64_t countdown) {
  io_faults::readCountdown = countdown;
}
inline void failWriteAfter(std::uint64_t countdown) {
  io_faults::writeCountdown = countdown;
}

// Counts one read (write); true when it is the one that must fail.
inline bool injectedReadFault() {
  return io_faults::countDown(io_faults::readCountdown);
}
inline bool injectedWriteFault() {
  return io_faults::countDown(io_faults::writeCountdown);
}

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_IO_FAULTS_H_
