#include "base/Format.h"

#include <cstdio>
#include <vector>

long long FormatArg::AsSigned() const {
  switch (kind_) {
    case Kind::Signed: return signed_;
    case Kind::Unsigned: return static_cast<long long>(unsigned_);
    case Kind::Real: return static_cast<long long>(real_);
    case Kind::Text: return 0;
  }
  return 0;
}

unsigned long long FormatArg::AsUnsigned() const {
  switch (kind_) {
    // Like printf's "%X" of an int: a negative value shows as its 32-bit two's complement.
    case Kind::Signed:
      return signed_ < 0 && signed_ >= INT32_MIN ? static_cast<uint32_t>(signed_)
                                                 : static_cast<unsigned long long>(signed_);
    case Kind::Unsigned: return unsigned_;
    case Kind::Real: return static_cast<unsigned long long>(real_);
    case Kind::Text: return 0;
  }
  return 0;
}

double FormatArg::AsReal() const {
  switch (kind_) {
    case Kind::Signed: return static_cast<double>(signed_);
    case Kind::Unsigned: return static_cast<double>(unsigned_);
    case Kind::Real: return real_;
    case Kind::Text: return 0;
  }
  return 0;
}

std::string FormatArg::AsText() const {
  switch (kind_) {
    case Kind::Signed: return std::to_string(signed_);
    case Kind::Unsigned: return std::to_string(unsigned_);
    case Kind::Real: return std::to_string(real_);
    case Kind::Text: return std::string(text_);
  }
  return {};
}

namespace {

bool IsFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One conversion, rebuilt from characters we validated, so snprintf never sees an unchecked format.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <typename T>
std::string Print(const std::string& spec, T value) {
  int needed = std::snprintf(nullptr, 0, spec.c_str(), value);
  if (needed <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
  std::snprintf(buffer.data(), buffer.size(), spec.c_str(), value);
  return std::string(buffer.data(), static_cast<std::size_t>(needed));
}
#pragma GCC diagnostic pop

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  return FormatText(format, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string FormatText(std::string_view format, std::span<const FormatArg> args) {
  std::string out;
  auto next = args.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    std::size_t start = i++;
    if (i < format.size() && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    std::string spec = "%";
    while (i < format.size() && IsFlag(format[i])) spec += format[i++];
    std::size_t widthStart = i;
    while (i < format.size() && IsDigit(format[i])) spec += format[i++];
    bool tooWide = i - widthStart > 2;
    if (i < format.size() && format[i] == '.') {
      spec += format[i++];
      std::size_t precisionStart = i;
      while (i < format.size() && IsDigit(format[i])) spec += format[i++];
      tooWide = tooWide || i - precisionStart > 2;
    }
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) ++i;  // lengths follow the argument
    if (i >= format.size() || tooWide || next == args.end()) {
      out.append(format.substr(start, i - start));  // malformed or missing argument: shown as written
      continue;
    }
    char conversion = format[i++];
    const FormatArg& arg = *next++;
    switch (conversion) {
      case 'd':
      case 'i': out += Print(spec + "lld", arg.AsSigned()); break;
      case 'u':
      case 'x':
      case 'X':
      case 'o': out += Print(spec + "ll" + conversion, arg.AsUnsigned()); break;
      case 'f':
      case 'e':
      case 'g':
      case 'E':
      case 'G': out += Print(spec + conversion, arg.AsReal()); break;
      case 'c': out += static_cast<char>(arg.AsSigned()); break;
      case 's': out += Print(spec + "s", arg.AsText().c_str()); break;
      default:
        --next;
        out.append(format.substr(start, i - start));
        break;
    }
  }
  return out;
}
