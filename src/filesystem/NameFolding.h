#pragma once
// Names compared as FAT compares long names, whatever their case: Unicode simple case folding ("CAFÉ" and
// "café" are one name; "ß" and "ss" are not).

#include <string>
#include <string_view>

// The name (UTF-8) with every letter folded; two names are FAT's same name when their folded forms are equal.
std::string FoldedName(std::string_view name);
// The name (UTF-8) with every letter that folding would lower raised: the capitals of a short name's basis.
std::string UpperCasedName(std::string_view name);
