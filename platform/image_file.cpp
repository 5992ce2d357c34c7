#include "image_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "image_pixels.h"

namespace platform {
namespace {

FileResult cannotWrite(const std::string& name, const std::string& why, int systemError = 0)
{
    return refusal("write", name, why, systemError);
}

// Qt takes a compression of 0..100 and hands n * 9 / 91 to zlib: the least
// n that gives the wanted level.
int qtCompression(int zlibLevel)
{
    return (zlibLevel * 91 + 8) / 9;
}

}  // namespace

namespace detail {

bool surfaceFromImage(const QImage& image, Surface& out)
{
    // Non-premultiplied, so a transparent pixel keeps the colour it stores.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull())
        return false;
    const int w = argb.width(), h = argb.height();
    out = Surface(w, h);
    for (int y = 0; y < h; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        const std::span<Colour> dst = out.changeRow(y, 0, w - 1);
        for (int x = 0; x < w; ++x)
            dst[std::size_t(x)] = rgb(qRed(src[x]), qGreen(src[x]), qBlue(src[x]));
    }
    return true;
}

}  // namespace detail

FileResult readImage(const std::string& path, Surface& out)
{
    QImageReader reader(QString::fromStdString(path));
    // The pixels as stored: the top-left corner is the file's first pixel.
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull())
        return refusal(kReadImage, path, reader.errorString().toStdString());
    if (!detail::surfaceFromImage(image, out))
        return refusal(kReadImage, path, "there is not enough memory for a picture of that size", ENOMEM);
    return {true, {}};
}

std::vector<std::string> writableImageFormats()
{
    std::vector<std::string> out;
    for (const QByteArray& format : QImageWriter::supportedImageFormats())
        out.push_back(format.toLower().toStdString());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

FileResult encodePng(const Surface& surface, int width, int height, int scale, std::string& png,
                     const std::string& name, int zlibLevel)
{
    return encodeImage(surface, width, height, scale, "png", png, name, zlibLevel);
}

FileResult encodeImage(const Surface& surface, int width, int height, int scale, const std::string& format,
                       std::string& out, const std::string& name, int zlibLevel)
{
    if (width < 1 || height < 1 || scale < 1 || width > surface.width() || height > surface.height()
        || zlibLevel < 0 || zlibLevel > 9)
        return cannotWrite(name, "there is no picture of that size to write");
    if (width > kLargestPictureSide / scale || height > kLargestPictureSide / scale)
        return cannotWrite(name, "a picture may be at most " + std::to_string(kLargestPictureSide)
                                     + " pixels wide and high");
    QImage image(width * scale, height * scale, QImage::Format_RGB888);
    if (image.isNull())
        return cannotWrite(name, "there is not enough memory for a picture of that size", ENOMEM);
    for (int y = 0; y < height; ++y) {
        const Colour* src = surface.row(y);
        uchar* first = image.scanLine(y * scale);
        uchar* p = first;
        for (int x = 0; x < width; ++x) {
            const Colour c = src[x];
            for (int i = 0; i < scale; ++i) {
                *p++ = uchar(c & 0xFF);
                *p++ = uchar((c >> 8) & 0xFF);
                *p++ = uchar((c >> 16) & 0xFF);
            }
        }
        const std::size_t rowBytes = std::size_t(width) * std::size_t(scale) * 3;
        for (int i = 1; i < scale; ++i)
            std::memcpy(image.scanLine(y * scale + i), first, rowBytes);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArray::fromStdString(format));
    if (format == "png")
        writer.setCompression(qtCompression(zlibLevel));
    if (!writer.write(image))
        return cannotWrite(name, writer.errorString().toStdString());
    out.assign(bytes.constData(), std::size_t(bytes.size()));
    return {true, {}};
}

}  // namespace platform
