#include "image/forms/ImageForm.h"

#include <array>
#include <vector>

#include "base/Strings.h"
#include "image/forms/Bzip2Form.h"
#include "image/forms/KryoFluxForm.h"
#include "image/forms/RawForm.h"
#include "image/forms/ScpForm.h"
#include "image/forms/SelfExtractingForm.h"
#include "image/forms/ZipForm.h"

namespace {

// The order the file dialogs offer them in (a saved filter index counts in it): the first of several
// forms of one extension is the one a save makes.
constexpr std::array<const ImageForm*, 6> kForms = {&kBzip2Form, &kZipForm, &kRawForm, &kSelfExtractingForm,
                                                    &kScpForm, &kKryoFluxForm};

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

std::span<const ImageForm* const> ImageForms() { return kForms; }

const ImageForm* FormOfPath(const std::string& path) {
  for (const ImageForm* form : kForms) {
    if (Names(*form, path)) return form;
  }
  return nullptr;
}

const ImageForm* FormOfFile(const std::string& path) {
  std::vector<uint8_t> head;
  bool headRead = false;
  const ImageForm* byExtension = nullptr;
  for (const ImageForm* form : kForms) {
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
