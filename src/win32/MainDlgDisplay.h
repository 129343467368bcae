#pragma once
// What the main window shows of the application's current image and settings: the path and description
// fields of its two halves, the information panel and the form's icon, its two sizes (normal and advanced
// mode) and the mode indicators. It only sets controls; the window's commands decide when.

#include <windows.h>

#include <string>

#include "app/Application.h"
#include "ui/MyDialog.h"
#include "win32/WindowsGdiObjects.h"

class MainDlgDisplay {
 public:
  MainDlgDisplay(CMyDialog& window, Application& application);

  // Nothing chosen: both halves and the panel empty.
  void ResetFields();
  void ShowSourceImage();
  void ShowTargetImage();
  void ShowImageInfo();
  void ApplyAdvancedMode();
  // After the settings sheet: the fade, the size, the mode indicators and the description field follow the
  // settings.
  void ApplyChangedSettings();
  // The save dialog's filter that the next save offers first: the form of the path just chosen.
  void RememberExtension(const std::string& path);
  bool ItemShown(int id) const;
  void FocusItem(int id) const;
  void SetFormIcon(HICON icon);

  // Design pixels at the window's size, truncated toward zero.
  int ScaledX(int pixels) const { return static_cast<int>(static_cast<float>(pixels) * window_.ScaleX()); }
  int ScaledY(int pixels) const { return static_cast<int>(static_cast<float>(pixels) * window_.ScaleY()); }

 private:
  void ShowModeIndicators();
  void EnableItem(int id, bool on) const;
  void ShowItem(int id, bool on) const;
  void EmptyPanel();

  CMyDialog& window_;
  Application& application_;
  UniqueIcon formIcon_;
};
