// Win32 building blocks of the drawn forms.
#include "platform/win32/ui_support.h"

#include <cwchar>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/module.h"

namespace dt::platform::win32 {

// The model's values are the GDI ones, so they pass through unchanged.
static_assert(kDefaultCharset == DEFAULT_CHARSET);
static_assert(kGb2312Charset == GB2312_CHARSET);
static_assert((clBtnFace & 0xFF) == COLOR_BTNFACE);
static_assert((clWindowText & 0xFF) == COLOR_WINDOWTEXT);
static_assert((clHighlight & 0xFF) == COLOR_HIGHLIGHT);

void WindowDeleter::operator()(HWND window) const {
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
}

HINSTANCE ThisModule() {
  return static_cast<HINSTANCE>(ModuleHandleOf(reinterpret_cast<const void*>(&ThisModule)));
}

std::wstring Wide(std::string_view ansi) {
  const std::u16string utf16 = AnsiToUtf16(ansi);
  return std::wstring(utf16.begin(), utf16.end());
}

COLORREF ColorRefOf(Color color) {
  if ((color & 0xFF000000) == 0xFF000000) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

UniqueGdi<HBRUSH> MakeBrush(Color color) {
  UniqueGdi<HBRUSH> brush(CreateSolidBrush(ColorRefOf(color)));
  if (!brush) RaiseLastError("Cannot create a brush");
  return brush;
}

void FillClient(HWND window, HDC dc, HBRUSH brush) {
  RECT area;
  GetClientRect(window, &area);
  FillRect(dc, &area, brush);
}

UniqueGdi<HFONT> MakeFont(const FontSpec& wanted) {
  LOGFONTW font{};
  font.lfHeight = -wanted.height;  // negative: the character height, without leading
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = static_cast<BYTE>(wanted.charset);
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face = Wide(wanted.name);
  // A longer name cannot be a face name; GDI then picks by the rest.
  if (face.size() < LF_FACESIZE) std::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  UniqueGdi<HFONT> handle(CreateFontIndirectW(&font));
  if (!handle) RaiseLastError("Cannot create the font " + wanted.name);
  return handle;
}

WindowClass::WindowClass(const wchar_t* name, WNDPROC procedure, HBRUSH background) : name_(name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ThisModule();
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = background;
  window_class.lpszClassName = name;
  if (RegisterClassExW(&window_class) != 0) return;
  // Left by an earlier load of this module at the same address, whose
  // procedure may be gone: replace it.
  if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS && UnregisterClassW(name, ThisModule()) &&
      RegisterClassExW(&window_class) != 0) {
    return;
  }
  RaiseLastError("Cannot register a window class");
}

WindowClass::~WindowClass() { UnregisterClassW(name_, ThisModule()); }

void RaiseLastError(const std::string& what) {
  throw Exception(what + ": " + SystemErrorText(static_cast<int>(GetLastError())));
}

}  // namespace dt::platform::win32
