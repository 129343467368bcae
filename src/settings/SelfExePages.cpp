#include "settings/SelfExePages.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string_view>

#include "base/File.h"
#include "base/Texts.h"
#include "settings/SettingsTable.h"

namespace {

void StorePage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live,
               std::initializer_list<const char*> names) {
  for (const char* name : names) {
    for (const SettingField<SelfExeSettings>& field : SelfExeSettingFields()) {
      if (std::string_view(field.name) != name) continue;
      if (field.dword) {
        live.*field.dword = edited.*field.dword;
      } else {
        live.*field.text = edited.*field.text;
      }
    }
  }
  StoreSettings(registry, live, names);
}

}  // namespace

void StoreLicencePage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live) {
  StorePage(registry, edited, live, {"LicenseDisplay", "LicensePicture", "LicenseTitle", "LicenseText"});
}

void StoreCreatePage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live) {
  StorePage(registry, edited, live, {"CreatePicture", "CreateDescription", "CreateTitle", "CreateText"});
}

void StoreVisualPage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live) {
  StorePage(registry, edited, live, {"CustomPicture", "PicturePath", "WindowFx"});
}

void StoreOptionsPage(IRegistryBackend& registry, const SelfExeSettings& edited, SelfExeSettings& live) {
  StorePage(registry, edited, live,
            {"Format", "VerifyFormat", "VerifyWrite", "DriveB", "OverwriteDialog", "SuccessDialog", "RestartDialog"});
}

bool AcceptPictureName(const std::string& path, IMessageBoxes& boxes) {
  constexpr std::string_view kExtension = ".bmp";
  bool bmp = path.size() >= kExtension.size() &&
             std::equal(kExtension.begin(), kExtension.end(), path.end() - kExtension.size(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
             });
  if (!bmp) ShowError(boxes, kTextOnlyBmpPictures);
  return bmp;
}

bool PictureReadable(const SelfExeSettings& edited, IMessageBoxes& boxes) {
  if (edited.m_customPicture == 0) return true;
  if (edited.m_picturePath.empty()) {
    boxes.Show(0, kTextNoPictureChosen, MessageIcon::Error);
    return false;
  }
  if (File::Open(edited.m_picturePath, FileMode::Read)) return true;
  ShowError(boxes, kTextCannotOpen, {boxes.ShownArgument(edited.m_picturePath)});
  return false;
}
