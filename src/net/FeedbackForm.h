#pragma once
// The body the feedback form posts to kFeedbackPath (docs/server.md): the program, the system it runs on and
// what the user entered, one application/x-www-form-urlencoded form.

#include <cstdint>
#include <optional>
#include <string>

// What the user entered, as the controls hold it (UTF-8; the comment with CR LF line breaks).
struct FeedbackEntries {
  std::string about;    // the selected entries of the three lists
  std::string problem;
  std::string used;
  std::string email;
  std::string comment;
};

// The system as GetVersionEx and GetSystemDefaultLangID describe it, taken when the form is sent.
struct SystemDescription {
  uint32_t platformId = 2;  // 1 is Windows 9x; every other value is counted as NT
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;  // on Windows 9x only the low 16 bits are the build
  uint16_t languageId = 0;
  std::string servicePack;  // UTF-8
};

// True when the comment is nothing but white space: the form is then refused with
// kTextFeedbackCommentEmpty and nothing is sent.
bool IsBlankComment(const FeedbackEntries& entries);

// The form's body, fields in the server's order. The system's fields are sent as they stand; the user's are
// trimmed and encoded, the comment's line breaks as raw LF. nullopt for a blank comment.
std::optional<std::string> FeedbackBody(const FeedbackEntries& entries, const SystemDescription& system);
