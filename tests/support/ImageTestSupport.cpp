#include "support/ImageTestSupport.h"

#include <bzlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "base/File.h"
#include "image/ImageInfo.h"
#include "image/forms/SelfExtractor.h"

namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

void ImageFolder::SetUp() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::string name = std::string("diskelle-映像-") + test->test_suite_name() + "-" + test->name() + "-" +
                     std::to_string(stamp);
  std::replace(name.begin(), name.end(), '/', '_');
  fs::path folder = fs::temp_directory_path() / PathOf(name);
  fs::create_directories(folder);
  dir = Utf8Of(folder);
}

void ImageFolder::TearDown() {
  std::error_code ignored;
  fs::remove_all(PathOf(dir), ignored);
}

std::vector<std::string> ImageFolder::FileNames() const {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(PathOf(dir))) {
    names.push_back(Utf8Of(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadWhole(const std::string& path) {
  File file = File::Open(path, FileMode::Read);
  if (!file) return {};
  std::string bytes;
  char chunk[65536];
  for (std::size_t got; (got = file.Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, got);
  return bytes;
}

void WriteWhole(const std::string& path, std::string_view bytes) {
  File file = File::Open(path, FileMode::Create);
  ASSERT_TRUE(file) << path;
  ASSERT_TRUE(file.Write(bytes.data(), bytes.size()));
  ASSERT_TRUE(file.Close());
}

std::string FloppyBytes(std::size_t size, uint32_t variant) {
  std::string bytes(size, '\0');
  uint32_t state = variant * 2654435761u + 1;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;
    return static_cast<char>(state >> 24);
  };
  const std::string text = "The quick brown fox jumps over the lazy floppy. 软盘映像 ";
  // Sector 0 looks like a boot sector; then a third text, a third code-like noise, the rest free space.
  bytes.replace(0, 11, "\xEB\x3C\x90MSDOS5.0", 11);
  std::size_t third = size / 3;
  for (std::size_t i = 512; i < third && i < size; ++i) bytes[i] = text[(i + variant) % text.size()];
  for (std::size_t i = third; i < 2 * third; ++i) bytes[i] = (i % 7 == 0) ? '\0' : next();
  return bytes;
}

std::string TestStub() {
  std::string stub = StubSignature();
  // Near misses of both signatures that a search must not take for the real ones.
  constexpr std::string_view kBody("stub body: BZh1 BZh91A MZ\x90\x00\x03\x00 ", 30);
  while (stub.size() < 3000) stub += kBody;
  return stub;
}

std::string WriteProgramFile(const std::string& path) {
  std::string stub = TestStub();
  std::string program(1500, 'P');
  program.replace(0, 2, "MZ");
  WriteWhole(path, program + stub);
  return stub;
}

uint32_t ReferenceCrc(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string Bzip2Compress(std::string_view raw) {
  unsigned int length = static_cast<unsigned int>(raw.size() + raw.size() / 100 + 600);
  std::string out(length, '\0');
  int result = BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(raw.data()),
                                        static_cast<unsigned int>(raw.size()), 9, 0, 30);
  EXPECT_EQ(result, BZ_OK);
  out.resize(length);
  return out;
}

std::optional<std::string> Bzip2Decompress(std::string_view compressed) {
  unsigned int length = 4 * 1024 * 1024;
  std::string out(length, '\0');
  int result = BZ2_bzBuffToBuffDecompress(out.data(), &length, const_cast<char*>(compressed.data()),
                                          static_cast<unsigned int>(compressed.size()), 0, 0);
  if (result != BZ_OK) return std::nullopt;
  out.resize(length);
  return out;
}

std::string Block(std::string_view text) {
  std::string block(text);
  block.resize(kTrailerBytes, '\0');
  return block;
}

std::string ImageFileBytes(const ImageForm* form, std::string_view raw, std::string_view trailer) {
  std::string bytes;
  if (form == &kRawForm) bytes = raw;
  if (form == &kBzip2Form) bytes = Bzip2Compress(raw);
  if (form == &kSelfExtractingForm) bytes = TestStub() + Bzip2Compress(raw) + std::string(kSettingsBlockBytes, '\0');
  return bytes + std::string(trailer);
}
