#!/usr/bin/python3
"""A GTK 4 window with a multi-line text view holding "xxxx xxxx", the caret after
the fourth character. GTK 4 answers accessibility geometry in window coordinates only.

Prints "READY <window-xid>" once the window is mapped. Run with /usr/bin/python3.
"""
import argparse
import sys

import gi

gi.require_version("Gtk", "4.0")
gi.require_version("GdkX11", "4.0")
from gi.repository import GdkX11, GLib, Gtk  # noqa: E402,F401  GdkX11 gives surfaces an xid

FONT_CSS = b"textview { font-family: 'DejaVu Sans Mono'; font-size: 14pt; }"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--title", default="Zorbel GTK 4 client")
    args = parser.parse_args()

    app = Gtk.Application()

    def on_activate(application):
        # A caret that never blinks can be found on every screenshot.
        Gtk.Settings.get_default().set_property("gtk-cursor-blink", False)
        css = Gtk.CssProvider()
        css.load_from_data(FONT_CSS)
        window = Gtk.ApplicationWindow(application=application, title=args.title)
        window.set_default_size(480, 240)
        view = Gtk.TextView()
        view.get_style_context().add_provider(css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)
        buffer = view.get_buffer()
        buffer.set_text("xxxx xxxx")
        buffer.place_cursor(buffer.get_iter_at_offset(4))
        window.set_child(view)
        view.grab_focus()

        def announce(*_):
            print(f"READY {window.get_surface().get_xid()}", flush=True)
            return False

        window.connect("map", lambda *_: GLib.idle_add(announce))
        window.present()

    app.connect("activate", on_activate)
    return app.run([sys.argv[0]])


if __name__ == "__main__":
    sys.exit(main())
