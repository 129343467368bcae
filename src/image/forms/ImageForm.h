#pragma once
// The image forms. Each names the extensions that choose it, says what may be done with it and how a file is
// told from another form of the same extension, and reads and writes its raw image (the sectors in disk
// order). Every form is a file of its own beside this one; FormTable.cpp lists them. Messages, the save
// path and the trailer stay with the callers.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/File.h"
#include "base/Geometry.h"
#include "base/MessageBoxes.h"
#include "flux/Capture.h"
#include "settings/Settings.h"

// The raw image of one file.
class FormReader {
 public:
  virtual ~FormReader() = default;
  // The raw image's size when it is known before reading (a stream's is known only at its end).
  virtual std::optional<uint64_t> KnownBytes() const = 0;
  // Fills data unless the image ends first: the number read (0 at the end), or -1 on a read or stream error.
  virtual int64_t Read(void* data, std::size_t bytes) = 0;
  // The sectors the file records as unreadable or missing, one flag per sector of the raw image; complete
  // once the image has been read to its end. The reader gives the marker block in their place. Empty: none.
  virtual std::vector<bool> BadSectors() const { return {}; }
};

// What writing a form takes from the program.
struct FormWriteOptions {
  const SelfExeSettings* selfExe = nullptr;  // the settings block of an .exe (the defaults when null)
  std::string programPath;                   // the file that carries the self-extractor stub (.exe)
  uint64_t imageBytes = 0;                   // the raw image's size when known before writing (0: unknown)
};

// A raw image into the temporary file of a save. Every byte goes through out (File::Write), also what a
// library produces: the checksum is taken from those writes. Every step that returns false has shown its
// message.
class FormWriter {
 public:
  virtual ~FormWriter() = default;
  // Before the temporary file exists: what the form takes from elsewhere (the self-extractor's stub).
  virtual bool Prepare(IMessageBoxes&) { return true; }
  // The form's head into the new file, open at its start.
  virtual bool Start(File& out, const std::string& shownPath, IMessageBoxes& boxes) = 0;
  // Without a message: the caller says that the image could not be written.
  virtual bool Write(File& out, const void* data, std::size_t bytes) = 0;
  // Raw bytes already written, replaced in place; only a form that holds the sectors as they are can.
  virtual bool Rewrite(File& out, uint64_t offset, const void* data, std::size_t bytes);
  // The image's bad sectors (one flag per sector), before End, for a form that records them itself.
  virtual void SetBadSectors(const std::vector<bool>&) {}
  // The image's description (UTF-8), before End, for a form that keeps it itself (ImageDisk's comment).
  virtual void SetDescription(const std::string&) {}
  // Ends the image's data (a stream's end) without a message, as Write.
  virtual bool End(File&) { return true; }
  // Once the image's data has ended and reached the system: what follows the image in the file (the
  // self-extractor's data), written to out.
  virtual bool Complete(File&, IMessageBoxes&) { return true; }
};

enum class TrailerUse {
  Always,            // our trailer ends every file of the form
  UnlessCompatible,  // ... unless compatible mode leaves it off, so that other tools can use the file
  Never,             // another tool's file, which never carries our trailer (its last bytes are its own)
};

// What a file of a form without our trailer says of its image.
struct FormFacts {
  std::string description;  // UTF-8
  FloppyGeometry geometry;
};

struct ImageForm {
  std::string_view name;                // "raw", "bzip2", ...: how tests and the help tell forms apart
  std::span<const std::string_view> extensions;  // lower case with their dot; the first names the form
  const char* description;              // the save dialog's filter and the help's line
  bool compressed;                      // CImageInfo::m_compressed
  // The file holds the sectors themselves, in disk order from its first byte: a rescue's image and an image
  // whose bad sectors are recreated must be of such a form, and its checksum covers exactly the sectors.
  bool rawSectors;
  // The file is another tool's archive of a plain image: its trailer and checksum are those of the file
  // inside, unpacked whole (image/ImageBytes.h).
  bool archive;
  // The form records bad sectors itself (as ImageDisk's unavailable sectors do): an image with bad sectors
  // may be saved in it without a map beside it.
  bool recordsBadSectors;
  TrailerUse trailer;
  // Tells a file of this form from another form of the same extension by its first bytes; nullptr where
  // the extension alone decides.
  bool (*recognises)(std::span<const uint8_t> head);
  // Whether the file holds an image at all (an .exe may be any program); nullptr where every file does.
  bool (*holdsImage)(const std::string& path);
  // nullptr when the file cannot be opened or its image cannot be started.
  std::unique_ptr<FormReader> (*openReader)(const std::string& path, bool hasTrailer);
  // nullptr for a form this program only reads.
  std::unique_ptr<FormWriter> (*newWriter)(const FormWriteOptions& options);
  // For an image without a checksum of ours: the form's own check, which shows its result; true when the
  // image is whole. nullptr where the form has none.
  bool (*checkItself)(const std::string& path, IMessageBoxes& boxes);
  // For a form without our trailer (TrailerUse::Never): reads the file and says what it holds, or shows why
  // it cannot be read (nullopt). nullptr for the others.
  std::optional<FormFacts> (*readFacts)(const std::string& path, IMessageBoxes& boxes) = nullptr;
  // The open dialog offers the form under its own description too, beside all images.
  bool ownOpenFilter = false;
  // For a flux capture, whose image is decoded from the flux of its tracks (image/forms/CaptureImage.h): the
  // capture's opener. nullptr for a form that holds the sectors themselves.
  CaptureOpening (*openCapture)(const std::string& path) = nullptr;
  // Says why a file of the form holds no image that can be read, where the form knows more than that (a flux
  // capture: cut, lying, no track readable, ...). nullptr where it does not.
  void (*showUnreadable)(const std::string& path, IMessageBoxes& boxes) = nullptr;

  bool Writable() const { return newWriter != nullptr; }
};

// Every form, in the order the file dialogs offer them.
std::span<const ImageForm* const> ImageForms();
// The form a path names by its extension (without regard to case), as a save of that name makes it;
// nullptr for none.
const ImageForm* FormOfPath(const std::string& path);
// The form of the file at path: by its extension, and among the forms of that extension by its first
// bytes. nullptr for none (also when a form needs the first bytes and the file cannot be read).
const ImageForm* FormOfFile(const std::string& path);

// The extensions of the forms which (every form when null), upper case without their dots, in the table's
// order, each once: "IMG、IMA" with lastSeparator "、", "IMZ、IMG 和 EXE" with " 和 ".
std::string FormExtensionNames(bool (*which)(const ImageForm&), std::string_view lastSeparator);
// Message 122, which names every extension the program knows, or for a file to save every one it writes.
void ShowUnsupportedExtension(IMessageBoxes& boxes, bool saving = false);
// The message for a file whose image cannot be read: the form's own (showUnreadable), else textId's. Through
// the form, so that a program without the flux forms (the self-extractor) links no decoder for it.
void ShowImageUnreadable(const std::string& path, IMessageBoxes& boxes, int textId);

// A path on floppy drive A: or B:, which an image is never opened from or saved to directly.
bool OnFloppyDrive(const std::string& path);
