#include "storage/output/output_file.h"

#include "storage/output/atomic_file.h"
#include "storage/output/target.h"

namespace storage {

FileResult checkOutput(const std::string& path)
{
    if (path == kStandardOutput)
        return {true, {}};
    detail::Target target;
    if (std::string problem = detail::targetProblem(path, target); !problem.empty())
        return refusal("write", path, problem);
    return {true, {}};
}

FileResult writeFile(const std::string& path, const std::string& bytes, WriteOptions options)
{
    detail::AtomicFile file(path, options.sync);
    if (!file.open() || !file.write(bytes.data(), bytes.size()) || !file.commit())
        return refusal("write", path, file.error());
    return {true, {}};
}

}  // namespace storage
