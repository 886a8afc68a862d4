#!/usr/bin/python3
"""A Qt 5 window with a single-line field above a plain-text view and an OK button; the
counterpart of qt6_text_client.cpp and gtk3_text.py, on Debian's Qt 5.15 (PyQt5). A main
window (accessible role "frame"), as applications have, where the Qt 6 client's top level is
a plain widget ("filler").

Prints "READY <window-xid>" once the window is exposed, so tests wait on that line
instead of sleeping. Run with /usr/bin/python3: other interpreters may lack PyQt5.
"""
import argparse
import sys

from PyQt5.QtCore import QEvent, QObject, QRect
from PyQt5.QtGui import QFont
from PyQt5.QtWidgets import (QApplication, QLineEdit, QMainWindow, QPushButton, QTextEdit,
                             QVBoxLayout, QWidget)


def parse_args(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--title", default="Zorbel Qt 5 client")
    parser.add_argument("--x", type=int, default=100)
    parser.add_argument("--y", type=int, default=100)
    parser.add_argument("--width", type=int, default=480)
    parser.add_argument("--height", type=int, default=320)
    parser.add_argument("--focus", choices=["entry", "view"], default="entry")
    return parser.parse_args(argv)


class ReadyAnnouncer(QObject):
    """Exposure, not show(), is when the X server has mapped the window."""

    def __init__(self, window):
        super().__init__()
        self.window = window
        self.announced = False

    def eventFilter(self, watched, event):  # noqa: N802  Qt's name
        if not self.announced and event.type() == QEvent.Expose and watched.isExposed():
            self.announced = True
            print(f"READY {int(self.window.winId())}", flush=True)
        return False


def main():
    # Qt takes "-title" for itself, so the arguments are read before Qt sees them.
    args = parse_args(sys.argv[1:])
    app = QApplication(sys.argv[:1])
    # A caret that never blinks can be found on every screenshot.
    app.setCursorFlashTime(0)

    window = QMainWindow()
    window.setWindowTitle(args.title)
    content = QWidget(window)
    window.setCentralWidget(content)
    # A fixed face and size keep caret boxes the same from run to run.
    font = QFont("DejaVu Sans Mono", 14)
    font.setStyleHint(QFont.Monospace)
    entry = QLineEdit(content)
    view = QTextEdit(content)
    view.setAcceptRichText(False)
    entry.setFont(font)
    view.setFont(font)
    layout = QVBoxLayout(content)
    layout.addWidget(entry)
    layout.addWidget(view, 1)
    layout.addWidget(QPushButton("OK", content))

    geometry = QRect(args.x, args.y, args.width, args.height)
    window.setGeometry(geometry)
    window.setFixedSize(geometry.size())
    (view if args.focus == "view" else entry).setFocus()

    announcer = ReadyAnnouncer(window)
    window.winId()  # creates the QWindow so the filter can watch it before it is shown
    window.windowHandle().installEventFilter(announcer)
    window.show()
    return app.exec_()


if __name__ == "__main__":
    sys.exit(main())
