#pragma once
// Message boxes that nobody sees: the fuzzers drive operations that report their failures.

#include "base/MessageBoxes.h"

class NullMessageBoxes : public IMessageBoxes {
 public:
  MessageAnswer Show(int, const std::string&, MessageIcon) override { return MessageAnswer::No; }
};
