// diskelle.exe searches its own file for the self-extractor stub behind its image: its own constants must
// not look like one, and it must not carry the image stream signature either. The stub it carries is the
// self-extractor program of this build, byte for byte, and the stub itself carries neither signature past its
// header.
#include <gtest/gtest.h>

#include "base/File.h"
#include "image/forms/ImageForm.h"
#include "image/forms/SelfExtractorBuilder.h"
#include "image/forms/Signatures.h"
#include "support/FakeMessageBoxes.h"

namespace {

std::string WholeFile(const char* path) {
  File file = File::Open(path, FileMode::Read);
  std::string bytes(8 * 1024 * 1024, '\0');
  bytes.resize(file ? file.Read(bytes.data(), bytes.size()) : 0);
  return bytes;
}

TEST(ProgramFile, CarriesTheSelfExtractorBehindItsOwnImageAndNeitherSignatureElsewhere) {
  std::string program = WholeFile(DISKELLE_EXE);
  std::string stub = WholeFile(DISKELLE_SFX);
  ASSERT_GT(program.size(), 100000u);
  ASSERT_GT(stub.size(), 10000u);
  EXPECT_LE(stub.size(), static_cast<std::size_t>(kMaxStubBytes));
  EXPECT_EQ(program.rfind(StubSignature(), 0), 0u);  // its own header, which the search skips
  ASSERT_GT(program.size(), stub.size());
  std::size_t stubAt = program.size() - stub.size();
  EXPECT_EQ(program.find(StubSignature(), 1024), stubAt) << "the first stub signature past the header is the stub's";
  EXPECT_TRUE(program.compare(stubAt, std::string::npos, stub) == 0) << "the carried stub differs from the built one";
  EXPECT_EQ(program.find(Bzip2Signature()), std::string::npos);
  EXPECT_EQ(stub.find(StubSignature(), 1), std::string::npos);

  FakeMessageBoxes boxes;
  std::optional<File> found = FindStubStart(DISKELLE_EXE, boxes);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Tell(), static_cast<int64_t>(stubAt));
}

}  // namespace
