#include "image/forms/ImageForm.h"

#include <vector>

#include "base/Strings.h"

namespace {

// The most first bytes any form looks at to tell itself from another of its extension.
constexpr std::size_t kHeadBytes = 16;

bool Names(const ImageForm& form, const std::string& path) {
  for (std::string_view extension : form.extensions) {
    if (EndsWithIgnoringCase(path, extension)) return true;
  }
  return false;
}

}  // namespace

bool FormWriter::Rewrite(File&, uint64_t, const void*, std::size_t) { return false; }

const ImageForm* FormOfPath(const std::string& path) {
  for (const ImageForm* form : ImageForms()) {
    if (Names(*form, path)) return form;
  }
  return nullptr;
}

const ImageForm* FormOfFile(const std::string& path) {
  std::vector<uint8_t> head;
  bool headRead = false;
  const ImageForm* byExtension = nullptr;
  for (const ImageForm* form : ImageForms()) {
    if (!Names(*form, path)) continue;
    if (!form->recognises) {
      if (!byExtension) byExtension = form;
      continue;
    }
    if (!headRead) {
      headRead = true;
      File file = File::Open(path, FileMode::Read);
      if (!file) return nullptr;
      head.resize(kHeadBytes);
      head.resize(file.Read(head.data(), head.size()));
    }
    if (form->recognises(head)) return form;
  }
  return byExtension;
}

bool OnFloppyDrive(const std::string& path) {
  return StartsWithIgnoringCase(path, "A:") || StartsWithIgnoringCase(path, "B:");
}
