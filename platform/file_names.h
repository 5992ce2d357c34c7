#pragma once
// File names are bytes, as the system keeps them; Qt holds text. These turn
// one into the other without loss, so that a name that is not UTF-8 (say
// Latin-1 from an old disk) still opens the file it names.
#include <QString>
#include <QUrl>
#include <string>

namespace platform {

// UTF-8 names become their text; in any other, each byte from 0x80 up
// stands for itself as a lone low surrogate (U+DC80..U+DCFF), which no
// UTF-8 text holds.
QString fileNameText(const std::string& bytes);

// The bytes fileNameText() was made from; other text as UTF-8.
std::string fileNameBytes(const QString& text);

// The bytes of a local file's URL as it was sent (file:///a%E9.brain), which
// QUrl's own decoding, being UTF-8 only, would spoil.
std::string localFileBytes(const QUrl& url);

}  // namespace platform
