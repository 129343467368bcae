// Names compared as FAT compares long names: the pairs a disk of any script may hold, and the pairs that only
// look alike (full case folding, or Turkish dotted and dotless i, would take them for one).

#include <gtest/gtest.h>

#include "filesystem/NameFolding.h"

namespace {

TEST(NameFolding, LettersOfEveryScriptMatchInEitherCase) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"README.TXT", "readme.txt", true},
      {"CAFÉ RÉSUMÉ.TXT", "café résumé.txt", true},                  // Latin-1
      {"ŁÓDŹ ŽŮŇ ĲSSEL.DOC", "łódź žůň ĳssel.doc", true},          // Latin Extended-A
      {"ǅUR ǄUR Ƣ Ȣ", "ǆur ǆur ƣ ȣ", true},                          // Latin Extended-B: title case, pairs
      {"ŸES", "ÿes", true},                                           // folds across blocks
      {"ΣΊΣΥΦΟΣ", "σίσυφος", true},                                   // Greek: final sigma is sigma
      {"ПРИВЕТ МИР.TXT", "привет мир.txt", true},                     // Cyrillic
      {"ЀЉЏ ҐӁ Ԁ", "ѐљџ ґӂ ԁ", true},                                 // Cyrillic and its supplement
      {"ԱՐԵՎ", "արեվ", true},                                         // Armenian
      {"TIẾNG VIỆT", "tiếng việt", true},                             // Latin Extended Additional
      {"ＡＢＣ１", "ａｂｃ１", true},                                 // full-width
      {"µ ſ", "μ s", true},                                           // simple foldings that are no lower case
      {"中文 名.txt", "中文 名.TXT", true},
      {"STRASSE", "straße", false},                                   // full folding only
      {"İ", "i", false},                                               // Turkish: no simple folding
      {"ı", "i", false},
      {"a", "b", false},
      {"café", "cafe", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FoldedName(c.a) == FoldedName(c.b), c.same) << c.a << " / " << c.b;
  }
}

// The capitals of a short name's basis: each letter raised to the one that folds to it.
TEST(NameFolding, UpperCasedNamesFoldBackToTheName) {
  const struct {
    const char* name;
    const char* upper;
  } cases[] = {
      {"readme.txt", "README.TXT"}, {"café", "CAFÉ"}, {"σίσυφος", "ΣΊΣΥΦΟΣ"}, {"ÿ", "Ÿ"},
      {"μs", "ΜS"},  // a run's capital, not the lone micro sign or long s that also fold to them
      {"中文ß", "中文ß"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UpperCasedName(c.name), c.upper) << c.name;
    EXPECT_EQ(FoldedName(UpperCasedName(c.name)), FoldedName(c.name)) << c.name;
  }
}

}  // namespace
