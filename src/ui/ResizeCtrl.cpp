#include "ui/ResizeCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "ui/ResizeStep.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x52535A;

POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

// The edges that a border hit code moves (HTLEFT .. HTBOTTOMRIGHT).
int EdgesOf(WPARAM hitCode) {
  constexpr int kLeft = 1, kTop = 2, kRight = 4, kBottom = 8;
  switch (hitCode) {
    case HTLEFT: return kLeft;
    case HTRIGHT: return kRight;
    case HTTOP: return kTop;
    case HTTOPLEFT: return kTop | kLeft;
    case HTTOPRIGHT: return kTop | kRight;
    case HTBOTTOM: return kBottom;
    case HTBOTTOMLEFT: return kBottom | kLeft;
    case HTBOTTOMRIGHT: return kBottom | kRight;
    default: return 0;
  }
}

// Keeps length within the tracking limits (-1: no limit known) by moving the edge that is dragged.
void LimitSpan(LONG& low, LONG& high, bool lowMoves, LONG minimum, LONG maximum) {
  LONG length = high - low;
  LONG limited = std::clamp(length, std::max<LONG>(minimum, 0), maximum > 0 ? maximum : LONG_MAX);
  if (limited == length) return;
  if (lowMoves) {
    low = high - limited;
  } else {
    high = low + limited;
  }
}

}  // namespace

CResizeCtrl::~CResizeCtrl() {
  if (enabled_ && ::IsWindow(window_)) SetEnabled(false);
}

bool CResizeCtrl::Create(HWND window, bool enable, int maxPart) {
  if (window_ || !window || maxPart <= 0) return false;
  window_ = window;
  maxPart_ = maxPart;
  minTrack_ = maxTrack_ = POINT{-1, -1};
  hadSizingBorder_ = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_THICKFRAME) != 0;
  if (enable) {
    SetEnabled(true);
  } else {
    ::GetWindowRect(window, &windowRect_);
  }
  return true;
}

