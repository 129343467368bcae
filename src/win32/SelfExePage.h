#pragma once
// A page of the self-extractor settings sheet. It copies the live values when it is made and keeps them as
// members bound to its check boxes and edit fields; each page decides when it stores them.

#include <span>
#include <string>

#include "app/Platform.h"
#include "settings/RegistryBackend.h"
#include "settings/Settings.h"
#include "ui/MyPropertyPage.h"

// What the pages of one sheet share: where they store and what they read.
struct SelfExeSheetServices {
  IRegistryBackend& registry;
  SelfExeSettings& live;
  const PlatformInfo& platform;
};

struct CheckBinding {
  int id;
  uint32_t SelfExeSettings::*value;
};

struct TextBinding {
  int id;
  std::string SelfExeSettings::*value;
};

class SelfExePage : public CMyPropertyPage {
 public:
  SelfExePage(int templateId, const DialogContext& context, const SelfExeSheetServices& services,
              std::span<const CheckBinding> checks, std::span<const TextBinding> texts);

  const SelfExeSettings& Values() const { return values_; }

 protected:
  // The base's initialisation, then the members into the controls.
  bool OnInitDialog() override;
  // The controls into the members.
  void ReadControls();
  void EnableItems(std::initializer_list<int> ids, bool on) const;

  SelfExeSettings values_;
  SelfExeSheetServices services_;

 private:
  std::span<const CheckBinding> checks_;
  std::span<const TextBinding> texts_;
};
