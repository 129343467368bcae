#pragma once
// Message boxes of a benchmark: the text goes to stderr, every question is answered No.

#include <cstdio>

#include "base/MessageBoxes.h"

class StderrMessageBoxes : public IMessageBoxes {
 public:
  MessageAnswer Show(int, const std::string& text, MessageIcon) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return MessageAnswer::No;
  }
};
