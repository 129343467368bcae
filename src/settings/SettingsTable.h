#pragma once
// Every value of the two settings records, written down once: the loader and the writers go through these
// rows, and so do the POSIX program's --settings and --set.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

// One registry value: a DWORD (dword set) taking minimum..maximum, or a string (text set) taking any text,
// or one of choices when it has them.
template <typename Record>
struct SettingField {
  const char* name;
  uint32_t Record::*dword = nullptr;
  std::string Record::*text = nullptr;
  uint32_t minimum = 0;
  uint32_t maximum = 0;
  std::span<const char* const> choices = {};
};

// In the order the loader reads them.
std::span<const SettingField<AppSettings>> AppSettingFields();
std::span<const SettingField<SelfExeSettings>> SelfExeSettingFields();

// On the command line a Settings value goes by its registry name, a Self-Exe value by "Self-Exe." and its
// name (WindowFx, VerifyFormat and VerifyWrite are in both keys).
inline constexpr std::string_view kSelfExeSettingPrefix = "Self-Exe.";

// Values as the listing shows them: DWORDs in decimal, strings in double quotes with \\, \", \n, \r, \t and
// \xHH for a backslash, a quote and the control characters, so that a line break and the typed characters
// "\r\n" look different. A --set value in double quotes is read back the same way; any other is taken as given.
std::string QuotedSettingText(std::string_view text);

struct SettingLine {
  std::string name;
  std::string value;
  std::string defaultValue;
};
std::vector<SettingLine> ListSettings(const AppSettings& app, const SelfExeSettings& selfExe);

enum class SettingRefusal {
  None,
  NotAnAssignment,
  UnknownName,
  NotANumber,
  OutOfRange,
  NotAChoice,
  NotText,
  TooLong,
  BadQuoting,  // in double quotes, with an escape the listing never shows or a quote not escaped
};

// "NAME=VALUE": the name in any case, a DWORD in decimal digits, a string as given or quoted as listed.
struct SettingChange {
  SettingRefusal refusal = SettingRefusal::None;
  std::string name;  // as the listing spells it, once the name is known
  std::string allowed;  // what the value may be, for the refusal's message
  const SettingField<AppSettings>* app = nullptr;
  const SettingField<SelfExeSettings>* selfExe = nullptr;
  uint32_t number = 0;
  std::string text;
};
SettingChange ParseSettingChange(std::string_view assignment);

// Puts an accepted change into its record and stores that one value: false when it did not reach the store.
bool StoreSettingChange(IRegistryBackend& registry, const SettingChange& change, AppSettings& app,
                        SelfExeSettings& selfExe);
