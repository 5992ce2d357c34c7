// render: a layer as the window shows it, as a picture in the format its
// name asks for; or every layer, one picture each, encoded on both cores.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <functional>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#include "brain/canvases.h"
#include "brain/sampling.h"
#include "commands.h"
#include "output_path.h"
#include "pattern.h"
#include "picture_format.h"
#include "platform/image_file.h"
#include "progress.h"
#include "storage/output/file_batch.h"

namespace cli {
namespace {

using storage::FileResult;

// Ctrl-C or a hang-up while the pictures are being made: the threads stop
// after the picture in hand, the temporary files go, then the signal takes
// its usual course.
std::atomic<int> interruptedBy{0};
extern "C" void noteInterrupt(int signal)
{
    interruptedBy = signal;
}
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// A whole brain's pictures at once are made for speed: zlib's fastest level
// that compresses still packs the white around each layer's square to
// nearly nothing, at a fraction of the usual level's time.
constexpr int kBatchZlibLevel = 1;

// Every layer, shared out between the threads one layer at a time.
class AllLayers {
public:
    AllLayers(const brain::CellGrid& cells, int scale, const LayerPattern& pattern, std::string format)
        : cells_(cells), scale_(scale), pattern_(pattern), format_(std::move(format))
    {
    }

    // Runs on each thread until the layers are done, one fails or a signal
    // comes; progress only on the thread that draws it.
    void work(Progress* progress)
    {
        try {
            layers(progress);
        } catch (const std::bad_alloc&) {
            fail({false, "there is not enough memory for pictures of that size", ENOMEM});
        }
    }

    // Puts every picture in place, or none. A signal that came while they
    // were made, or while they were put in place (the commit then puts the
    // old pictures back), ends the program by that signal once the
    // handlers are given back.
    void finish(const std::function<void()>& restoreHandlers)
    {
        FileResult committed{};
        if (interruptedBy.load() == 0 && !failed_)
            committed = files_.commit();
        files_.discard();
        restoreHandlers();
        if (const int signal = interruptedBy.load())
            std::raise(signal);
        if (failed_)
            throw Refusal(FileResult{false, error_.error + "; no picture was written", error_.systemError});
        if (!committed.ok)
            throw Refusal(committed);
    }

private:
    void layers(Progress* progress)
    {
        const int n = cells_.size();
        platform::Surface window(n, n);
        brain::Canvases canvases;
        canvases.cover(n, n);
        std::string png;
        for (int z = next_++; z < n && !failed_ && interruptedBy == 0; z = next_++) {
            brain::showLayerAlone(cells_, z, window, canvases);
            const std::string target = pattern_.name(z + 1);
            const FileResult encoded =
                platform::encodeImage(window, n, n, scale_, format_, png, target, kBatchZlibLevel);
            if (!encoded.ok)
                return fail(encoded);
            if (const FileResult put = files_.put(target, png); !put.ok)
                return fail(put);
            ++done_;
            if (progress)
                progress->update(done_);
        }
    }

    // The first refusal is the one told, without its full stop: the message
    // goes on to say that no picture was written.
    void fail(const FileResult& refused)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failed_) {
            error_ = refused;
            if (error_.error.ends_with('.'))
                error_.error.pop_back();
        }
        failed_ = true;
    }

    const brain::CellGrid& cells_;
    const int scale_;
    const LayerPattern& pattern_;
    const std::string format_;
    // Not flushed to the disk: a whole brain's pictures are made for speed.
    storage::FileBatch files_{storage::WriteOptions{false}};
    std::atomic<int> next_{0}, done_{0};
    std::atomic<bool> failed_{false};
    std::mutex mutex_;
    FileResult error_;
};

void renderAll(const brain::CellGrid& cells, int scale, const LayerPattern& pattern, const std::string& format)
{
    // A signal the caller ignores (nohup) stays ignored.
    using Handler = void (*)(int);
    Handler previous[std::size(kInterrupts)];
    for (std::size_t i = 0; i < std::size(kInterrupts); ++i)
        if ((previous[i] = std::signal(kInterrupts[i], noteInterrupt)) == SIG_IGN)
            std::signal(kInterrupts[i], SIG_IGN);
    AllLayers job(cells, scale, pattern, format);
    {
        Progress progress("rendering", cells.size());
        std::thread helper;
        try {
            helper = std::thread([&job] { job.work(nullptr); });
        } catch (const std::system_error&) {
            // One thread does all the layers then.
        }
        job.work(&progress);
        if (helper.joinable())
            helper.join();
        progress.update(cells.size());
    }
    job.finish([&previous] {
        for (std::size_t i = 0; i < std::size(kInterrupts); ++i)
            std::signal(kInterrupts[i], previous[i]);
    });
}

void renderOne(const brain::CellGrid& cells, int z, int scale, const std::string& target, const std::string& format)
{
    const int n = cells.size();
    platform::Surface window(n, n);
    brain::Canvases canvases;
    canvases.cover(n, n);
    brain::showLayerAlone(cells, z, window, canvases);
    std::string png;
    const FileResult encoded = platform::encodeImage(window, n, n, scale, format, png, target);
    if (!encoded.ok)
        throw Refusal(encoded);
    if (const FileResult written = storage::writeFile(target, png); !written.ok)
        throw Refusal(written);
}

}  // namespace

int renderCommand(const Arguments& args)
{
    const std::string& layer = args.required("layer");
    const std::string& out = args.required("output");
    const std::string scaleText = args.value("scale").value_or("1");
    const bool all = layer == "all";
    const std::string input = args.words.empty() ? "" : args.words[0];
    const std::optional<LayerPattern> pattern = all ? std::optional<LayerPattern>(LayerPattern(out)) : std::nullopt;
    const std::string first = pattern ? pattern->name(1) : out;
    // Its own input first: a brain named as the picture is that mistake,
    // whatever its suffix says.
    checkOutputPath(first, input);
    const std::string format = pictureFormatFor(first);
    const storage::LoadedBrain brain = loadBrain(args);
    const int n = brain.cells->size();
    const int largestScale = platform::kLargestPictureSide / n;
    if (largestScale < 1)
        throw Refusal("a brain of size " + std::to_string(n) + " is too large for a picture");
    const int scale = parseNumber(scaleText, "the scale", 1, largestScale);
    if (all) {
        // Every name now, so that a folder in the way of layer 300 does not
        // surface only after the first 299 pictures are in place.
        for (int l = 2; l <= n; ++l)
            checkOutputPath(pattern->name(l), input);
        renderAll(*brain.cells, scale, *pattern, format);
    } else {
        const int z = parseNumber(layer, "the layer", 1, n) - 1;
        renderOne(*brain.cells, z, scale, out, format);
    }
    return 0;
}

}  // namespace cli
