// The three display states of the main window (empty, target chosen, source loaded), its two sizes and its
// mode indicators.
#include "win32/MainDlgDisplay.h"

#include "app/ImagePanel.h"
#include "base/Texts.h"
#include "image/forms/ImageForm.h"
#include "win32/MainDlgRes.h"

namespace {

constexpr int kPanelIds[] = {IDC_INFO_GROUP,     IDC_GEOMETRY_LABEL, IDC_CHECKSUM_LABEL, IDC_FREE_SPACE_LABEL,
                             IDC_TOTAL_SIZE_LABEL, IDC_GEOMETRY,     IDC_CHECKSUM,       IDC_FREE_SPACE,
                             IDC_TOTAL_SIZE};
constexpr int kValueIds[] = {IDC_GEOMETRY, IDC_CHECKSUM, IDC_FREE_SPACE, IDC_TOTAL_SIZE};
constexpr int kFormIconPixels = 48;

// Window and group box sizes in design pixels.
struct ModeLayout {
  int windowWidth, windowHeight, groupWidth, groupHeight;
};
constexpr ModeLayout kAdvancedLayout{527, 437, 500, 111};
constexpr ModeLayout kNormalLayout{435, 304, 407, 111};

// A form without an icon of its own shows the raw image's.
int FormIconId(const ImageForm* form) {
  if (!form) return 0;
  if (form->name == "bzip2" || form->name == "zip") return IDI_IMAGE_IMZ;
  if (form->name == "self-extracting") return IDI_IMAGE_EXE;
  return IDI_IMAGE_IMG;
}

}  // namespace

MainDlgDisplay::MainDlgDisplay(CMyDialog& window, Application& application)
    : window_(window), application_(application) {}


void MainDlgDisplay::EnableItem(int id, bool on) const { ::EnableWindow(window_.Item(id), on ? TRUE : FALSE); }

void MainDlgDisplay::ShowItem(int id, bool on) const { ::ShowWindow(window_.Item(id), on ? SW_SHOW : SW_HIDE); }

