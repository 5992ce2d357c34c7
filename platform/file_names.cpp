#include "file_names.h"

#include <QByteArray>
#include <QStringDecoder>

namespace platform {
namespace {

constexpr char16_t kEscapedByte = 0xDC00;

bool isEscapedByte(QChar c)
{
    return c.unicode() >= kEscapedByte + 0x80 && c.unicode() <= kEscapedByte + 0xFF;
}

}  // namespace

QString fileNameText(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError())
        return text;
    text.clear();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        text += QChar(u < 0x80 ? char16_t(u) : char16_t(kEscapedByte + u));
    }
    return text;
}

std::string fileNameBytes(const QString& text)
{
    std::string bytes;
    QString run;  // text between escaped bytes, which goes as UTF-8
    for (const QChar c : text) {
        if (!isEscapedByte(c)) {
            run += c;
            continue;
        }
        bytes += run.toStdString();
        run.clear();
        bytes += static_cast<char>(c.unicode() - kEscapedByte);
    }
    return bytes + run.toStdString();
}

std::string localFileBytes(const QUrl& url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

}  // namespace platform
