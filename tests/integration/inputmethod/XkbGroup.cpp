// Kept apart: the X headers' macros clash with GoogleTest's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

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

// Whole-screen reads back to back from a connection of their own, as a screen
// recorder makes them; the returned function stops them.
std::function<void()> keepXServerBusy()
{
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto thread = std::make_shared<std::thread>([stop] {
        Display* display = XOpenDisplay(nullptr);
        if (!display) return;
        const Window root = DefaultRootWindow(display);
        const auto width = static_cast<unsigned>(DisplayWidth(display, DefaultScreen(display)));
        const auto height = static_cast<unsigned>(DisplayHeight(display, DefaultScreen(display)));
        while (!*stop)
            if (XImage* image = XGetImage(display, root, 0, 0, width, height, AllPlanes, ZPixmap)) XDestroyImage(image);
        XCloseDisplay(display);
    });
    return [stop, thread] {
        *stop = true;
        if (thread->joinable()) thread->join();
    };
}

}  // namespace zorbel::integration
