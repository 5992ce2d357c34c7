// Reading the corner of a picture that a brain is grown from. Qt's decoders
// are lenient: a BMP, GIF or JPEG cut short comes back "complete", padded
// with black or grey, and damage is only said in a warning on stderr. Here
// the file is watched while it is decoded: a decoder that asks for bytes
// past the end, or a warning from it, means the picture is not whole.
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cerrno>
#include <cstring>
#include <vector>

#include "image_file.h"

namespace platform {
namespace {

// Standard input that is not a file is read whole before it is decoded;
// past this, it is no picture but an endless stream.
constexpr qint64 kLargestStream = qint64(4) << 30;

// Reads through to another device and notes a read that found nothing left
// where the decoder wanted more.
class WatchedDevice : public QIODevice {
public:
    explicit WatchedDevice(QIODevice& inner) : inner_(inner) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return inner_.isSequential(); }
    qint64 size() const override { return inner_.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && inner_.seek(pos); }
    bool readPastEnd() const { return readPastEnd_; }
    void forget() { readPastEnd_ = false; }

protected:
    qint64 readData(char* data, qint64 most) override
    {
        const qint64 n = inner_.read(data, most);
        if (n == 0 && most > 0)
            readPastEnd_ = true;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& inner_;
    bool readPastEnd_ = false;
};

// Qt's messages while a picture is decoded, kept off stderr.
std::vector<std::string>* caught = nullptr;
void catchMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (caught && type != QtDebugMsg && type != QtInfoMsg)
        caught->push_back(text.toStdString());
}

class CatchMessages {
public:
    CatchMessages() : previous_(qInstallMessageHandler(catchMessage)) { caught = &messages; }
    ~CatchMessages()
    {
        caught = nullptr;
        qInstallMessageHandler(previous_);
    }
    CatchMessages(const CatchMessages&) = delete;
    CatchMessages& operator=(const CatchMessages&) = delete;
    std::vector<std::string> messages;

private:
    QtMessageHandler previous_;
};

// A warning that says the pixels are not what the file meant. libpng's
// warnings concern extras beside the pixels (a colour profile, a chunk's
// checksum), whose failures libpng reports as errors; stray bytes between
// a JPEG's parts are common in photographs that decode whole.
bool harmless(const std::string& warning)
{
    return warning.find("libpng warning") != std::string::npos
        || warning.find("extraneous bytes") != std::string::npos;
}

ImageResult fail(std::string why)
{
    return {false, std::move(why)};
}

// Which corner of the stored pixels becomes the top-left corner once the
// orientation is applied: Qt mirrors and flips first, then turns clockwise.
QPoint storedCorner(QImageIOHandler::Transformations t, QSize stored, int side)
{
    bool left = true, top = true;
    if (t & QImageIOHandler::TransformationRotate90)
        top = false;
    if (t & QImageIOHandler::TransformationMirror)
        left = !left;
    if (t & QImageIOHandler::TransformationFlip)
        top = !top;
    return {left ? 0 : stored.width() - side, top ? 0 : stored.height() - side};
}

ImageResult decodeCorner(QIODevice& file, int side, Surface& out, int& width, int& height)
{
    WatchedDevice device(file);
    CatchMessages messages;
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid())
        return fail(reader.errorString().toStdString());
    const QImageIOHandler::Transformations turn = reader.transformation();
    const bool turned = turn & QImageIOHandler::TransformationRotate90;
    width = turned ? stored.height() : stored.width();
    height = turned ? stored.width() : stored.height();
    if (width < side || height < side)
        return {true, {}};
    reader.setClipRect(QRect(storedCorner(turn, stored, side), QSize(side, side)));
    device.forget();
    QImage image = reader.read();
    if (image.isNull())
        return fail(reader.errorString().toStdString());
    if (device.readPastEnd())
        return fail("the file ends before the picture does: it was cut short");
    for (const std::string& warning : messages.messages)
        if (!harmless(warning))
            return fail("the picture is damaged (" + warning + ")");
    if (image.width() != side || image.height() != side)
        return fail("the picture's pixels could not be read");
    // Non-premultiplied, so a transparent pixel keeps the colour it stores.
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return fail("there is not enough memory for a picture of that size");
    out = Surface(side, side);
    for (int y = 0; y < side; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const std::span<Colour> dst = out.changeRow(y, 0, side - 1);
        for (int x = 0; x < side; ++x)
            dst[std::size_t(x)] = rgb(qRed(src[x]), qGreen(src[x]), qBlue(src[x]));
    }
    return {true, {}};
}

}  // namespace

ImageResult readImageCorner(int fd, int side, Surface& out, int& width, int& height)
{
    width = height = 0;
    // Only the corner is decoded where the format allows; where it does not,
    // the whole picture is, and a photograph may pass Qt's usual 128 MiB.
    QImageReader::setAllocationLimit(0);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return fail(file.errorString().toStdString());
        return decodeCorner(file, side, out, width, height);
    }
    // A pipe or a terminal cannot be read twice: the whole stream first.
    QByteArray bytes;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(std::string("reading failed: ") + std::strerror(errno));
        if (n == 0)
            break;
        if (bytes.size() + n > kLargestStream)
            return fail("the stream goes on past " + std::to_string(kLargestStream >> 30)
                        + " GiB, longer than any picture it could be");
        bytes.append(chunk, qsizetype(n));
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return decodeCorner(buffer, side, out, width, height);
}

}  // namespace platform
