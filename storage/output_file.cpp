#include "storage/output_file.h"

#include "storage/atomic_file.h"

namespace storage {

namespace {

FileResult refuse(const std::string& path, const std::string& why)
{
    return {false, "Cannot write \"" + path + "\": " + why + "."};
}

}  // namespace

FileResult checkOutput(const std::string& path)
{
    if (path == kStandardOutput)
        return {true, {}};
    detail::Target target;
    if (std::string problem = detail::targetProblem(path, target); !problem.empty())
        return refuse(path, problem);
    return {true, {}};
}

FileResult writeFile(const std::string& path, const std::string& bytes, WriteOptions options)
{
    detail::AtomicFile file(path, options.sync);
    if (!file.open() || !file.write(bytes.data(), bytes.size()) || !file.commit())
        return refuse(path, file.error());
    return {true, {}};
}

}  // namespace storage
