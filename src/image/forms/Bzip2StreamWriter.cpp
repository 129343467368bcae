#include "image/forms/Bzip2StreamWriter.h"

#include "base/Texts.h"

bool Bzip2StreamWriter::Start(File& out, const std::string& shownPath, IMessageBoxes& boxes) {
  if (stream_.Open(out)) return true;
  ShowError(boxes, kTextCannotCreate, {shownPath});
  return false;
}

bool Bzip2StreamWriter::Write(File&, const void* data, std::size_t bytes) { return stream_.Write(data, bytes); }

bool Bzip2StreamWriter::End(File&) { return stream_.Close(); }
