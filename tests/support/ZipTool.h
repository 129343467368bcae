#pragma once
// This machine's zip program (Info-ZIP), run at test time to make the archives other tools make. The
// Windows tests run under Wine and reach the same Linux program through Wine's "start /unix".

#include <string>
#include <vector>

// Runs zip -q with options, then archive and members (paths as this program names them), making a new
// archive (one that exists already is refused). True when the program succeeded and the archive is there
// (under Wine, where the Linux program's exit code never arrives: when the archive is there).
bool RunZipTool(const std::vector<std::string>& options, const std::string& archive,
                const std::vector<std::string>& members);

#ifdef _WIN32
// Under Wine: the Linux path of a file this program names by a Windows path, and a Linux program started
// through "start /unix" (true when it was started; Wine never tells whether it succeeded).
std::string UnixPathOf(const std::string& path);
bool StartUnixProgram(const std::vector<std::string>& arguments);
#endif
