#pragma once
// Lists of linear sector indexes as vfloppy reads and prints them: comma-separated indexes and inclusive
// ranges, counted from 0 in disk order, e.g. "37,100-103". An empty text is an empty list.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Sorted, without duplicates; nullopt when the text is malformed or names an index >= limit.
std::optional<std::vector<int64_t>> ParseSectorList(const std::string& text, int64_t limit);
// Runs of consecutive indexes become ranges; "-" for an empty list.
std::string FormatSectorList(const std::vector<int64_t>& sectors);
