#pragma once
// Proportional layout of a dialog's controls: when the client area grows by dx, dy, each added control moves
// right by dx * left / maxPart and down by dy * top / maxPart and grows by dx * width / maxPart and
// dy * height / maxPart. While enabled the dialog has a sizing border (added if it had none, keeping its
// client size), a size grip in the bottom-right corner and limits on its tracking size.

#include <windows.h>

#include <vector>

class CResizeCtrl {
 public:
  CResizeCtrl() = default;
  CResizeCtrl(const CResizeCtrl&) = delete;
  CResizeCtrl& operator=(const CResizeCtrl&) = delete;
  ~CResizeCtrl();

  // False when already created.
  bool Create(HWND window, bool enable, int maxPart);
  void SetEnabled(bool on);
  void SetGripEnabled(bool on);
  // The window can never be made smaller than it is now.
  void SetMinimumTrackingSize();
  // False (layout unchanged) unless every value is within 0..maxPart, left + width and top + height do not
  // exceed maxPart and the control exists.
  bool Add(int controlId, int left, int top, int width, int height);

  bool Enabled() const { return enabled_; }
  // The grip's rectangle in client coordinates (empty while it is not shown).
  RECT GripRect() const { return grip_; }

 private:
  struct Item {
    HWND control;
    int remainders[4];  // left, top, width, height
    int parts[4];
  };
  enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

  static LRESULT CALLBACK SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool GripShown() const { return enabled_ && gripEnabled_; }
  void UpdateGrip();
  void ChangeSizingBorder(bool add);
  void Layout(int width, int height);
  bool BeginManualSizing(WPARAM hitCode, POINT cursor);
  void ContinueManualSizing(POINT cursor);

  HWND window_ = nullptr;
  int maxPart_ = 100;
  bool hadSizingBorder_ = false;
  bool enabled_ = false;
  bool gripEnabled_ = false;
  SIZE client_{};
  POINT minTrack_{-1, -1};
  POINT maxTrack_{-1, -1};
  RECT windowRect_{};
  RECT grip_{};
  int dragEdges_ = 0;
  POINT dragOffset_{};
  bool inDrag_ = false;
  bool inLayout_ = false;
  std::vector<Item> items_;
};
