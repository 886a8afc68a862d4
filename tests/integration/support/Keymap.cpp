// Binds characters the keyboard map lacks to spare keys for good. xdotool would bind each
// such character for one keystroke and undo it at once; a client that reads the keymap
// only after the undo (Qt does) then drops the character.
#include "support/DesktopTools.h"

#include <QList>

#include <X11/Xlib.h>

#include <memory>
#include <set>
#include <vector>

namespace zorbel::integration {
namespace {

// Latin-1 keysyms equal their code points; every other character has a Unicode keysym.
KeySym keysymFor(char32_t character) {
  return character <= 0xff ? character : (0x01000000 | character);
}

}  // namespace

bool makeTypeable(const QString& text) {
  std::set<KeySym> wanted;
  for (const char32_t character : text.toUcs4()) {
    if (character >= 0xa0) wanted.insert(keysymFor(character));
  }
  if (wanted.empty()) return true;

  std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
  if (!display) return false;
  int minKeycode = 0, maxKeycode = 0, perKeycode = 0;
  XDisplayKeycodes(display.get(), &minKeycode, &maxKeycode);
  const int count = maxKeycode - minKeycode + 1;
  std::unique_ptr<KeySym, int (*)(void*)> map(
      XGetKeyboardMapping(display.get(), static_cast<KeyCode>(minKeycode), count, &perKeycode), XFree);
  if (!map) return false;

  std::vector<int> spare;
  for (int row = 0; row < count; ++row) {
    bool empty = true;
    for (int column = 0; column < perKeycode; ++column) {
      const KeySym symbol = map.get()[row * perKeycode + column];
      wanted.erase(symbol);
      empty = empty && symbol == NoSymbol;
    }
    if (empty) spare.push_back(minKeycode + row);
  }

  // Spare keys from the bottom: xdotool takes its scratch key from the top.
  auto key = spare.begin();
  for (KeySym symbol : wanted) {
    if (key == spare.end()) break;  // the rest is left to xdotool's own binding
    XChangeKeyboardMapping(display.get(), *key++, 1, &symbol, 1);
  }
  XSync(display.get(), False);
  return true;
}

}  // namespace zorbel::integration
