#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <map>

namespace zorbel::platform::ini {

using Values = std::map<QString, QVariant>;

// Settings as the text of an INI file, in the form Qt's QSettings reads and
// writes (so files written by earlier versions read the same), built and read
// in memory: QSettings reads and writes only through files of its own (a
// temporary folder to parse, no error on a full disk). Every key goes into
// [General]; a "/" in a key is written "\", which reads back as "/".
// Text, numbers and Booleans are written as text, bytes as "@ByteArray(...)",
// lists of text as comma-separated items, other types as "@Variant(...)".
QByteArray encode(const Values& values);

// Reads the keys of an INI text whose lines are known to be sound (see
// IniText): sections prefix their keys with "<section>/", comments and blank
// lines are skipped, the last of two equal keys wins.
Values decode(const QByteArray& text);

}  // namespace zorbel::platform::ini
