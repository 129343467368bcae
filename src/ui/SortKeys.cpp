#include "ui/SortKeys.h"

#include <windows.h>

#include "ui/WideText.h"

SortKey MakeTextKey(std::string_view utf8) {
  std::wstring text = Wide(utf8);
  if (text.size() > kMaxTextKeyLength) {
    std::size_t length = kMaxTextKeyLength;
    if (IS_HIGH_SURROGATE(text[length - 1])) --length;
    text.resize(length);
  }
  return text;
}

int CompareSortKeys(const SortKey& a, const SortKey& b) {
  if (a.index() != b.index()) return a.index() < b.index() ? -1 : 1;
  if (const auto* text = std::get_if<std::wstring>(&a)) {
    int order = ::lstrcmpiW(text->c_str(), std::get<std::wstring>(b).c_str());
    return (order > 0) - (order < 0);
  }
  if (const auto* number = std::get_if<int64_t>(&a)) {
    int64_t other = std::get<int64_t>(b);
    return (*number > other) - (*number < other);
  }
  return 0;
}
