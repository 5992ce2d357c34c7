// Reading the corner of a picture that a brain is grown from. Qt's decoders
// are lenient: a BMP, GIF or JPEG cut short comes back "complete", padded
// with black or grey, and damage is only told in a warning on stderr. Here
// the file is watched while it is decoded: a decoder that asks for bytes
// past the end, or a warning from it, means the picture is not whole; and
// what Qt and its codec libraries would print goes into the refusal instead.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "image_file.h"
#include "image_pixels.h"

namespace platform {
namespace {

// Standard input that is not a file is read whole before it is decoded;
// past this, it is no picture but an endless stream.
constexpr qint64 kLargestStream = qint64(1) << 30;
// Enough of a stream's start for Qt to know a picture by its signature.
constexpr qint64 kSignatureBytes = 64;

// Reads through to another device and notes a read that found nothing left
// where the decoder wanted more, and one that found less.
class WatchedDevice : public QIODevice {
public:
    explicit WatchedDevice(QIODevice& inner) : inner_(inner) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return inner_.isSequential(); }
    qint64 size() const override { return inner_.size(); }
    bool seek(qint64 pos) override { return QIODevice::seek(pos) && inner_.seek(pos); }
    bool readPastEnd() const { return readPastEnd_; }
    bool readShort() const { return readShort_; }
    void forget() { readPastEnd_ = readShort_ = false; }

protected:
    qint64 readData(char* data, qint64 most) override
    {
        const qint64 n = inner_.read(data, most);
        if (n == 0 && most > 0)
            readPastEnd_ = true;
        if (n >= 0 && n < most)
            readShort_ = true;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& inner_;
    bool readPastEnd_ = false, readShort_ = false;
};

// Formats whose decoders ask for exactly the bytes the next rows take, and
// which have no end marker: for them a read that comes back short is the
// file ending early. (JPEG and GIF decoders read ahead in blocks, whose last
// is short in a whole file too.)
bool readsExactly(const QByteArray& format)
{
    return format == "bmp" || format == "dib" || format == "png" || format == "ppm" || format == "pgm" || format == "pbm";
}

// What libpng and other codec libraries print on stderr themselves, caught
// in a memory file for the time of a read.
class CatchStderr {
public:
    CatchStderr()
    {
        std::fflush(stderr);
        file_ = ::memfd_create("image-messages", MFD_CLOEXEC);
        saved_ = file_ >= 0 ? ::dup(STDERR_FILENO) : -1;
        if (saved_ >= 0)
            ::dup2(file_, STDERR_FILENO);
    }
    ~CatchStderr()
    {
        restore();
        if (file_ >= 0)
            ::close(file_);
    }
    CatchStderr(const CatchStderr&) = delete;
    CatchStderr& operator=(const CatchStderr&) = delete;

