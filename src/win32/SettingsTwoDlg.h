#pragma once
// The settings sheet's page "软盘": the drive, compatible and emergency modes, and how disks are written.
// The formatting check box greys its two dependents without changing their states (DiskAccessPage).

#include <cstdint>

#include "base/WindowsMessageBoxes.h"
#include "settings/SettingsPages.h"
#include "ui/MyPropertyPage.h"

class CSettingsTwoDlg : public CMyPropertyPage {
 public:
  // The live settings are read here, when the sheet is made.
  CSettingsTwoDlg(const DialogContext& context, AppSettings& live, IRegistryBackend& registry,
                  uint32_t ntMajorVersion);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;
  // Refuses to leave the page while the retry field holds anything but digits.
  bool OnKillActive() override;

 private:
  void EnableFormatDependents() const;

  DiskAccessPage model_;
  WindowsMessageBoxes boxes_;
};
