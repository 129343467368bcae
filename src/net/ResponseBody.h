#pragma once
// The body of a server's answer, collected as it is read. The server is not trusted: the body never grows
// past kMaxResponseBytes, and only UTF-8 text reaches the parsers.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t kMaxResponseBytes = 64 * 1024;

class ResponseBody {
 public:
  // False once the answer is longer than kMaxResponseBytes: the reader stops there, the answer is refused.
  bool Append(std::string_view chunk);

  // The message that refuses the answer (too large, or not UTF-8 text); nullopt when it may be parsed.
  std::optional<std::string> Problem() const;

  // The answer without a leading byte-order mark.
  std::string_view Text() const;

 private:
  std::string bytes_;
  bool tooLarge_ = false;
};

// True for UTF-8 text without control characters other than tab, CR and LF: no C0, DEL or C1 controls, no
// bidirectional embeddings, overrides or isolates (U+202A-U+202E, U+2066-U+2069).
bool IsPlainText(std::string_view bytes);

// Text from the server as it can be shown in one line: every control character that IsPlainText refuses
// (tab, CR and LF included) written as \xNN or \uNNNN, every byte that is not UTF-8 as \xNN.
std::string EscapeControls(std::string_view text);

// The lines of a server file: split at LF, every CR dropped. A final LF ends the last line.
std::vector<std::string> SplitLines(std::string_view text);
