// diskelle.exe searches its own file for the self-extractor stub behind its image: its own constants must
// not look like one, and it must not carry the image stream signature either.
#include <gtest/gtest.h>

#include "base/File.h"
#include "image/Signatures.h"

namespace {

TEST(ProgramFile, CarriesNeitherSignature) {
  File program = File::Open(DISKELLE_EXE, FileMode::Read);
  ASSERT_TRUE(program);
  std::string bytes(8 * 1024 * 1024, '\0');
  bytes.resize(program.Read(bytes.data(), bytes.size()));
  ASSERT_GT(bytes.size(), 100000u);
  EXPECT_EQ(bytes.rfind(StubSignature(), 0), 0u);  // its own header, which the search skips
  EXPECT_EQ(bytes.find(StubSignature(), 1024), std::string::npos);
  EXPECT_EQ(bytes.find(Bzip2Signature()), std::string::npos);
}

}  // namespace
