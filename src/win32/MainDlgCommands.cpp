// The main window's buttons and menu commands.
#include "app/VolumeEdit.h"
#include "base/Texts.h"
#include "image/ImageSectors.h"
#include "image/Integrity.h"
#include "image/DescriptionChange.h"
#include "settings/WindowsShellNotifier.h"
#include "win32/DescriptionDlg.h"
#include "win32/FilesDlg.h"
#include "win32/ImageFileDialogs.h"
#include "win32/MainDlg.h"
#include "win32/MainDlgRes.h"
#include "win32/NewImageDlg.h"
#include "win32/SelfExeSettingsSheet.h"
#include "win32/SettingsSheet.h"

bool CMainDlg::OnCommand(int id, int code, HWND control) {
  // Buttons send BN_CLICKED (0), menus 0 and accelerators 1.
  if (code != BN_CLICKED && code != 1) return CMyDialog::OnCommand(id, code, control);
  switch (id) {
    case IDC_CHOOSE_TARGET: OnChooseTarget(); return true;
    case IDC_CHOOSE_SOURCE: OnChooseSource(); return true;
    case IDC_READ_START: OnReadStart(); return true;
    case IDC_WRITE_START: OnWriteStart(); return true;
    case IDC_CONVERT: OnConvertLoadedImage(); return true;
    case IDC_INTEGRITY: OnCheckLoadedImage(); return true;
    case IDC_SHOW_FILES: OnShowFiles(); return true;
    case ID_NEW_IMAGE: OnNewImage(); return true;
    case ID_CHANGE_DESCRIPTION: OnChangeDescription(); return true;
    case ID_CONVERT_IMAGE: OnConvertChosenFiles(); return true;
    case ID_CHECK_INTEGRITY: OnCheckChosenFile(); return true;
    case ID_COMMAND_LINE_HELP: front_.ShowCommandLineHelp(); return true;
    case ID_CHECK_UPDATES:
    case ID_FEEDBACK:
    case ID_NEWS: OnInternetCommand(id); return true;
    case ID_APP_ABOUT: OnAbout(); return true;
    case ID_SELF_EXE_SETTINGS:
      RunSelfExeSettingsSheet(Window(), Context(),
                              {Registry(), application_.selfExeSettings, application_.Services().platform});
      return true;
    case ID_SETTINGS: OnSettings(); return true;
    case ID_APP_EXIT: End(IDCANCEL); return true;
    default: return CMyDialog::OnCommand(id, code, control);
  }
}

int CMainDlg::ChooseImageToOpen(std::string& path) {
  return RunOpenImageDialog(Window(), application_.Services().platform, Boxes(), path);
}

int CMainDlg::ChooseImageToSave(std::string& path) {
  return RunSaveImageDialog(Window(), application_.Services().platform, Boxes(), application_.settings.m_lastUsedExt, path);
}

void CMainDlg::OnChooseTarget() {
  std::string path;
  if (ChooseImageToSave(path) != 0) return;
  CImageInfo target;
  if (target.SetTarget(path, Boxes()) != 0) return;
  application_.currentImage = target;
  display_.ShowTargetImage();
  display_.RememberExtension(path);
  // In compatible mode there is no description to type: the read button is next.
  display_.FocusItem(display_.ItemShown(IDC_TARGET_DESCRIPTION) ? IDC_TARGET_DESCRIPTION : IDC_READ_START);
}

void CMainDlg::OnChooseSource() {
  std::string path;
  if (ChooseImageToOpen(path) != 0) return;
  if (OpenAsSource(path)) display_.FocusItem(IDC_WRITE_START);
}

void CMainDlg::OnReadStart() {
  BusyScope busy(busy_);
  application_.ReadFloppyToImage();
}

void CMainDlg::OnWriteStart() {
  BusyScope busy(busy_);
  application_.WriteImageToFloppy();
}

void CMainDlg::OnConvertLoadedImage() {
  BusyScope busy(busy_);
  std::string destination;
  if (ChooseImageToSave(destination) != 0) return;
  application_.conversionSource = application_.currentImage;
  if (application_.SetConversionTarget(destination) != 0) return;
  display_.RememberExtension(destination);
  application_.RunConversion();
}

void CMainDlg::OnCheckLoadedImage() {
  BusyScope busy(busy_);
  application_.CheckCurrentIntegrity();
}

void CMainDlg::OnShowFiles() {
  BusyScope busy(busy_);
  const std::string path = application_.currentImage.m_path;
  std::optional<DiskSectors> disk = LoadImageSectors(path, Boxes());
  if (!disk) return;
  FatOpenError why = FatOpenError::None;
  std::optional<FatVolume> volume = FatVolume::Read(std::move(*disk), &why);
  if (!volume) {
    const char* text = why == FatOpenError::BootSectorBad ? kTextFilesBootSectorBad : kTextFilesNoVolume;
    Boxes().Show(0, FormatText(text, {Boxes().ShownArgument(path)}), MessageIcon::Error);
    return;
  }
  CFilesDlg dialog(Context(), std::move(*volume), path, Boxes(), application_.WriteOptions());
  dialog.RunModal(Window());
  // The free space and the checksum the panel shows are the new image's.
  if (dialog.Saved()) OpenAsSource(path);
}

void CMainDlg::OnNewImage() {
  CNewImageDlg dialog(Context(), Boxes());
  if (dialog.RunModal(Window()) != IDOK) return;
  std::string path;
  if (ChooseImageToSave(path) != 0) return;
  display_.RememberExtension(path);
  if (MakeBlankImage(path, dialog.Geometry(), dialog.Label(), application_.WriteOptions(), Boxes()) == 0) {
    OpenAsSource(path);
  }
}

void CMainDlg::OnChangeDescription() {
  std::string path;
  if (ChooseImageToOpen(path) != 0) return;
  CImageInfo image;
  if (image.LoadInfo(path, Boxes()) != 0) return;
  if (!DescriptionChangeable(image)) {
    ShowError(Boxes(), kTextConvertToNewFormatFirst);
    return;
  }
  // A file that cannot be opened for writing keeps the dialog open (after message 106).
  CDescriptionDlg dialog(Context(), path, image.m_description, [&](const std::string& description) {
    return ChangeDescription(image, description, Boxes()) != -2;
  });
  dialog.RunModal(Window());
}

void CMainDlg::OnConvertChosenFiles() {
  std::string source, destination;
  if (ChooseImageToOpen(source) != 0) return;
  if (application_.LoadConversionSource(source) != 0) return;
  if (ChooseImageToSave(destination) != 0) return;
  if (application_.SetConversionTarget(destination) != 0) return;
  display_.RememberExtension(destination);
  application_.RunConversion();
}

void CMainDlg::OnCheckChosenFile() {
  std::string path;
  if (ChooseImageToOpen(path) != 0) return;
  CImageInfo image;
  if (image.LoadInfo(path, Boxes()) != 0) return;
  CheckIntegrity(image, Boxes());
}

void CMainDlg::OnSettings() {
  WindowsShellNotifier shell;
  const ApplicationServices& services = application_.Services();
  RunSettingsSheet(Window(), Context(),
                   {application_.settings, Registry(), services.programPath, services.platform.ntMajorVersion, &shell});
  // Cancel may have changed something too: the tooltips were switched at the click.
  display_.ApplyChangedSettings();
}
