#include "output_path.h"

#include <sys/stat.h>

#include "arguments.h"
#include "standard_streams.h"
#include "storage/output/output_file.h"

namespace cli {

void checkOutputPath(const std::string& target, const std::string& input)
{
    const storage::FileResult r = storage::checkOutput(target);
    if (!r.ok)
        throw Refusal(r);
    // By identity, not by name: "./a.png", a link to it and a second name
    // of the folder all lead to the same file.
    struct stat out {}, in {};
    if (!input.empty() && input != storage::kStandardOutput && target != storage::kStandardOutput
        && ::stat(target.c_str(), &out) == 0 && ::stat(input.c_str(), &in) == 0 && out.st_dev == in.st_dev
        && out.st_ino == in.st_ino)
        throw Refusal(storage::refusal("write", target,
                                       "it is the input \"" + input + "\" itself, which would be lost; write under "
                                       "another name"));
}

void report(const std::string& target, const std::string& text, bool flush)
{
    if (target != storage::kStandardOutput) {
        printOut(text, flush);
        return;
    }
    printErr(text);
}

}  // namespace cli
