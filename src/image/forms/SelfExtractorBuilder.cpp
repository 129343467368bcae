#include "image/forms/SelfExtractorBuilder.h"

#include <algorithm>
#include <vector>

#include "base/CodePage.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "image/forms/Bzip2Writer.h"

namespace {

constexpr std::size_t kCopyChunkBytes = 10240;

bool FitsOffset(int64_t offset) { return offset >= 0 && offset <= INT32_MAX; }

// Where out stands, or -1 for a file that is not open.
int64_t PositionOf(const File& out) { return out ? out.Tell() : -1; }

// Appends the picture file as one bzip2 stream. 0, or -1 (112), -2 (57685), -3 (123).
int AppendPicture(File& out, const std::string& picturePath, ItemOffsets& item, IMessageBoxes& boxes) {
  const int64_t start = PositionOf(out);
  Bzip2Writer stream;
  if (!FitsOffset(start) || !stream.Open(out)) {
    ShowError(boxes, kTextCannotCreateCompressed);
    return -1;
  }
  File picture = File::Open(picturePath, FileMode::Read);
  if (!picture) {
    ShowError(boxes, kTextCannotReadBmp);
    return -2;
  }
  std::vector<uint8_t> chunk(kCopyChunkBytes);
  for (;;) {
    std::size_t got = picture.Read(chunk.data(), chunk.size());
    if (got < chunk.size() && std::ferror(picture.get())) {
      ShowError(boxes, kTextCannotReadBmp);
      return -2;
    }
    if (got == 0) break;
    if (!stream.Write(chunk.data(), got)) {
      ShowError(boxes, kTextImageWriteFailed);
      return -3;
    }
  }
  const int64_t end = stream.Close() && out.Flush() ? out.Tell() : -1;
  if (!FitsOffset(end)) {
    ShowError(boxes, kTextImageWriteFailed);
    return -3;
  }
  item = {static_cast<int32_t>(start), static_cast<int32_t>(end)};
  return 0;
}

// Appends bytes to out, handed to the system at once, so that a failure is this item's; item receives where
// they went.
bool AppendBytes(File& out, const std::string& bytes, ItemOffsets& item) {
  const int64_t start = PositionOf(out);
  if (!FitsOffset(start) || !out.Write(bytes.data(), bytes.size()) || !out.Flush()) return false;
  const int64_t end = out.Tell();
  if (!FitsOffset(end) || end != start + static_cast<int64_t>(bytes.size())) return false;
  item = {static_cast<int32_t>(start), static_cast<int32_t>(end)};
  return true;
}

// The program's own file carries the stub; any other carrier is a stub file that the user named
// ($DISKELLE_SFX) or put beside the program, and its messages name that file instead of blaming antivirus
// software for a file the program itself could not use; a missing one, where the POSIX program looks for it.
// text: the program file's message.
void ShowStubError(IMessageBoxes& boxes, int text, const std::string& carrier) {
  if (ResolveLinks(carrier) == ResolveLinks(OwnProgramPath())) {
    text == kTextCannotOpenAntivirus ? ShowError(boxes, text, {carrier}) : ShowError(boxes, text);
    return;
  }
  const char* stubText = text != kTextCannotOpenAntivirus ? kTextStubFileInvalid
                         : UseOfName(carrier) == NameUse::Free ? kTextStubFileMissing
                                                               : kTextStubFileUnreadable;
  boxes.Show(0, FormatText(stubText, {boxes.ShownArgument(carrier)}), MessageIcon::Error);
}

}  // namespace

