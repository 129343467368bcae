#pragma once
// The update file (kUpdateFilePath, docs/server.md): the download address, the newest version after a
// "$VERSION" line, and the version history.

#include <string>
#include <string_view>

struct UpdateFile {
  std::string downloadAddress;  // the first line when IsOpenableAddress accepts it, else empty
  std::string version;          // empty when the file has no "$VERSION" line where it counts
  std::string history;          // lines joined with CR LF, trailing white space trimmed
};

// Any text is a valid update file; nothing in it is trusted beyond its lines.
UpdateFile ParseUpdateFile(std::string_view text);

// True when the server names a version other than this program's, older or empty ones included: the server
// names the one version every user should run.
bool IsOtherVersion(const UpdateFile& file);
