#pragma once

#include <cstdint>
#include <string>

typedef struct _GstElement GstElement;

namespace tamberline {

// A renderer that draws pictures into the native window `window` (an X11
// window id) of the X display `display` (the default display when empty),
// or null when none is installed. The display is opened when the renderer
// starts, so a display that cannot be opened shows as a failing start.
GstElement* MakeVideoRenderer(uintptr_t window, const std::string& display);

}  // namespace tamberline
