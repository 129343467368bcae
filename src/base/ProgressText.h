#pragma once
// What a progress display shows for a disk job's progress event: the progress window of the Windows
// program and the terminal line of the POSIX one show the same texts.

#include <cstdint>
#include <string>

#include "base/OperationProgress.h"
#include "base/JobEvents.h"

struct ProgressTexts {
  std::string status;   // "正在读取软盘 (1440 kB)"
  std::string speed;    // "720 KB 已被复制 (36.0 KB/秒)"
  std::string caption;  // "进展 [50%]"
  uint32_t percent = 0;
};

// event is a Progress or SideFormatted event of a read or write job, or a Progress event of a decoding (whose
// speed text is the tracks done).
ProgressTexts DescribeProgress(JobEvent event, const OperationProgress& progress);
