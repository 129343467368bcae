#pragma once
// The program's only main window. Its upper half prepares an image to be read from the floppy (a target),
// its lower half shows an image loaded from a file (a source, to be written, checked or converted), and
// the information panel below describes the source. Both halves share Application::currentImage. The
// command line runs at the end of its initialisation; a batch run ends the window before it is shown.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/Application.h"
#include "base/WindowsMessageBoxes.h"
#include "ui/InstanceChecker.h"
#include "ui/MyDialog.h"
#include "win32/MainDlgDisplay.h"
#include "win32/MainWindowFront.h"
#include "win32/WindowsGdiObjects.h"

class CMainDlg : public CMyDialog {
 public:
  // arguments[0] is the program path. The front's dialogs and the message boxes are owned by this window.
  CMainDlg(Application& application, MainWindowFront& front, WindowsMessageBoxes& boxes,
           std::vector<std::string> arguments);

  CInstanceChecker& InstanceChecker() { return instanceChecker_; }
  // What the command line decided (interactive until a batch run has ended the window).
  const StartDecision& Decision() const { return decision_; }

  MainDlgDisplay& Display() { return display_; }
  bool OpenAsSource(const std::string& path);
  // 0 with the chosen path, or -1 when the user cancelled (or refused to replace a file).
  int ChooseImageToOpen(std::string& path);
  int ChooseImageToSave(std::string& path);

  bool PreTranslateMessage(MSG& message) override;

  // Design size of the window in pixels: the layout constants are given at this size.
  static constexpr int kDesignWidth = 527;
  static constexpr int kDesignHeight = 437;

 protected:
  std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  // There is no OK button: Enter in a field never ends the main window.
  void OnOK() override {}

 private:
  class Checker final : public CInstanceChecker {
   public:
    explicit Checker(const CMainDlg& dialog) : CInstanceChecker(L"DK"), dialog_(dialog) {}
    HWND WindowToPublish() const override { return dialog_.Window(); }

   private:
    const CMainDlg& dialog_;
  };

  // Sets busy for the duration of an operation: a handover or a drop must not replace the image that
  // the operation works on.
  class BusyScope {
   public:
    explicit BusyScope(bool& busy) : busy_(busy), was_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = was_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    bool& busy_;
    bool was_;
  };

  void RunCommandLine();
  LRESULT OnCopyData(const COPYDATASTRUCT& data);
  void OnDropFiles(HDROP drop);
  void Paint();
  void OnDestroy();

  // Commands (MainDlgCommands_win32.cpp).
  void OnChooseTarget();
  void OnChooseSource();
  void OnReadStart();
  void OnWriteStart();
  void OnConvertLoadedImage();
  void OnCheckLoadedImage();
  void OnShowFiles();
  void OnNewImage();
  void OnChangeDescription();
  void OnConvertChosenFiles();
  void OnCheckChosenFile();
  // The update check, feedback and news (MainDlgInternet.cpp), the About box.
  void OnInternetCommand(int id);
  void OnAbout();
  void OnSettings();

  IMessageBoxes& Boxes() { return application_.Services().boxes; }
  IRegistryBackend& Registry() { return application_.Services().registry; }

  Application& application_;
  MainWindowFront& front_;
  WindowsMessageBoxes& windowsBoxes_;
  std::vector<std::string> arguments_;
  Checker instanceChecker_{*this};
  MainDlgDisplay display_{*this, application_};
  StartDecision decision_{true};
  bool busy_ = false;
  UniqueIcon applicationIcon_;
  UniqueIcon smallIcon_;
  UniqueBitmap readPicture_;
  UniqueBitmap writePicture_;
  HACCEL accelerators_ = nullptr;  // a resource: freed with the module
};
