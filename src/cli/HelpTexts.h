#pragma once
// The help of the POSIX programs in the locale's language. Only the help and the manual pages speak English
// as well (the product's messages are Chinese in every locale): the English texts live here, the Chinese ones
// in base/texts.def.

#include <string>
#include <utility>
#include <vector>

#include "base/Environment.h"

enum class HelpLanguage { Chinese, English };

// As man(1) chooses a manual page: the first of $LC_ALL, $LC_MESSAGES and $LANG that is set and not empty
// decides; Chinese for "zh...", English for anything else and when none is set.
HelpLanguage HelpLanguageOf(const EnvironmentLookup& environment);

// diskelle's help: the usage line (%s: the name the program was called by), the switches and their note, the
// options that go with them, the image forms, then groups of options under their headings.
struct DiskelleHelpTexts {
  const char* usage;
  std::vector<std::string> switches;
  std::vector<const char*> options;
  // The image forms follow the options: under this heading, one line each (image/forms/ImageForm.h), each
  // named by its description or else by its extensions and name, those only read marked by readOnly.
  const char* formsHeading;
  bool formsByDescription;
  const char* readOnly;
  std::vector<std::pair<const char*, std::vector<const char*>>> groups;
};
DiskelleHelpTexts DiskelleHelp(HelpLanguage language);

// vfloppy's usage, shown by --help and after arguments it cannot use.
std::string VfloppyHelp(HelpLanguage language);
