#include "storage/output_file.h"

#include "storage/atomic_file.h"

namespace storage {

FileResult detail::writeRefusal(const std::string& path, const std::string& why)
{
    const std::string what = path == kStandardOutput ? "Cannot write to standard output" : "Cannot write \"" + path + "\"";
    return {false, what + ": " + why + "."};
}

FileResult checkOutput(const std::string& path)
{
    if (path == kStandardOutput)
        return {true, {}};
    detail::Target target;
    if (std::string problem = detail::targetProblem(path, target); !problem.empty())
        return detail::writeRefusal(path, problem);
    return {true, {}};
}

FileResult writeFile(const std::string& path, const std::string& bytes, WriteOptions options)
{
    detail::AtomicFile file(path, options.sync);
    if (!file.open() || !file.write(bytes.data(), bytes.size()) || !file.commit())
        return detail::writeRefusal(path, file.error());
    return {true, {}};
}

}  // namespace storage
