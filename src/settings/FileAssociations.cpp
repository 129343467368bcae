#include "settings/FileAssociations.h"

#include "base/Texts.h"
#include "base/Win32Codes.h"
#include "settings/RegistryKey.h"

namespace {

struct TypeNames {
  const char* extension;
  const char* progId;
  const char* typeName;
  const char* iconIndex;  // the document icon's index in the program file
};

constexpr TypeNames kImg{".img", "DiskelleFile", kTextImgTypeName, ",1"};
constexpr TypeNames kImz{".imz", "DiskelleCompressedFile", kTextImzTypeName, ",2"};

const TypeNames& NamesOf(ImageFileType type) { return type == ImageFileType::Img ? kImg : kImz; }

enum class Data { TypeName, Icon, Caption, Command, ProgId };

// The keys of one type in the order they are written; below is relative to the ProgID, or null for the
// extension key, which comes last so that it never names a ProgID without its verbs.
struct AssociationRow {
  const char* below;
  Data data;
  const char* text;  // the caption, or the command's arguments after the quoted program path
};

constexpr AssociationRow kRows[] = {
    {"", Data::TypeName, nullptr},
    {"\\DefaultIcon", Data::Icon, nullptr},
    {"\\Shell\\open", Data::Caption, kTextVerbOpen},
    {"\\Shell\\open\\command", Data::Command, "\"%1\""},
    {"\\Shell\\write_image_to_floppy_disk", Data::Caption, kTextVerbWriteToFloppy},
    {"\\Shell\\write_image_to_floppy_disk\\command", Data::Command, "/i \"%1\" /w"},
    {"\\Shell\\check_integrity_of_image", Data::Caption, kTextVerbCheckIntegrity},
    {"\\Shell\\check_integrity_of_image\\command", Data::Command, "/i \"%1\" /t"},
    {nullptr, Data::ProgId, nullptr},
};

std::string ValueOf(const AssociationRow& row, const TypeNames& names, const std::string& programPath) {
  switch (row.data) {
    case Data::TypeName: return names.typeName;
    case Data::Icon: return programPath + names.iconIndex;
    case Data::Caption: return row.text;
    case Data::Command: return "\"" + programPath + "\" " + row.text;
    case Data::ProgId: return names.progId;
  }
  return {};
}

std::string UserClass(const std::string& path) { return std::string(kUserClassesKey) + "\\" + path; }

bool ReadDefault(IRegistryBackend& registry, RegistryHandle root, const std::string& path, std::string& out) {
  RegistryKey key(registry);
  if (key.Open(root, path) != kErrorSuccess) return false;
  bool read = key.ReadString("", out, "") == kErrorSuccess;
  key.Close();
  return read;
}

// The default value of a class key as the shell's merged view sees it.
bool ReadClassDefault(IRegistryBackend& registry, const std::string& path, std::string& out) {
  return ReadDefault(registry, kHkeyCurrentUser, UserClass(path), out) ||
         ReadDefault(registry, kHkeyClassesRoot, path, out);
}

}  // namespace

int IsAssociated(IRegistryBackend& registry, const std::string& extension, const std::string& programPath) {
  if (programPath.empty()) return 0;  // every command would contain it
  std::string progId;
  if (!ReadClassDefault(registry, extension, progId) || progId.empty()) return 0;
  std::string command;
  if (!ReadClassDefault(registry, progId + "\\Shell\\open\\command", command)) return 0;
  return command.find(programPath) != std::string::npos ? 1 : 0;
}

long Register(IRegistryBackend& registry, ImageFileType type, const std::string& programPath) {
  const TypeNames& names = NamesOf(type);
  for (const AssociationRow& row : kRows) {
    std::string path = row.below ? std::string(names.progId) + row.below : std::string(names.extension);
    RegistryKey key(registry);
    long result = key.Create(kHkeyCurrentUser, UserClass(path));
    if (result != kErrorSuccess) return result;
    result = key.WriteString("", ValueOf(row, names, programPath));
    key.Close();
    if (result != kErrorSuccess) return result;
  }
  return kErrorSuccess;
}

long Unregister(IRegistryBackend& registry, ImageFileType type) {
  RegistryKey classes(registry);
  long result = classes.Create(kHkeyCurrentUser, kUserClassesKey);
  if (result != kErrorSuccess) return result;
  result = classes.DeleteTree(NamesOf(type).progId, 0, 1);
  classes.Close();
  return result == kErrorFileNotFound ? kErrorSuccess : result;
}

long ChangeAssociations(IRegistryBackend& registry, const std::string& programPath, AssociationChange img,
                        AssociationChange imz, IShellNotifier* notifier) {
  long firstFailure = kErrorSuccess;
  bool changed = false;
  const std::pair<ImageFileType, AssociationChange> batch[] = {{ImageFileType::Img, img}, {ImageFileType::Imz, imz}};
  for (const auto& [type, change] : batch) {
    if (change == AssociationChange::Keep) continue;
    // A half-done change still reaches the shell: the keys written so far are live.
    changed = true;
    long result = change == AssociationChange::Register ? Register(registry, type, programPath)
                                                        : Unregister(registry, type);
    if (firstFailure == kErrorSuccess) firstFailure = result;
  }
  if (changed && notifier) notifier->AssociationsChanged();
  return firstFailure;
}
