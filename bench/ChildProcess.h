#pragma once
// Runs a program as a child process and times it from outside, so that every measured side pays the same
// start-up and file costs.

#include <string>
#include <vector>

struct ChildRun {
  double seconds = 0;
  long peakKb = 0;  // ru_maxrss: on Linux at least the parent's own peak at the spawn (PeakMemory.h)
};

// Runs argv (stdout into outputPath when given) and waits for it; exits the benchmark when it fails.
ChildRun RunChild(const std::vector<std::string>& argv, const std::string& outputPath = {});

// Puts a file's data on the disk (fsync), as `sync FILE` would, and says how long that took: what a durable
// baseline adds to a tool that does not sync its output.
double SyncFile(const std::string& path);