// The control's own visibility, whether or not the main window is shown.
bool MainDlgDisplay::ItemShown(int id) const { return (::GetWindowLongPtrW(window_.Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }

void MainDlgDisplay::FocusItem(int id) const {
  ::SendMessageW(window_.Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(window_.Item(id)), TRUE);
}

void MainDlgDisplay::SetFormIcon(HICON icon) {
  if (window_.Window()) ::SendDlgItemMessageW(window_.Window(), IDC_FORM_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  formIcon_.Reset(icon);
}

// The panel, the convert and integrity buttons and the icon, as they are without a source.
void MainDlgDisplay::EmptyPanel() {
  EnableItem(IDC_CONVERT, false);
  EnableItem(IDC_INTEGRITY, false);
  EnableItem(IDC_SHOW_FILES, false);
  for (int id : kPanelIds) EnableItem(id, false);
  for (int id : kValueIds) window_.SetItemText(id, "");
  SetFormIcon(nullptr);
}

void MainDlgDisplay::ResetFields() {
  window_.SetItemText(IDC_TARGET_PATH, "");
  window_.SetItemText(IDC_TARGET_DESCRIPTION, "");
  EnableItem(IDC_TARGET_PATH, false);
  EnableItem(IDC_READ_START, false);
  ShowItem(IDC_TARGET_DESCRIPTION, false);
  window_.SetItemText(IDC_SOURCE_PATH, "");
  window_.SetItemText(IDC_SOURCE_DESCRIPTION, "");
  EnableItem(IDC_SOURCE_PATH, false);
  EnableItem(IDC_WRITE_START, false);
  ShowItem(IDC_SOURCE_DESCRIPTION, false);
  ShowModeIndicators();
  EmptyPanel();
}

// A disabled indicator shows its text greyed.
void MainDlgDisplay::ShowModeIndicators() {
  EnableItem(IDC_EMERGENCY_INDICATOR, application_.settings.m_emergency != 0);
  EnableItem(IDC_COMPATIBLE_INDICATOR, application_.settings.m_compatible != 0);
}

void MainDlgDisplay::ApplyChangedSettings() {
  window_.ApplyWindowFx();
  ApplyAdvancedMode();
  ShowModeIndicators();
  // Compatible images carry no description.
  if (application_.settings.m_compatible != 0) ShowItem(IDC_TARGET_DESCRIPTION, false);
}

void MainDlgDisplay::ShowSourceImage() {
  const CImageInfo& image = application_.currentImage;
  window_.SetItemText(IDC_TARGET_PATH, "");
  window_.SetItemText(IDC_TARGET_DESCRIPTION, "");
  EnableItem(IDC_TARGET_PATH, false);
  EnableItem(IDC_READ_START, false);
  ShowItem(IDC_TARGET_DESCRIPTION, false);
  window_.SetItemText(IDC_SOURCE_PATH, image.m_path);
  window_.SetItemText(IDC_SOURCE_DESCRIPTION, image.m_description);
  EnableItem(IDC_SOURCE_PATH, true);
  EnableItem(IDC_WRITE_START, true);
  ShowItem(IDC_SOURCE_DESCRIPTION, !image.m_description.empty());
  int iconId = FormIconId(FormOfPath(image.m_path));
  SetFormIcon(iconId ? LoadProgramIcon(iconId, kFormIconPixels, kFormIconPixels) : nullptr);
  ShowImageInfo();
}

void MainDlgDisplay::ShowTargetImage() {
  window_.SetItemText(IDC_TARGET_PATH, application_.currentImage.m_path);
  EnableItem(IDC_TARGET_PATH, true);
  EnableItem(IDC_READ_START, true);
  // A visible field keeps what the user typed after an earlier choice.
  if (!ItemShown(IDC_TARGET_DESCRIPTION)) window_.SetItemText(IDC_TARGET_DESCRIPTION, kTextDescriptionPrompt);
  ShowItem(IDC_TARGET_DESCRIPTION, application_.settings.m_compatible == 0);
  window_.SetItemText(IDC_SOURCE_PATH, "");
  window_.SetItemText(IDC_SOURCE_DESCRIPTION, "");
  EnableItem(IDC_SOURCE_PATH, false);
  EnableItem(IDC_WRITE_START, false);
  ShowItem(IDC_SOURCE_DESCRIPTION, false);
  EmptyPanel();
}

void MainDlgDisplay::ShowImageInfo() {
  ImagePanelTexts texts = DescribeImage(application_.currentImage);
  EnableItem(IDC_CONVERT, true);
  for (int id : kPanelIds) EnableItem(id, true);
  EnableItem(IDC_INTEGRITY, texts.canCheckIntegrity);
  EnableItem(IDC_SHOW_FILES, true);
  window_.SetItemText(IDC_GEOMETRY, texts.geometry);
  window_.SetItemText(IDC_CHECKSUM, texts.checksum);
  window_.SetItemText(IDC_FREE_SPACE, texts.freeSpace);
  window_.SetItemText(IDC_TOTAL_SIZE, texts.totalSize);
}

void MainDlgDisplay::ApplyAdvancedMode() {
  bool advanced = application_.settings.m_advancedMode != 0;
  const ModeLayout& layout = advanced ? kAdvancedLayout : kNormalLayout;
  constexpr UINT kSizeOnly = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  ::SetWindowPos(window_.Window(), nullptr, 0, 0, ScaledX(layout.windowWidth), ScaledY(layout.windowHeight), kSizeOnly);
  for (int group : {IDC_READ_GROUP, IDC_WRITE_GROUP}) {
    ::SetWindowPos(window_.Item(group), nullptr, 0, 0, ScaledX(layout.groupWidth), ScaledY(layout.groupHeight), kSizeOnly);
  }
  ShowItem(IDC_CONVERT, advanced);
  ShowItem(IDC_INTEGRITY, advanced);
  ShowItem(IDC_SHOW_FILES, advanced);
}

void MainDlgDisplay::RememberExtension(const std::string& path) {
  // The save dialog's filter index counts the forms it offers (1 .imz, 2 .img, 3 .exe, ...).
  const ImageForm* form = FormOfPath(path);
  uint32_t index = 0;
  for (const ImageForm* offered : ImageForms()) {
    if (!offered->Writable()) continue;
    ++index;
    if (offered == form) application_.settings.m_lastUsedExt = index;
  }
}
