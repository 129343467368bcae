#include "base/LinkOpening.h"

#include "base/Format.h"
#include "base/OpenableAddress.h"
#include "base/Texts.h"

namespace {

struct CodeText {
  int code;
  const char* text;
};

constexpr CodeText kOpenErrors[] = {
    {0, kTextLinkOutOfResources},  {2, kTextLinkFileNotFound},  {3, kTextLinkPathNotFound},
    {5, kTextLinkAccessDenied},    {8, kTextLinkOutOfMemory},   {11, kTextLinkBadFormat},
    {26, kTextLinkShare},          {27, kTextLinkAssociationIncomplete},
    {28, kTextLinkDdeTimeout},     {29, kTextLinkDdeFailed},    {30, kTextLinkDdeBusy},
    {31, kTextLinkNoAssociation},  {32, kTextLinkDllNotFound},  {kLinkRefusedCode, kTextLinkRefused},
};

}  // namespace

std::optional<std::string> LinkCommandLine(std::string_view htmCommand, std::string_view address) {
  if (!IsOpenableAddress(address)) return std::nullopt;
  std::size_t cut = htmCommand.find("\"%1\"");
  if (cut == std::string_view::npos) cut = htmCommand.find("%1");
  std::string command(htmCommand.substr(0, cut));
  if (!command.empty() && command.back() != ' ') command += ' ';
  command += '"';
  command += address;
  command += '"';
  return command;
}

std::string LinkOpenErrorMessage(int code) {
  std::string message = kTextCannotOpenLink;
  for (const CodeText& entry : kOpenErrors) {
    if (entry.code == code) return message + entry.text;
  }
  return message + FormatText(kTextLinkUnknownError, {code});
}
