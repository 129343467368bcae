#pragma once
// The progress fields of a running disk job: written by the job's worker thread, read by the user-interface
// thread when a posted event arrives. percent and kbDone are single atomic stores; the two texts are
// guarded so that a reader never sees a half-replaced string.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class GuardedText {
 public:
  void Set(std::string text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
  }
  std::string Get() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

// Lines that a worker adds while a reader takes them as they come.
class GuardedLines {
 public:
  void Add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  // The lines added since the reader last took them; next counts those it has taken.
  std::vector<std::string> Since(std::size_t& next) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> taken(lines_.begin() + static_cast<std::ptrdiff_t>(std::min(next, lines_.size())), lines_.end());
    next = lines_.size();
    return taken;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// A sector that failed in the first pass and was read on a retry pass (1 = the first retry).
struct RecoveredSector {
  uint32_t offset;
  int pass;
  bool operator==(const RecoveredSector&) const = default;
};

struct OperationProgress {
  std::atomic<uint32_t> percent{0};
  std::atomic<uint32_t> kbDone{0};
  GuardedText totalText;  // "%d kB"
  GuardedText speedText;  // "%.1f" KB per second, or "0"
  std::atomic<bool> cancelRequested{false};
  // Byte offsets of the sectors found bad, in the order found: appended only by the worker, read by the
  // user-interface thread only after the completion event.
  std::vector<uint32_t> badSectorOffsets;
  // Sectors that a retry pass read (and that badSectorOffsets no longer holds), in the order read.
  std::vector<RecoveredSector> recoveredSectors;
  // A flux capture's decoding: one line per track as it is done.
  GuardedLines trackLines;

  void Reset() {
    percent = 0;
    kbDone = 0;
    cancelRequested = false;
    badSectorOffsets.clear();
    recoveredSectors.clear();
    trackLines.Clear();
  }
};
