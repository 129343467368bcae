#pragma once
// This machine's zip program (Info-ZIP), run at test time to make the archives other tools make. The
// Windows tests run under Wine and run the same Linux program through Wine.

#include <string>
#include <vector>

// Runs zip -q with options, then archive and members (paths as this program names them), making a new
// archive (one that exists already is refused). True when the program succeeded and the archive is there.
bool RunZipTool(const std::vector<std::string>& options, const std::string& archive,
                const std::vector<std::string>& members);

#ifdef _WIN32
// Under Wine: the Linux path of a file this program names by a Windows path (empty when Wine cannot name
// it), and a Linux program run to its end (true when it exited with 0; "start /unix" would only start it,
// and never give its exit code).
std::string UnixPathOf(const std::string& path);
bool RunUnixProgram(const std::vector<std::string>& arguments);
#endif