std::optional<File> FindStubStart(const std::string& programPath, IMessageBoxes& boxes) {
  File program = File::Open(programPath, FileMode::Read);
  // The stub ends the file and is no longer than kMaxStubBytes: only that tail can hold its start, and a
  // large file named by mistake is not read to its end.
  std::optional<uint64_t> size = program ? program.Size() : std::nullopt;
  int64_t from = size ? std::max<int64_t>(1024, static_cast<int64_t>(*size) - kMaxStubBytes) : 0;
  if (!size || !program.Seek(from, SEEK_SET)) {
    ShowStubError(boxes, kTextCannotOpenAntivirus, programPath);
    return std::nullopt;
  }
  // The signature's first byte occurs in it only once, so after a mismatch the byte that broke the match is
  // the only place where the next match can begin.
  constexpr int kLength = kStubSignatureBytes;
  const std::string& signature = StubSignature();
  auto at = [&signature](int i) { return static_cast<int>(static_cast<uint8_t>(signature[static_cast<std::size_t>(i)])); };
  int matched = 0;
  int c;
  while (matched < kLength && (c = std::fgetc(program.get())) != EOF) {
    if (c == at(matched)) {
      ++matched;
    } else {
      matched = c == at(0) ? 1 : 0;
    }
  }
  if (matched < kLength) {
    ShowStubError(boxes, std::ferror(program.get()) ? kTextCannotOpenAntivirus : kTextNoStubInProgram, programPath);
    return std::nullopt;
  }
  if (!program.Seek(-kLength, SEEK_CUR)) {
    ShowStubError(boxes, kTextCannotOpenAntivirus, programPath);
    return std::nullopt;
  }
  return program;
}

std::optional<File> OpenStubCarrier(const std::string& path, IMessageBoxes& boxes) {
  std::optional<uint64_t> size = FileSize(path);
  if (size && *size <= static_cast<uint64_t>(kMaxStubBytes)) {
    File file = File::Open(path, FileMode::Read);
    std::string head(kStubSignatureBytes, '\0');
    if (file && file.Read(head.data(), head.size()) == head.size() && head == StubSignature() &&
        file.Seek(0, SEEK_SET)) {
      return file;
    }
  }
  return FindStubStart(path, boxes);
}

int CopyStub(File& program, const std::string& programPath, File& target, IMessageBoxes& boxes) {
  std::vector<uint8_t> stub;
  std::vector<uint8_t> chunk(kCopyChunkBytes);
  for (;;) {
    std::size_t got = program.Read(chunk.data(), chunk.size());
    if (got < chunk.size() && std::ferror(program.get())) {
      ShowStubError(boxes, kTextCannotOpenAntivirus, programPath);
      return -1;
    }
    if (got == 0) break;
    stub.insert(stub.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    if (stub.size() > static_cast<std::size_t>(kMaxStubBytes)) break;
  }
  if (stub.size() > static_cast<std::size_t>(kMaxStubBytes) || FindImageStreamIn(stub.data(), stub.size()) >= 0) {
    ShowStubError(boxes, kTextInvalidStubInProgram, programPath);
    return -1;
  }
  if (!target.Write(stub.data(), stub.size())) {
    ShowError(boxes, kTextImageWriteFailed);
    return -1;
  }
  return 0;
}

int WriteSelfExtractorData(File& out, const SelfExeSettings& settings, IMessageBoxes& boxes) {
  SettingsBlock block;
  block.settings = settings;
  if (settings.m_customPicture) {
    int result = AppendPicture(out, settings.m_picturePath, block.picture, boxes);
    if (result != 0) return result;
  }
  if (!settings.m_licenseText.empty() && !AppendBytes(out, ToSystemCodePage(settings.m_licenseText), block.licence)) {
    ShowError(boxes, kTextCannotWriteSelfExtractor, {"0"});
    return -4;
  }
  if (!settings.m_createText.empty() &&
      !AppendBytes(out, ToSystemCodePage(settings.m_createText), block.instructions)) {
    ShowError(boxes, kTextCannotWriteSelfExtractor, {"1"});
    return -5;
  }
  ItemOffsets written;
  if (!AppendBytes(out, FormatSettingsBlock(block), written)) {
    ShowError(boxes, kTextCannotWriteSelfExtractor, {"2"});
    return -6;
  }
  return 0;
}
