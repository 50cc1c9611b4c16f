// The form's controls as child windows, and how they are drawn.
#include "platform/win32/ui_widgets.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <variant>

namespace dt::platform::win32 {

struct Widget {
  Form::ControlRef control;
  HWND window = nullptr;
  UniqueGdi<HBRUSH> background;
  UniqueGdi<HBRUSH> fill;     // the progress bar's done part
  UniqueGdi<HFONT> own_font;  // the label's; others use the form's
  HFONT text_font = nullptr;
  ErrorCarrier* carrier = nullptr;
};

namespace {

constexpr int kGlyphSize = 16;
constexpr int kGlyphGap = 4;

const Control& ControlOf(const Form::ControlRef& control) {
  return *std::visit([](const auto* c) -> const Control* { return c; }, control);
}

Widget* WidgetOf(HWND window) {
  return reinterpret_cast<Widget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// --- Panels ---------------------------------------------------------------

void PaintPanel(const Widget& widget, const Panel& panel) {
  PaintScope paint(widget.window);
  RECT area;
  GetClientRect(widget.window, &area);
  switch (panel.frame) {
    case Frame::kGroove:
      DrawEdge(paint.dc(), &area, EDGE_ETCHED, BF_RECT);
      break;
    case Frame::kFlat:
      FrameRect(paint.dc(), &area, GetSysColorBrush(COLOR_BTNSHADOW));
      break;
    case Frame::kNone:
      break;
  }
}

LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Widget* widget = WidgetOf(window);
  if (widget == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return widget->carrier->Guard(
      [&]() -> LRESULT {
        if (message == WM_ERASEBKGND) {
          FillClient(window, reinterpret_cast<HDC>(wparam), widget->background.get());
          return 1;
        }
        if (message == WM_PAINT) {
          PaintPanel(*widget, *std::get<Panel*>(widget->control));
          return 0;
        }
        if (auto answer = Widgets::ParentMessage(message, wparam, lparam)) return *answer;
        return DefWindowProcW(window, message, wparam, lparam);
      },
      0);
}

const wchar_t* PanelClass() {
  static const WindowClass panel(L"DealTextPanel", PanelProcedure, nullptr);
  return panel.Name();
}

// --- The button -------------------------------------------------------------

// A tick: the button's confirmation image, grey when the button is disabled.
void DrawGlyph(HDC dc, int left, int top, bool disabled) {
  const COLORREF color = disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 128, 0);
  UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 2, color));
  if (!pen) return;  // no image rather than no button
  SelectedObject selected(dc, pen.get());
  const POINT tick[] = {{left + 3, top + 8}, {left + 6, top + 11}, {left + 12, top + 4}};
  Polyline(dc, tick, 3);
}

void DrawButton(const Widget& widget, const Button& button, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &area, widget.background.get());
  if (button.is_default) {
    FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&area, -1, -1);
  }
  DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

  const std::wstring caption = Wide(button.caption);
  SelectedObject font(dc, widget.text_font);
  SIZE text{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  const int glyph = button.image_count > 0 ? kGlyphSize + kGlyphGap : 0;
  const int shift = pushed ? 1 : 0;
  int left = area.left + (area.right - area.left - glyph - text.cx) / 2 + shift;
  const int middle = (area.top + area.bottom) / 2 + shift;
  if (glyph > 0) {
    DrawGlyph(dc, left, middle - kGlyphSize / 2, disabled);
    left += glyph;
  }
  const int top = middle - text.cy / 2;
  SetBkMode(dc, TRANSPARENT);
  if (disabled) {
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption.c_str()),
               static_cast<WPARAM>(caption.size()), left, top, text.cx, text.cy,
               DST_TEXT | DSS_DISABLED);
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutW(dc, left, top, caption.c_str(), static_cast<int>(caption.size()));
  }
  if ((item.itemState & ODS_FOCUS) != 0) {
    InflateRect(&area, -3, -3);
    DrawFocusRect(dc, &area);
  }
}

// --- The progress bar -------------------------------------------------------

