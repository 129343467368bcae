#pragma once
// The self-extractor's two pages: the licence (accept or decline) and the create page that writes the
// carried image to the floppy. Both are laid out around the picture when they open.

#include <windows.h>

#include <string>

#include "app/DiskWriteJob.h"
#include "base/OperationProgress.h"
#include "image/forms/SelfExtractor.h"
#include "selfextractor/PageLayout.h"
#include "selfextractor/SystemRestart.h"
#include "ui/InstanceChecker.h"
#include "ui/MyDialog.h"
#include "ui/ProgressDlg.h"

// The running self-extractor, found under its own title: a running main program is never taken for it.
class ExtractorInstanceChecker : public CInstanceChecker {
 public:
  ExtractorInstanceChecker();
  std::wstring MappingName() const override;
  HWND WindowToPublish() const override { return window_; }
  void Publish(HWND window);

 private:
  HWND window_ = nullptr;
};

struct PageContent {
  HBITMAP customPicture = nullptr;  // nullptr: the built-in one
  bool showPicture = false;
  std::string title;
  std::string text;
  std::string description;  // shown on the create page when not empty
};

class CPicturePage : public CMyDialog {
 public:
  CPicturePage(int templateId, const DialogContext& context, ExtractorInstanceChecker& checker, PageContent content);
  ~CPicturePage() override;
  CPicturePage(const CPicturePage&) = delete;
  CPicturePage& operator=(const CPicturePage&) = delete;

 protected:
  bool OnInitDialog() override;

 private:
  void LayOut();
  void FitPictureToScreen(PageMetrics& metrics);

  ExtractorInstanceChecker& checker_;
  PageContent content_;
  HBITMAP scaledPicture_ = nullptr;  // a picture shrunk to the screen, owned by the page
};

// What the create page's write needs.
struct WriteRequest {
  const SettingsBlock& block;
  std::string drive;  // "A:" or "B:"
  uint32_t ntMajorVersion;
  IMessageBoxes& boxes;
  IFloppyDeviceFactory& devices;
  IClock& clock;
  ISystemRestart& restart;
};

class CCreatePage : public CPicturePage {
 public:
  CCreatePage(const DialogContext& context, ExtractorInstanceChecker& checker, PageContent content,
              CImageInfo& image, const WriteRequest& request);

 protected:
  bool OnInitDialog() override;
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  // 1 when the whole image was written.
  INT_PTR RunWrite();

  CImageInfo& image_;
  WriteRequest request_;
  OperationProgress progress_;
  CProgressDlg* progressDlg_ = nullptr;
  bool jobEnded_ = false;
};
