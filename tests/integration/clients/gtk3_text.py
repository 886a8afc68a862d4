#!/usr/bin/python3
"""A GTK 3 window with a single-line entry above a multi-line text view and an OK button.

Prints "READY <window-xid>" once the window is mapped, so tests wait on that line
instead of sleeping. Run with /usr/bin/python3: other interpreters may lack gi.
"""
import argparse
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("GdkX11", "3.0")
from gi.repository import GdkX11, Gtk  # noqa: E402  GdkX11 makes get_xid() available

# A fixed face and size keep caret boxes the same from run to run.
FONT_CSS = b"entry, textview { font-family: 'DejaVu Sans Mono'; font-size: 14pt; }"


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--title", default="Zorbel GTK 3 client")
    parser.add_argument("--x", type=int, default=100)
    parser.add_argument("--y", type=int, default=100)
    parser.add_argument("--width", type=int, default=480)
    parser.add_argument("--height", type=int, default=320)
    parser.add_argument("--focus", choices=["entry", "view"], default="entry")
    # A busy window to lie behind others: a red warning bar and a view full of text.
    parser.add_argument("--fill", action="store_true")
    return parser.parse_args()


def build_window(args):
    # A caret that never blinks can be found on every screenshot.
    Gtk.Settings.get_default().set_property("gtk-cursor-blink", False)
    css = Gtk.CssProvider()
    css.load_from_data(FONT_CSS)

    window = Gtk.Window(title=args.title)
    window.set_default_size(args.width, args.height)
    window.move(args.x, args.y)
    window.connect("destroy", Gtk.main_quit)

    entry = Gtk.Entry()
    view = Gtk.TextView()
    for widget in (entry, view):
        widget.get_style_context().add_provider(css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)

    scroller = Gtk.ScrolledWindow()
    scroller.add(view)
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    if args.fill:
        bar = Gtk.Label(label="WARNING: unsaved changes")
        bar_css = Gtk.CssProvider()
        bar_css.load_from_data(b"label { background: #d01010; color: white; padding: 8px; font-size: 16pt; }")
        bar.get_style_context().add_provider(bar_css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
        box.pack_start(bar, False, False, 0)
        line = "The quick brown fox jumps over the lazy dog 0123456789 "
        view.get_buffer().set_text("\n".join(f"{i:02} " + line * 3 for i in range(80)))
    box.pack_start(entry, False, False, 0)
    box.pack_start(scroller, True, True, 0)
    box.pack_start(Gtk.Button(label="OK"), False, False, 0)
    window.add(box)

    (entry if args.focus == "entry" else view).grab_focus()
    return window


def announce_when_mapped(window):
    def on_map(widget, _event):
        assert isinstance(widget.get_window(), GdkX11.X11Window)
        print(f"READY {widget.get_window().get_xid()}", flush=True)
        return False

    window.connect("map-event", on_map)


def main():
    args = parse_args()
    window = build_window(args)
    announce_when_mapped(window)
    window.show_all()
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