void ShowBarValue(HWND window, const ProgressBar& bar) {
  // A range of no width would leave the control nothing to divide by.
  const int total = std::max(bar.TotalParts, 1);
  SendMessageW(window, PBM_SETRANGE32, 0, total);
  SendMessageW(window, PBM_SETPOS, static_cast<WPARAM>(std::clamp(bar.PartsComplete, 0, total)), 0);
}

// The bar is drawn here rather than by the control, which keeps a frame
// of its own inside its edge: this bar fills its whole area, from the left
// in its bar colour and the rest in its background colour, with the
// percentage in its middle: in the highlight's text colour over the filled
// part, in the window's text colour over the rest.
void DrawBar(HDC dc, const Widget& widget, const ProgressBar& bar) {
  RECT area;
  GetClientRect(widget.window, &area);
  const int low = static_cast<int>(SendMessageW(widget.window, PBM_GETRANGE, TRUE, 0));
  const int high = static_cast<int>(SendMessageW(widget.window, PBM_GETRANGE, FALSE, 0));
  const int position = static_cast<int>(SendMessageW(widget.window, PBM_GETPOS, 0, 0));
  const int filled =
      area.left + (high > low ? MulDiv(position - low, area.right - area.left, high - low) : 0);
  const RECT done{area.left, area.top, filled, area.bottom};
  const RECT rest{filled, area.top, area.right, area.bottom};
  FillRect(dc, &done, widget.fill.get());
  FillRect(dc, &rest, widget.background.get());
  if (!bar.show_percent) return;

  const std::wstring text = std::to_wstring(bar.Percent) + L"%";
  SelectedObject font(dc, widget.text_font);
  SetBkMode(dc, TRANSPARENT);
  const struct {
    const RECT& clip;
    COLORREF color;
  } parts[] = {{done, GetSysColor(COLOR_HIGHLIGHTTEXT)}, {rest, GetSysColor(COLOR_WINDOWTEXT)}};
  for (const auto& part : parts) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, part.clip.left, part.clip.top, part.clip.right, part.clip.bottom);
    SetTextColor(dc, part.color);
    RECT box = area;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(dc, saved);
  }
}

LRESULT CALLBACK BarProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                              DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, BarProcedure, id);
    return DefSubclassProc(window, message, wparam, lparam);
  }
  if (message != WM_PAINT && message != WM_PRINTCLIENT) {
    return DefSubclassProc(window, message, wparam, lparam);
  }
  const Widget& widget = *reinterpret_cast<const Widget*>(data);
  return widget.carrier->Guard(
      [&]() -> LRESULT {
        const ProgressBar& bar = *std::get<ProgressBar*>(widget.control);
        if (wparam != 0) {  // drawing into a device context it was given
          DrawBar(reinterpret_cast<HDC>(wparam), widget, bar);
        } else {
          PaintScope paint(window);
          DrawBar(paint.dc(), widget, bar);
        }
        return 0;
      },
      0);
}

// --- Making the windows -----------------------------------------------------

HWND MakeChild(const wchar_t* window_class, const std::wstring& text, DWORD style,
               const Control& control, HWND parent, void* create_data) {
  const Bounds& b = control.bounds;
  HWND window =
      CreateWindowExW(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, b.left, b.top,
                      b.width, b.height, parent, nullptr, ThisModule(), create_data);
  if (window == nullptr) RaiseLastError("Cannot create the window of " + control.name);
  return window;
}

void MakeWindow(Widget& widget, const Panel& panel, HWND parent) {
  widget.window =
      MakeChild(PanelClass(), L"", WS_CLIPCHILDREN | WS_CLIPSIBLINGS, panel, parent, &widget);
}

void MakeWindow(Widget& widget, const Label& label, HWND parent) {
  widget.own_font = MakeFont(label.font);
  widget.text_font = widget.own_font.get();
  const DWORD align = label.centered ? SS_CENTER | SS_CENTERIMAGE : SS_LEFT;
  widget.window =
      MakeChild(L"STATIC", Wide(label.caption), align | SS_NOPREFIX, label, parent, nullptr);
}

