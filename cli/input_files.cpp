#include "input_files.h"

#include <unistd.h>

#include "arguments.h"

namespace cli {

InputFile::InputFile(const std::string& path, const std::string& verb)
{
    if (path.empty())
        throw Refusal("Cannot " + verb + ": the input file name is empty");
    if (storage::FileResult opened = storage::openInput(path, verb, input_, true); !opened.ok)
        throw Refusal(opened);
    if (S_ISREG(input_.st.st_mode)) {
        const off_t at = ::lseek(fd(), 0, SEEK_CUR);
        const off_t size = input_.st.st_size;
        length_ = at >= 0 && at <= size ? (long long)(size - at) : (long long)size;
    }
}

}  // namespace cli
