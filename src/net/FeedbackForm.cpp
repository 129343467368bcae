#include "net/FeedbackForm.h"

#include "base/Format.h"
#include "net/FormEncoding.h"
#include "net/WhiteSpace.h"
#include "settings/Settings.h"

namespace {

constexpr uint32_t kWindows9xPlatform = 1;

}  // namespace

bool IsBlankComment(const FeedbackEntries& entries) { return TrimWhiteSpace(entries.comment).empty(); }

std::optional<std::string> FeedbackBody(const FeedbackEntries& entries, const SystemDescription& system) {
  if (IsBlankComment(entries)) return std::nullopt;
  bool windows9x = system.platformId == kWindows9xPlatform;
  uint32_t build = windows9x ? system.buildNumber & 0xFFFF : system.buildNumber;

  std::string body = "app_name=Diskelle";
  body += "&app_version=";
  body += kProgramVersion;
  body += "&ostype=";
  body += windows9x ? "Windows 9x" : "Windows NT";
  body += "&version=" + std::to_string(system.majorVersion) + "." + std::to_string(system.minorVersion);
  body += "&build=" + std::to_string(build);
  body += "&langid=" + FormatText("%#06x", {static_cast<unsigned>(system.languageId)});
  body += "&additional=" + system.servicePack;
  body += "&about=" + EncodeFormValue(entries.about);
  body += "&problem=" + EncodeFormValue(entries.problem);
  body += "&used=" + EncodeFormValue(entries.used);
  body += "&email=" + EncodeFormValue(TrimWhiteSpace(entries.email));
  body += "&comment=" + EncodeFormComment(TrimWhiteSpace(entries.comment));
  return body;
}
