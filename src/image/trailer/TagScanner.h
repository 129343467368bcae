#pragma once
// Reads the one-line tagged texts of the trailer and the settings block: "[Tag value] [Tag text<0x01>] ...".
// Tags are searched in their written order: each search starts after the previous tag found, and never
// before the end of the last text field read, so a description or title that happens to contain a tag
// cannot stand in for it. A missing tag is skipped and the next search starts again at that floor.
// Numbers that do not fit are clamped, never undefined; nothing is read beyond the text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

// The text of a block: its bytes up to the first NUL, at most size bytes.
std::string_view BlockText(const void* block, std::size_t size);

// Decimal number at pos (blanks skipped, optional sign, digits up to the first non-digit; 0 without digits).
int32_t ReadDecimal(std::string_view text, std::size_t pos);

class TagScanner {
 public:
  explicit TagScanner(std::string_view text) : text_(text) {}

  std::optional<int32_t> Number(std::string_view tag);
  // Two numbers separated by a blank ("[BMPStart 10 20]"); the second is 0 when no blank follows the first.
  std::optional<std::pair<int32_t, int32_t>> Pair(std::string_view tag);
  // Hexadecimal with or without "0x".
  std::optional<uint32_t> HexNumber(std::string_view tag);
  // The bytes after the tag up to the byte 0x01, which ends every text field; empty when there is no 0x01.
  std::optional<std::string_view> Text(std::string_view tag);

 private:
  // The position just after the tag, or nullopt.
  std::optional<std::size_t> Find(std::string_view tag);

  std::string_view text_;
  std::size_t cursor_ = 0;
  std::size_t floor_ = 0;
};
