#pragma once
// The typed sort keys of a sortable list's cells, kept apart from the texts shown: text keys compare
// without regard to case, number keys as signed 64-bit values.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

enum class SortKeyType { Text = 0, Number = 1 };

// No key (a cell nobody gave one) sorts before every key.
using SortKey = std::variant<std::monostate, std::wstring, int64_t>;

inline constexpr std::size_t kMaxTextKeyLength = 255;

// A text key: its first 255 UTF-16 units (a surrogate pair is never split).
SortKey MakeTextKey(std::string_view utf8);

// -1, 0 or 1.
int CompareSortKeys(const SortKey& a, const SortKey& b);