    // The first line printed, if any; stderr is the program's own again.
    std::string firstLine()
    {
        restore();
        std::string text(512, '\0');
        const ssize_t n = file_ >= 0 ? ::pread(file_, text.data(), text.size(), 0) : -1;
        text.resize(n > 0 ? std::size_t(n) : 0);
        return text.substr(0, text.find('\n'));
    }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }
    int file_ = -1, saved_ = -1;
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

// A warning that says nothing against the pixels. libpng's warnings concern
// extras beside them (a colour profile, an ancillary chunk's checksum), and
// libpng reports damage to the pixels as an error; libjpeg's listed here
// are common in photographs that decode whole: stray bytes between markers,
// a newer JFIF revision, an unknown Adobe transform, a broken ICC profile.
bool harmless(const std::string& warning)
{
    for (const char* text : {"libpng warning", "extraneous bytes", "unknown JFIF revision",
                             "Unknown Adobe color transform", "bad ICC marker"})
        if (warning.find(text) != std::string::npos)
            return true;
    return false;
}

FileResult cannotRead(const std::string& name, const std::string& why, int systemError = 0)
{
    return refusal(kReadImage, name, why, systemError);
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

// Why the read went wrong, or empty when it did not: what the reader says,
// the device saw or the decoder warned of.
std::string damage(const QImageReader& reader, const QByteArray& format, const QImage& image,
                   const WatchedDevice& device, const std::vector<std::string>& warnings, const std::string& printed)
{
    if (image.isNull())
        return printed.empty() ? reader.errorString().toStdString() : "the picture is damaged (" + printed + ")";
    if (device.readPastEnd() || (device.readShort() && readsExactly(format)))
        return "the file ends before the picture does: it was cut short";
    for (const std::string& warning : warnings)
        if (!harmless(warning))
            return "the picture is damaged (" + warning + ")";
    return {};
}

FileResult decodeCorner(QIODevice& file, const std::string& name, int side, Surface& out, int& width, int& height)
{
    WatchedDevice device(file);
    CatchMessages messages;
    CatchStderr printed;
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    // Asked now: asked after the read, the reader looks for a picture at the
    // file's end.
    const QByteArray format = reader.format();
    const QSize stored = reader.size();
    if (!stored.isValid()) {
        const std::string why = printed.firstLine();
        return cannotRead(name, why.empty() ? reader.errorString().toStdString()
                                            : "the picture is damaged (" + why + ")");
    }
    const QImageIOHandler::Transformations turn = reader.transformation();
    const bool turned = turn & QImageIOHandler::TransformationRotate90;
    width = turned ? stored.height() : stored.width();
    height = turned ? stored.width() : stored.height();
    if (width < side || height < side)
        return {true, {}};
    const bool clips = reader.supportsOption(QImageIOHandler::ClipRect);
    reader.setClipRect(QRect(storedCorner(turn, stored, side), QSize(side, side)));
    device.forget();
    QImage image = reader.read();
    if (std::string why = damage(reader, format, image, device, messages.messages, printed.firstLine()); !why.empty())
        return cannotRead(name, why);
    if (clips) {
        // A decoder that stops below the corner has not seen the rest of
        // the file: the whole picture is decoded once more, at an eighth of
        // its size, to see that it is whole.
        if (!device.seek(0))
            return cannotRead(name, "the file cannot be read again");
        CatchStderr printedAgain;
        QImageReader whole(&device);
        whole.setAutoTransform(false);
        whole.setScaledSize(QSize((stored.width() + 7) / 8, (stored.height() + 7) / 8));
        device.forget();
        const QImage check = whole.read();
        if (std::string why = damage(whole, format, check, device, messages.messages, printedAgain.firstLine());
            !why.empty())
            return cannotRead(name, why);
    }
    if (image.width() != side || image.height() != side)
        return cannotRead(name, "the picture's pixels could not be read");
    if (!detail::surfaceFromImage(image, out))
        return cannotRead(name, "there is not enough memory for a picture of that size", ENOMEM);
    return {true, {}};
}

}  // namespace

FileResult readImageCorner(int fd, const std::string& name, int side, Surface& out, int& width, int& height)
{
    width = height = 0;
    // Only the corner is decoded where the format allows; where it does not,
    // the whole picture is, and a photograph may pass Qt's usual 128 MiB.
    QImageReader::setAllocationLimit(0);
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return cannotRead(name, file.errorString().toStdString());
        return decodeCorner(file, name, side, out, width, height);
    }
    // A pipe or a terminal cannot be read twice: the whole stream first.
    QByteArray bytes;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            return cannotRead(name, std::string("reading failed: ") + std::strerror(err), err);
        }
        if (n == 0)
            break;
        if (bytes.size() + n > kLargestStream)
            return cannotRead(name, "the stream goes on past " + std::to_string(kLargestStream >> 30)
                        + " GiB, longer than any picture it could be");
        const bool knownYet = bytes.size() >= kSignatureBytes;
        bytes.append(chunk, qsizetype(n));
        // A stream that starts as no picture does (zeros, text) is told so
        // now, not after it has filled the memory.
        if (!knownYet && bytes.size() >= kSignatureBytes) {
            QBuffer start(&bytes);
            start.open(QIODevice::ReadOnly);
            if (QImageReader::imageFormat(&start).isEmpty())
                return cannotRead(name, "it does not start as any picture format Qt reads");
        }
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return decodeCorner(buffer, name, side, out, width, height);
}

}  // namespace platform