void CResizeCtrl::SetEnabled(bool on) {
  if (!window_ || on == enabled_) return;
  ::GetWindowRect(window_, &windowRect_);
  if (on) {
    dragEdges_ = 0;
    if (!hadSizingBorder_) ChangeSizingBorder(true);
    RECT client;
    ::GetClientRect(window_, &client);
    client_ = SIZE{client.right, client.bottom};
    ::SetWindowSubclass(window_, &CResizeCtrl::SubclassProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    enabled_ = true;
  } else {
    ::RemoveWindowSubclass(window_, &CResizeCtrl::SubclassProcedure, kSubclassId);
    enabled_ = false;
    if (!hadSizingBorder_) ChangeSizingBorder(false);
  }
  UpdateGrip();
}

void CResizeCtrl::SetGripEnabled(bool on) {
  if (on == gripEnabled_) return;
  gripEnabled_ = on;
  if (enabled_) UpdateGrip();
}

void CResizeCtrl::SetMinimumTrackingSize() {
  RECT rect;
  if (!window_ || !::GetWindowRect(window_, &rect)) return;
  minTrack_ = POINT{rect.right - rect.left, rect.bottom - rect.top};
}

bool CResizeCtrl::Add(int controlId, int left, int top, int width, int height) {
  for (int value : {left, top, width, height}) {
    if (value < 0 || value > maxPart_) return false;
  }
  if (left + width > maxPart_ || top + height > maxPart_) return false;
  HWND control = window_ ? ::GetDlgItem(window_, controlId) : nullptr;
  if (!control) return false;
  items_.push_back(Item{control, {0, 0, 0, 0}, {left, top, width, height}});
  return true;
}

// The client area keeps its size and place on the screen; the frame grows or shrinks around it. A minimum
// tracking size taken before follows the frame, so the dialog still cannot become smaller than it was.
void CResizeCtrl::ChangeSizingBorder(bool add) {
  LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_STYLE);
  auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE));
  BOOL hasMenu = ::GetMenu(window_) != nullptr;
  LONG_PTR changed = add ? (style | WS_THICKFRAME) : (style & ~static_cast<LONG_PTR>(WS_THICKFRAME));
  RECT before{}, after{};
  ::AdjustWindowRectEx(&before, static_cast<DWORD>(style), hasMenu, exStyle);
  ::AdjustWindowRectEx(&after, static_cast<DWORD>(changed), hasMenu, exStyle);
  ::SetWindowLongPtrW(window_, GWL_STYLE, changed);
  RECT rect;
  ::GetWindowRect(window_, &rect);
  rect.left += after.left - before.left;
  rect.top += after.top - before.top;
  rect.right += after.right - before.right;
  rect.bottom += after.bottom - before.bottom;
  LONG grownX = (after.right - after.left) - (before.right - before.left);
  LONG grownY = (after.bottom - after.top) - (before.bottom - before.top);
  if (minTrack_.x > 0) minTrack_.x += grownX;
  if (minTrack_.y > 0) minTrack_.y += grownY;
  ::SetWindowPos(window_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CResizeCtrl::UpdateGrip() {
  if (!IsRectEmpty(&grip_)) ::InvalidateRect(window_, &grip_, TRUE);
  grip_ = RECT{};
  if (!GripShown()) return;
  RECT client;
  ::GetClientRect(window_, &client);
  grip_ = RECT{client.right - ::GetSystemMetrics(SM_CXVSCROLL), client.bottom - ::GetSystemMetrics(SM_CYHSCROLL),
               client.right, client.bottom};
  ::InvalidateRect(window_, &grip_, TRUE);
}

void CResizeCtrl::Layout(int width, int height) {
  if (inLayout_) return;
  if (width == client_.cx && height == client_.cy) return;
  inLayout_ = true;
  int dx = width - client_.cx;
  int dy = height - client_.cy;
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(items_.size()));
  bool moved = false;
  for (Item& item : items_) {
    RECT rect;
    if (!::GetWindowRect(item.control, &rect)) continue;
    ::MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&rect), 2);
    int x = rect.left, y = rect.top, w = rect.right - rect.left, h = rect.bottom - rect.top;
    bool changed = ApplyProportionalStep({dx, item.parts[0], maxPart_, false}, x, item.remainders[0]);
    changed |= ApplyProportionalStep({dx, item.parts[2], maxPart_, true}, w, item.remainders[2]);
    changed |= ApplyProportionalStep({dy, item.parts[1], maxPart_, false}, y, item.remainders[1]);
    changed |= ApplyProportionalStep({dy, item.parts[3], maxPart_, true}, h, item.remainders[3]);
    if (!changed) continue;
    moved = true;
    if (batch) {
      batch = ::DeferWindowPos(batch, item.control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      ::SetWindowPos(item.control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (batch) ::EndDeferWindowPos(batch);
  // Group boxes leave their old frames behind unless the whole client area is drawn again.
  if (moved) ::InvalidateRect(window_, nullptr, TRUE);
  client_ = SIZE{width, height};
  inLayout_ = false;
}

bool CResizeCtrl::BeginManualSizing(WPARAM hitCode, POINT cursor) {
  int edges = EdgesOf(hitCode);
  RECT rect;
  if (!edges || !::GetWindowRect(window_, &rect)) return false;
  dragEdges_ = edges;
  dragOffset_.x = ((edges & kLeft) ? rect.left : rect.right) - cursor.x;
  dragOffset_.y = ((edges & kTop) ? rect.top : rect.bottom) - cursor.y;
  ::SetCapture(window_);
  return true;
}

void CResizeCtrl::ContinueManualSizing(POINT cursor) {
  if (inDrag_) return;
  inDrag_ = true;
  RECT rect, before;
  ::GetWindowRect(window_, &rect);
  before = rect;
  if (dragEdges_ & kLeft) rect.left = cursor.x + dragOffset_.x;
  if (dragEdges_ & kRight) rect.right = cursor.x + dragOffset_.x;
  if (dragEdges_ & kTop) rect.top = cursor.y + dragOffset_.y;
  if (dragEdges_ & kBottom) rect.bottom = cursor.y + dragOffset_.y;
  LimitSpan(rect.left, rect.right, (dragEdges_ & kLeft) != 0, minTrack_.x, maxTrack_.x);
  LimitSpan(rect.top, rect.bottom, (dragEdges_ & kTop) != 0, minTrack_.y, maxTrack_.y);
  if (!::EqualRect(&rect, &before)) {
    ::SetWindowPos(window_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  inDrag_ = false;
}

LRESULT CResizeCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST: {
      if (GripShown()) {
        POINT point = PointOf(lParam);
        ::ScreenToClient(window_, &point);
        if (::PtInRect(&grip_, point)) return HTBOTTOMRIGHT;
      }
      break;
    }
    case WM_PAINT: {
      LRESULT result = ::DefSubclassProc(window_, message, wParam, lParam);
      if (GripShown()) {
        HDC dc = ::GetDC(window_);
        ::DrawFrameControl(dc, &grip_, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
        ::ReleaseDC(window_, dc);
      }
      return result;
    }
    case WM_SIZE: {
      LRESULT result = ::DefSubclassProc(window_, message, wParam, lParam);
      if (wParam != SIZE_MINIMIZED) Layout(LOWORD(lParam), HIWORD(lParam));
      UpdateGrip();
      return result;
    }
    case WM_GETMINMAXINFO: {
      LRESULT result = ::DefSubclassProc(window_, message, wParam, lParam);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (minTrack_.x == -1) minTrack_.x = info->ptMinTrackSize.x;
      if (minTrack_.y == -1) minTrack_.y = info->ptMinTrackSize.y;
      if (maxTrack_.x == -1) maxTrack_.x = info->ptMaxTrackSize.x;
      if (maxTrack_.y == -1) maxTrack_.y = info->ptMaxTrackSize.y;
      info->ptMinTrackSize = minTrack_;
      info->ptMaxTrackSize = maxTrack_;
      return result;
    }
    case WM_NCLBUTTONDOWN:
      if (!hadSizingBorder_ && BeginManualSizing(wParam, PointOf(lParam))) return 0;
      break;
    case WM_MOUSEMOVE:
      if (dragEdges_) {
        POINT cursor = PointOf(lParam);
        ::ClientToScreen(window_, &cursor);
        ContinueManualSizing(cursor);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (dragEdges_) {
        dragEdges_ = 0;
        ::ReleaseCapture();
        return 0;
      }
      break;
    case WM_CAPTURECHANGED:
      dragEdges_ = 0;
      break;
    case WM_DESTROY:
      // The window goes: no frame to restore, only the hook.
      ::RemoveWindowSubclass(window_, &CResizeCtrl::SubclassProcedure, kSubclassId);
      enabled_ = false;
      grip_ = RECT{};
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK CResizeCtrl::SubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR self) {
  try {
    return reinterpret_cast<CResizeCtrl*>(self)->OnMessage(message, wParam, lParam);
  } catch (...) {
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
}
