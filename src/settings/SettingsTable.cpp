#include "settings/SettingsTable.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "base/Strings.h"
#include "base/Utf.h"
#include "settings/RegistryKey.h"

namespace {

constexpr uint32_t kAnyDword = 0xFFFFFFFFu;
constexpr const char* kDriveLetters[] = {"A:", "B:"};

template <typename Record>
constexpr SettingField<Record> Flag(const char* name, uint32_t Record::*member) {
  return {name, member, nullptr, 0, 1, {}};
}

template <typename Record>
constexpr SettingField<Record> Number(const char* name, uint32_t Record::*member, uint32_t minimum,
                                      uint32_t maximum) {
  return {name, member, nullptr, minimum, maximum, {}};
}

template <typename Record>
constexpr SettingField<Record> Text(const char* name, std::string Record::*member,
                                    std::span<const char* const> choices = {}) {
  return {name, nullptr, member, 0, 0, choices};
}

constexpr SettingField<AppSettings> kAppFields[] = {
    Flag("Suppress", &AppSettings::m_suppress),
    Flag("Emergency", &AppSettings::m_emergency),
    Flag("Sound", &AppSettings::m_sound),
    Flag("Compatible", &AppSettings::m_compatible),
    Flag("WindowFx", &AppSettings::m_windowFx),
    Text("FDLetter", &AppSettings::m_fdLetter, kDriveLetters),
    Flag("AdvancedMode", &AppSettings::m_advancedMode),
    Flag("ToolTips", &AppSettings::m_toolTips),
    Flag("FormatDisk", &AppSettings::m_formatDisk),
    Flag("VerifyFormat", &AppSettings::m_verifyFormat),
    Flag("VerifyWrite", &AppSettings::m_verifyWrite),
    Flag("RecreateBad", &AppSettings::m_recreateBad),
    Number("LastUsedExt", &AppSettings::m_lastUsedExt, 1, kSaveFilters),
    Flag("CheckUpdates", &AppSettings::m_checkUpdates),
    Number("LastUpdate", &AppSettings::m_lastUpdate, 0, kAnyDword),
    Number("RetryPasses", &AppSettings::m_retryPasses, 0, kMaxRetryPasses),
    Text("DriveANode", &AppSettings::m_driveANode),
    Text("DriveBNode", &AppSettings::m_driveBNode),
};

constexpr SettingField<SelfExeSettings> kSelfExeFields[] = {
    Flag("CustomPicture", &SelfExeSettings::m_customPicture),
    Text("PicturePath", &SelfExeSettings::m_picturePath),
    Flag("WindowFx", &SelfExeSettings::m_windowFx),
    Flag("LicenseDisplay", &SelfExeSettings::m_licenseDisplay),
    Flag("LicensePicture", &SelfExeSettings::m_licensePicture),
    Text("LicenseTitle", &SelfExeSettings::m_licenseTitle),
    Text("LicenseText", &SelfExeSettings::m_licenseText),
    Flag("CreatePicture", &SelfExeSettings::m_createPicture),
    Flag("CreateDescription", &SelfExeSettings::m_createDescription),
    Text("CreateTitle", &SelfExeSettings::m_createTitle),
    Text("CreateText", &SelfExeSettings::m_createText),
    Flag("Format", &SelfExeSettings::m_format),
    Flag("VerifyFormat", &SelfExeSettings::m_verifyFormat),
    Flag("VerifyWrite", &SelfExeSettings::m_verifyWrite),
    Flag("DriveB", &SelfExeSettings::m_driveB),
    Flag("OverwriteDialog", &SelfExeSettings::m_overwriteDialog),
    Flag("SuccessDialog", &SelfExeSettings::m_successDialog),
    Flag("RestartDialog", &SelfExeSettings::m_restartDialog),
};

bool SameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

template <typename Record>
std::string ValueText(const SettingField<Record>& field, const Record& record) {
  if (field.dword) return std::to_string(record.*field.dword);
  return QuotedSettingText(record.*field.text);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The inverse of QuotedSettingText (with "\xHH" for any byte, as the terminal shows what is not text).
std::optional<std::string> UnquotedSettingText(std::string_view quoted) {
  std::string text;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    char c = quoted[i];
    if (c == '"') return std::nullopt;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i + 1 >= quoted.size()) return std::nullopt;
    switch (quoted[i]) {
      case '\\': text += '\\'; break;
      case '"': text += '"'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      case 't': text += '\t'; break;
      case 'x': {
        int high = i + 2 < quoted.size() ? HexDigit(quoted[i + 1]) : -1;
        int low = high >= 0 ? HexDigit(quoted[i + 2]) : -1;
        if (low < 0) return std::nullopt;
        text += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return text;
}

template <typename Record>
void AddLines(std::vector<SettingLine>& lines, std::span<const SettingField<Record>> fields, const Record& record,
              std::string_view prefix) {
  const Record defaults{};
  for (const SettingField<Record>& field : fields) {
    lines.push_back({std::string(prefix) + field.name, ValueText(field, record), ValueText(field, defaults)});
  }
}

template <typename Record>
const SettingField<Record>* FindField(std::span<const SettingField<Record>> fields, std::string_view name) {
  for (const SettingField<Record>& field : fields) {
    if (SameName(field.name, name)) return &field;
  }
  return nullptr;
}

template <typename Record>
void CheckValue(const SettingField<Record>& field, std::string_view value, SettingChange& change) {
  if (field.dword) {
    change.allowed = std::to_string(field.minimum) + "-" + std::to_string(field.maximum);
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), change.number);
    bool digitsOnly = !value.empty() && value.find_first_not_of("0123456789") == std::string_view::npos;
    if (!digitsOnly) {
      change.refusal = SettingRefusal::NotANumber;
    } else if (error != std::errc() || change.number < field.minimum || change.number > field.maximum) {
      change.refusal = SettingRefusal::OutOfRange;
    }
    return;
  }
  change.text = std::string(value);
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    std::optional<std::string> unquoted = UnquotedSettingText(value);
    if (!unquoted) {
      change.refusal = SettingRefusal::BadQuoting;
      return;
    }
    change.text = *unquoted;
    value = change.text;
  }
  for (const char* choice : field.choices) {
    change.allowed += change.allowed.empty() ? "" : ", ";
    change.allowed += choice;
  }
  std::u16string wide = Utf8ToUtf16(value);
  if (Utf16ToUtf8(wide) != value) {
    change.refusal = SettingRefusal::NotText;
  } else if (!field.choices.empty() &&
             std::find(field.choices.begin(), field.choices.end(), value) == field.choices.end()) {
    change.refusal = SettingRefusal::NotAChoice;
  } else if ((wide.size() + 1) * 2 > RegistryKey::kMaxStringBytes) {
    change.refusal = SettingRefusal::TooLong;  // it would read back as its default
  }
}

