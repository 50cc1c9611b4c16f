// The controls of a drawn form as Win32 child windows: panels of this
// module's own class (background and frame), the label as a static
// control, the button drawn here (glyph and caption), and the progress bar
// as the common control (which holds the range and position) drawn here,
// with its percentage written in its middle.
// Internal to platform/win32.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/ui.h"
#include "platform/win32/ui_support.h"

namespace dt::platform::win32 {

struct Widget;

class Widgets {
 public:
  // Makes a child window for each control of `form`, in the order the form
  // lists them, inside `form_window`; text without a font of its own uses
  // `form_font`. Exceptions raised while a child handles a message go to
  // `carrier`. Raises Exception when a window cannot be made.
  // REQUIRES: `form_font` and `carrier` outlive this object.
  Widgets(const Form& form, HWND form_window, HFONT form_font, ErrorCarrier& carrier);
  // Destroys the child windows that are left (none once `form_window` has
  // been destroyed, which takes its children with it).
  ~Widgets();
  Widgets(const Widgets&) = delete;
  Widgets& operator=(const Widgets&) = delete;

  // Shows the bar's current value and percentage before returning.
  void Redraw(const ProgressBar& bar);

  // What a window that holds widgets answers to its children's requests
  // for colours and drawing; nullopt for any other message.
  static std::optional<LRESULT> ParentMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void DestroyWindows() noexcept;

  std::vector<std::unique_ptr<Widget>> widgets_;
};

}  // namespace dt::platform::win32
