#include "image/forms/SelfExtractingForm.h"

#include "image/forms/Bzip2StreamWriter.h"
#include "image/forms/CarriedImageForm.h"
#include "image/forms/SelfExtractorBuilder.h"

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

std::unique_ptr<FormWriter> NewWriter(const FormWriteOptions& options) {
  return std::make_unique<SelfExtractingWriter>(options);
}

}  // namespace

const ImageForm kSelfExtractingForm = SelfExtractingFormWith(&NewWriter);
