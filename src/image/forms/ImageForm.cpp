#include "image/forms/ImageForm.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "base/Strings.h"
#include "base/Texts.h"

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

void ShowImageUnreadable(const std::string& path, IMessageBoxes& boxes, int textId) {
  const ImageForm* form = FormOfPath(path);
  if (form && form->showUnreadable) {
    form->showUnreadable(path, boxes);
  } else {
    ShowError(boxes, textId);
  }
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

std::string FormExtensionNames(bool (*which)(const ImageForm&), std::string_view lastSeparator) {
  std::vector<std::string> names;
  for (const ImageForm* form : ImageForms()) {
    if (which && !which(*form)) continue;
    for (std::string_view extension : form->extensions) {
      std::string name(extension.substr(1));
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  std::string joined;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += i + 1 == names.size() ? std::string(lastSeparator) : std::string("、");
    joined += names[i];
  }
  return joined;
}

void ShowUnsupportedExtension(IMessageBoxes& boxes, bool saving) {
  auto writable = [](const ImageForm& form) { return form.Writable(); };
  ShowError(boxes, kTextUnsupportedExtension, {FormExtensionNames(saving ? +writable : nullptr, " 和 ")});
}

bool OnFloppyDrive(const std::string& path) {
  return StartsWithIgnoringCase(path, "A:") || StartsWithIgnoringCase(path, "B:");
}
