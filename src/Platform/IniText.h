#pragma once

#include <QByteArray>

namespace zorbel::platform {

// What of an INI file's text can be trusted. A damaged line can change how Qt
// reads every line after it (an open quote runs on to the end of the file), so
// the trusted text keeps only the lines that read the same on their own as in
// the file: a line is dropped when it is neither blank, a comment, a closed
// section header nor a key with "=", when it holds control bytes, or when it
// ends inside a quote or on a line-joining backslash. Lines below a broken
// section header are dropped up to the next sound header, since the section
// they belong to is unknown.
struct IniText {
    QByteArray trusted;
    int firstDamagedLine = 0;  // counted from 1; 0: nothing is damaged
    bool damaged() const { return firstDamagedLine != 0; }
};

IniText checkIniText(const QByteArray& bytes);

}  // namespace zorbel::platform