template <typename Record>
bool Store(IRegistryBackend& registry, const SettingField<Record>& field, const SettingChange& change,
           Record& record) {
  if (field.dword) {
    record.*field.dword = change.number;
  } else {
    record.*field.text = change.text;
  }
  return StoreSettings(registry, record, {field.name});
}

}  // namespace

std::string QuotedSettingText(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          constexpr char kHex[] = "0123456789abcdef";
          quoted += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::span<const SettingField<AppSettings>> AppSettingFields() { return kAppFields; }
std::span<const SettingField<SelfExeSettings>> SelfExeSettingFields() { return kSelfExeFields; }

std::vector<SettingLine> ListSettings(const AppSettings& app, const SelfExeSettings& selfExe) {
  std::vector<SettingLine> lines;
  AddLines(lines, AppSettingFields(), app, "");
  AddLines(lines, SelfExeSettingFields(), selfExe, kSelfExeSettingPrefix);
  return lines;
}

SettingChange ParseSettingChange(std::string_view assignment) {
  SettingChange change;
  std::size_t equals = assignment.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    change.refusal = SettingRefusal::NotAnAssignment;
    return change;
  }
  std::string_view name = assignment.substr(0, equals);
  std::string_view value = assignment.substr(equals + 1);
  if (name.size() > kSelfExeSettingPrefix.size() && SameName(name.substr(0, kSelfExeSettingPrefix.size()),
                                                             kSelfExeSettingPrefix)) {
    change.selfExe = FindField(SelfExeSettingFields(), name.substr(kSelfExeSettingPrefix.size()));
  } else {
    change.app = FindField(AppSettingFields(), name);
  }
  if (change.app) {
    change.name = change.app->name;
    CheckValue(*change.app, value, change);
  } else if (change.selfExe) {
    change.name = std::string(kSelfExeSettingPrefix) + change.selfExe->name;
    CheckValue(*change.selfExe, value, change);
  } else {
    change.name = std::string(name);
    change.refusal = SettingRefusal::UnknownName;
  }
  return change;
}

bool StoreSettingChange(IRegistryBackend& registry, const SettingChange& change, AppSettings& app,
                        SelfExeSettings& selfExe) {
  if (change.refusal != SettingRefusal::None) return false;
  if (change.app) return Store(registry, *change.app, change, app);
  return change.selfExe && Store(registry, *change.selfExe, change, selfExe);
}
