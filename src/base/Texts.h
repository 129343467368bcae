#pragma once
// The program's texts (base/texts.def): string-table ids as constants, and lookup by id.

enum TextId : int {
#define DK_TEXT(id, name, text) name = id,
#include "base/texts.def"
};

#define DK_LITERAL(name, text) inline constexpr const char* name = text;
#include "base/texts.def"

// The string-table text with this id; an empty text for an unknown id.
const char* TextOf(int id);

// True when id names a string-table entry (dialogs use it to decide whether a control has a tooltip).
bool HasText(int id);
