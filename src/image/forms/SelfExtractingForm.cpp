#include "image/forms/SelfExtractingForm.h"

#include <array>

#include "base/Texts.h"
#include "image/forms/Bzip2Form.h"
#include "image/forms/SelfExtractor.h"

namespace {

class SelfExtractingWriter final : public Bzip2StreamWriter {
 public:
  explicit SelfExtractingWriter(const FormWriteOptions& options) : options_(options) {}

  bool Prepare(IMessageBoxes& boxes) override {
    programPath_ = options_.programPath.empty() ? OwnProgramPath() : options_.programPath;
    program_ = OpenStubCarrier(programPath_, boxes);
    return program_.has_value();
  }
  bool Start(File& out, const std::string& shownPath, IMessageBoxes& boxes) override {
    return CopyStub(*program_, programPath_, out, boxes) == 0 && Bzip2StreamWriter::Start(out, shownPath, boxes);
  }
  bool Complete(File& out, IMessageBoxes& boxes) override {
    static const SelfExeSettings kDefaults;
    return WriteSelfExtractorData(out, options_.selfExe ? *options_.selfExe : kDefaults, boxes) == 0;
  }

 private:
  FormWriteOptions options_;
  std::string programPath_;
  std::optional<File> program_;
};

bool HoldsImage(const std::string& path) { return ExeHasImage(path) != 0; }

std::unique_ptr<FormReader> OpenCarried(const std::string& path, bool) {
  return OpenBzip2Stream(path, FindImageStream(path));
}

std::unique_ptr<FormWriter> NewWriter(const FormWriteOptions& options) {
  return std::make_unique<SelfExtractingWriter>(options);
}

constexpr std::array<std::string_view, 1> kExtensions = {".exe"};

}  // namespace

const ImageForm kSelfExtractingForm = {
    .name = "self-extracting",
    .extensions = kExtensions,
    .description = kTextSaveFilterExe,
    .compressed = true,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = false,
    .trailer = TrailerUse::Always,
    .recognises = nullptr,
    .holdsImage = &HoldsImage,
    .openReader = &OpenCarried,
    .newWriter = &NewWriter,
    .checkItself = nullptr,
};
