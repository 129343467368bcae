#pragma once
// printf-style filling of message texts ("%d", "%s", "0x%04X", "%.1f", "%#x", "%%") with typed arguments.
// A conversion that does not fit its argument is converted, never undefined: texts come from a table and
// must not be able to crash the program whatever their arguments.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

class FormatArg {
 public:
  enum class Kind { Signed, Unsigned, Real, Text };

  FormatArg(int value) : kind_(Kind::Signed), signed_(value) {}
  FormatArg(long value) : kind_(Kind::Signed), signed_(value) {}
  FormatArg(long long value) : kind_(Kind::Signed), signed_(value) {}
  FormatArg(unsigned value) : kind_(Kind::Unsigned), unsigned_(value) {}
  FormatArg(unsigned long value) : kind_(Kind::Unsigned), unsigned_(value) {}
  FormatArg(unsigned long long value) : kind_(Kind::Unsigned), unsigned_(value) {}
  FormatArg(double value) : kind_(Kind::Real), real_(value) {}
  FormatArg(const char* value) : kind_(Kind::Text), text_(value ? value : "") {}
  FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
  FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}

  bool IsText() const { return kind_ == Kind::Text; }
  long long AsSigned() const;
  unsigned long long AsUnsigned() const;
  double AsReal() const;
  std::string AsText() const;

 private:
  Kind kind_;
  long long signed_ = 0;
  unsigned long long unsigned_ = 0;
  double real_ = 0;
  std::string_view text_;
};

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args = {});
std::string FormatText(std::string_view format, std::span<const FormatArg> args);
