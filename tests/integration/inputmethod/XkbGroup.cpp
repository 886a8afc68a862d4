// Kept apart: the X headers' macros clash with GoogleTest's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace zorbel::integration {

bool lockXkbGroup(int group)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const bool ok = XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(group));
    XSync(display, False);
    XCloseDisplay(display);
    return ok;
}

}  // namespace zorbel::integration
