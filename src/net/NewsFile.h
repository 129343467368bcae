#pragma once
// The news file (kNewsFilePath, docs/server.md): a link caption ("N/A" for none), the link's address and
// the message.

#include <string>
#include <string_view>

struct NewsFile {
  std::string caption;
  std::string address;  // the second line when IsOpenableAddress accepts it, else empty
  std::string message;  // lines joined with CR LF, trailing white space trimmed

  // False when the caption is "N/A" in any case: the dialog then says the connection works.
  bool HasLink() const;
};

// Any text is a valid news file; nothing in it is trusted beyond its lines.
NewsFile ParseNewsFile(std::string_view text);