void MakeWindow(Widget& widget, const Button& button, HWND parent) {
  widget.window = MakeChild(L"BUTTON", Wide(button.caption),
                            BS_OWNERDRAW | WS_TABSTOP | (button.enabled ? 0 : WS_DISABLED), button,
                            parent, nullptr);
}

void MakeWindow(Widget& widget, const ProgressBar& bar, HWND parent) {
  widget.window = MakeChild(PROGRESS_CLASSW, L"", 0, bar, parent, nullptr);
  widget.fill = MakeBrush(bar.bar_color);
  if (bar.frame_width == 0) {
    // The control gives itself a sunken edge; this bar has none.
    const LONG_PTR extended = GetWindowLongPtrW(widget.window, GWL_EXSTYLE);
    SetWindowLongPtrW(widget.window, GWL_EXSTYLE,
                      extended & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE));
    SetWindowPos(widget.window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowBarValue(widget.window, bar);
  if (!SetWindowSubclass(widget.window, BarProcedure, 0, reinterpret_cast<DWORD_PTR>(&widget))) {
    RaiseLastError("Cannot draw the percentage of " + bar.name);
  }
}

}  // namespace

Widgets::Widgets(const Form& form, HWND form_window, HFONT form_font, ErrorCarrier& carrier) {
  INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&common);
  try {
    for (const Form::ControlRef& control : form.Controls()) {
      auto widget = std::make_unique<Widget>();
      widget->control = control;
      widget->background = MakeBrush(ControlOf(control).color);
      widget->text_font = form_font;
      widget->carrier = &carrier;
      const auto parent = std::find_if(widgets_.begin(), widgets_.end(), [&](const auto& w) {
        return &ControlOf(w->control) == ControlOf(control).parent;
      });
      HWND parent_window = parent != widgets_.end() ? (*parent)->window : form_window;
      widgets_.push_back(std::move(widget));
      Widget& made = *widgets_.back();
      std::visit([&](auto* c) { MakeWindow(made, *c, parent_window); }, control);
      SetWindowLongPtrW(made.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&made));
      SendMessageW(made.window, WM_SETFONT, reinterpret_cast<WPARAM>(made.text_font), FALSE);
    }
  } catch (...) {
    DestroyWindows();
    throw;
  }
}

Widgets::~Widgets() { DestroyWindows(); }

void Widgets::DestroyWindows() noexcept {
  // Children before their parents, each cut off from its record first.
  for (auto widget = widgets_.rbegin(); widget != widgets_.rend(); ++widget) {
    if ((*widget)->window != nullptr && IsWindow((*widget)->window)) {
      WindowDeleter()((*widget)->window);
    }
    (*widget)->window = nullptr;
  }
}

void Widgets::Redraw(const ProgressBar& bar) {
  for (const auto& widget : widgets_) {
    const auto* shown = std::get_if<ProgressBar*>(&widget->control);
    if (shown == nullptr || *shown != &bar) continue;
    ShowBarValue(widget->window, bar);
    InvalidateRect(widget->window, nullptr, FALSE);
    UpdateWindow(widget->window);
  }
}

std::optional<LRESULT> Widgets::ParentMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    const Widget* child = WidgetOf(reinterpret_cast<HWND>(lparam));
    if (child == nullptr) return std::nullopt;
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetBkColor(dc, ColorRefOf(ControlOf(child->control).color));
    if (const auto* label = std::get_if<Label*>(&child->control)) {
      SetTextColor(dc, ColorRefOf((*label)->font.color));
    }
    return reinterpret_cast<LRESULT>(child->background.get());
  }
  if (message == WM_DRAWITEM) {
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    const Widget* child = WidgetOf(item.hwndItem);
    if (child == nullptr) return std::nullopt;
    const auto* button = std::get_if<Button*>(&child->control);
    if (button == nullptr) return std::nullopt;
    DrawButton(*child, **button, item);
    return TRUE;
  }
  return std::nullopt;
}

}  // namespace dt::platform::win32
