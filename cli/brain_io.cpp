#include <string>

#include "commands.h"
#include "input_files.h"
#include "output_path.h"
#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"

namespace cli {

storage::LoadedBrain loadBrain(const Arguments& args, long long* length)
{
    if (args.words.empty())
        throw UsageError("a brain file to read is required");
    if (args.words.size() > 1)
        throw UsageError("one brain file only; '" + args.words[1] + "' is one too many");
    return loadBrainFile(args.words[0], length);
}

storage::LoadedBrain loadBrainFile(const std::string& name, long long* length)
{
    const InputFile input(name, "load");
    if (length)
        *length = input.length();
    storage::LoadedBrain brain;
    const storage::FileResult result = storage::readBrainStream(input.fd(), brain, input.name());
    if (!result.ok)
        throw Refusal(result);
    return brain;
}

void saveBrain(const std::string& path, const storage::LoadedBrain& brain, const std::string& result)
{
    const bool toStdout = path == storage::kStandardOutput;
    if (!result.empty() && !toStdout)
        report(path, result, true);
    const storage::FileResult written = storage::writeBrainFile(path, brain.header, *brain.cells);
    if (!written.ok)
        throw Refusal(written);
    if (!result.empty() && toStdout)
        report(path, result);
}

std::string describeApex(const brain::Apex& apex)
{
    return std::to_string(apex.red) + "," + std::to_string(apex.green) + "," + std::to_string(apex.blue)
        + " (output " + std::to_string(apex.value()) + ")";
}

brain::Apex storedApex(const brain::CellGrid& cells)
{
    const int top = cells.size() - 1;
    return {cells.at(brain::Red, top, top, top), cells.at(brain::Green, top, top, top),
            cells.at(brain::Blue, top, top, top)};
}

}  // namespace cli
