#include "cli/DesktopAssociation.h"

#include <filesystem>

#include "app/CommandLine.h"
#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "base/Utf.h"
#include "cli/TerminalText.h"

namespace {

constexpr const char* kImgType = "application/x-diskelle-img";
constexpr const char* kImzType = "application/x-diskelle-imz";

// One argument of Exec: quoted, with the characters the desktop entry format reserves inside quotes escaped,
// then escaped once more as a string value (backslashes, line breaks), with % doubled for the field codes.
std::string ExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\r': value += "\\r"; break;
      case '\t': value += "\\t"; break;
      case '%': value += "%%"; break;
      default: value += c;
    }
  }
  return value;
}

std::string MimeType(const char* type, const char* comment, const char* glob) {
  // Globs are case-insensitive unless marked otherwise: DISK.IMG is an image too. The weight puts them ahead
  // of the desktop's generic raw disk image type, which also claims *.img.
  return FormatText("  <mime-type type=\"%s\">\n    <comment>%s</comment>\n    <glob pattern=\"%s\" weight=\"60\"/>\n"
                    "  </mime-type>\n",
                    {type, comment, glob});
}

struct AssociationFiles {
  std::string applications, mime, desktopEntry, mimeTypes;
};

AssociationFiles FilesBelow(const std::string& dataHome) {
  AssociationFiles files{dataHome + "/applications", dataHome + "/mime", "", ""};
  files.desktopEntry = files.applications + "/diskelle.desktop";
  files.mimeTypes = files.mime + "/packages/diskelle.xml";
  return files;
}

bool Save(const std::string& path, const std::string& text, std::FILE* out, std::FILE* err) {
  std::error_code ignored;  // a folder that cannot be made shows as the file that cannot be created
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  if (SaveWholeFile(path, text.data(), text.size()) != FileSave::Start::Ready) {
    std::fprintf(err, "%s\n", FormatText(TextOf(kTextCannotCreate), {TerminalSafe(path)}).c_str());
    return false;
  }
  std::fprintf(out, "%s\n", FormatText(kTextAssociationWritten, {TerminalSafe(path)}).c_str());
  return true;
}

bool Remove(const std::string& path, std::FILE* out, std::FILE* err) {
  if (!FileExists(path)) return true;
  if (!RemoveFile(path)) {
    std::fprintf(err, "%s\n", FormatText(kTextCannotRemove, {TerminalSafe(path)}).c_str());
    return false;
  }
  std::fprintf(out, "%s\n", FormatText(kTextAssociationRemoved, {TerminalSafe(path)}).c_str());
  return true;
}

void RunTool(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
  std::fflush(out);  // the tool writes to the same output
  std::optional<int> status = RunDesktopTool(arguments);
  if (!status) return;  // not installed: the desktop picks the files up on its own
  std::string command;
  for (const std::string& argument : arguments) command += (command.empty() ? "" : " ") + argument;
  command = TerminalSafe(command);
  if (*status == 0) {
    std::fprintf(out, "%s\n", FormatText(kTextAssociationToolRan, {command}).c_str());
  } else {
    std::fprintf(err, "%s\n", FormatText(kTextAssociationToolFailed, {command, std::to_string(*status)}).c_str());
  }
}

}  // namespace

std::string DesktopEntryText(const std::string& programPath) {
  return FormatText("[Desktop Entry]\nType=Application\nName=Diskelle\nComment=%s\nExec=%s %%f\nTerminal=true\n"
                    "NoDisplay=true\nMimeType=%s;%s;\n",
                    {kTextDesktopEntryComment, ExecArgument(programPath), kImgType, kImzType});
}

std::string MimeTypesText() {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n") +
         MimeType(kImgType, kTextMimeTypeImg, "*.img") + MimeType(kImzType, kTextMimeTypeImz, "*.imz") +
         "</mime-info>\n";
}

bool LaunchablePath(const std::string& programPath) {
  // Desktop entries are UTF-8, and GLib looks the program up before it expands %%: it would never start.
  return programPath.find('%') == std::string::npos && Utf16ToUtf8(Utf8ToUtf16(programPath)) == programPath;
}

int ChangeDesktopAssociation(bool associate, const std::string& programPath, const std::string& dataHome,
                             std::FILE* out, std::FILE* err) {
  AssociationFiles files = FilesBelow(dataHome);
  bool done = false;
  if (associate) {
    if (!LaunchablePath(programPath)) {
      std::fprintf(err, "%s\n", FormatText(kTextProgramPathNotLaunchable, {TerminalSafe(programPath)}).c_str());
      return kExitOperationFailed;
    }
    // An entry that cannot be written leaves the types as they were: no half association.
    std::optional<std::string> typesBefore;
    if (File earlier = File::Open(files.mimeTypes, FileMode::Read)) {
      typesBefore.emplace();
      char chunk[4096];
      for (std::size_t got; (got = earlier.Read(chunk, sizeof chunk)) > 0;) typesBefore->append(chunk, got);
    }
    done = Save(files.mimeTypes, MimeTypesText(), out, err);
    if (done && !Save(files.desktopEntry, DesktopEntryText(programPath), out, err)) {
      done = false;
      if (!typesBefore) {
        Remove(files.mimeTypes, out, err);
      } else if (*typesBefore != MimeTypesText()) {
        SaveWholeFile(files.mimeTypes, typesBefore->data(), typesBefore->size());
      }
    }
  } else {
    bool entryGone = Remove(files.desktopEntry, out, err);  // the types go even when the entry stays
    done = Remove(files.mimeTypes, out, err) && entryGone;
  }
  RunTool({"update-mime-database", files.mime}, out, err);
  RunTool({"update-desktop-database", files.applications}, out, err);
  return done ? kExitDone : kExitOperationFailed;
}
