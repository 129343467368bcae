#include "image/forms/ImdForm.h"

#include <array>
#include <ctime>

#include "base/CodePage.h"
#include "base/Texts.h"
#include "image/forms/ArchiveForm.h"
#include "image/forms/ImdImage.h"

namespace {

constexpr ArchiveKind kImageDisk = {"ImageDisk", &ParseImd, kTextImdCheckGood, false};

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

// Holds the raw image until its end: the bad sectors and the description come only then, and the comment
// they go into comes first in the file.
class ImdWriter final : public FormWriter {
 public:
  explicit ImdWriter(const FormWriteOptions& options) : expectedBytes_(options.imageBytes) {}

  bool Prepare(IMessageBoxes& boxes) override {
    if (expectedBytes_ == 0 || FloppyFormatOfSize(static_cast<int64_t>(expectedBytes_))) return true;
    ShowError(boxes, kTextImdNeedsPcFormat, {static_cast<unsigned long long>(expectedBytes_)});
    return false;
  }
  bool Start(File&, const std::string&, IMessageBoxes&) override { return true; }
  bool Write(File&, const void* data, std::size_t bytes) override {
    const auto* begin = static_cast<const uint8_t*>(data);
    if (raw_.size() + bytes > kImageBufferBytes) return false;
    raw_.insert(raw_.end(), begin, begin + bytes);
    return true;
  }
  void SetBadSectors(const std::vector<bool>& bad) override { bad_ = bad; }
  void SetDescription(const std::string& description) override { description_ = description; }
  bool End(File& out) override {
    const FloppyFormat* format = FloppyFormatOfSize(static_cast<int64_t>(raw_.size()));
    if (!format) return false;
    const std::string header = ImdHeader(ToSystemCodePage(description_), LocalNow());
    const std::string tracks = ImdTracks({format->tracks, format->sectorsPerTrack}, raw_, bad_);
    return out.Write(header.data(), header.size()) && out.Write(tracks.data(), tracks.size());
  }

 private:
  uint64_t expectedBytes_;
  std::vector<uint8_t> raw_;
  std::vector<bool> bad_;
  std::string description_;
};

std::optional<FormFacts> Facts(const std::string& path, IMessageBoxes& boxes) {
  return ArchiveFacts(kImageDisk, path, boxes);
}

std::unique_ptr<FormReader> Open(const std::string& path, bool) { return OpenArchiveReader(kImageDisk, path); }

std::unique_ptr<FormWriter> NewWriter(const FormWriteOptions& options) { return std::make_unique<ImdWriter>(options); }

bool Check(const std::string& path, IMessageBoxes& boxes) { return CheckArchive(kImageDisk, path, boxes); }

constexpr std::array<std::string_view, 1> kImdExtensions = {".imd"};

}  // namespace

const ImageForm kImdForm = {
    .name = "imagedisk",
    .extensions = kImdExtensions,
    .description = kTextSaveFilterImd,
    .compressed = false,
    .rawSectors = false,
    .archive = false,
    .recordsBadSectors = true,
    .trailer = TrailerUse::Never,
    .recognises = nullptr,
    .holdsImage = nullptr,
    .openReader = &Open,
    .newWriter = &NewWriter,
    .checkItself = &Check,
    .readFacts = &Facts,
    .ownOpenFilter = true,
};
