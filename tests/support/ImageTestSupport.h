#pragma once
// Shared by the image tests: a fresh folder per test, whole-file helpers, deterministic floppy contents, a
// small program file that carries a test stub, and bzip2 through the library's buffer interface (a codec
// independent of the code under test).

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/forms/Bzip2Form.h"
#include "image/forms/ImageForm.h"
#include "image/forms/RawForm.h"
#include "image/forms/SelfExtractingForm.h"

class ImageFolder : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string Path(const std::string& name) const { return dir + "/" + name; }
  // Names of the files in the folder, sorted: a failed operation must leave no temporary file behind.
  std::vector<std::string> FileNames() const;

  std::string dir;
};

std::string ReadWhole(const std::string& path);
void WriteWhole(const std::string& path, std::string_view bytes);

// size bytes that look like a used floppy: a boot sector, text, code-like bytes and zero-filled free space.
std::string FloppyBytes(std::size_t size, uint32_t variant = 1);

// A stub (the seven stub bytes, then a body without the bzip2 signature) and a program file that carries it
// behind 1500 bytes of its own; returns the stub.
std::string TestStub();
std::string WriteProgramFile(const std::string& path);

// CRC-32 bit by bit, straight from the polynomial: an oracle independent of the table-driven code.
uint32_t ReferenceCrc(std::string_view bytes);

std::string Bzip2Compress(std::string_view raw);
std::optional<std::string> Bzip2Decompress(std::string_view compressed);

// The trailer block as a string (1024 bytes) from its text.
std::string Block(std::string_view text);

// An image file's bytes built by hand, independently of the writer under test: raw, or its bzip2 stream
// (behind the test stub and followed by an empty settings block for .exe), then trailer (may be empty).
std::string ImageFileBytes(const ImageForm* form, std::string_view raw, std::string_view trailer);
