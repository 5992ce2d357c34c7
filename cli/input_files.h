#pragma once
// The files a command reads, named on its command line: "-" is standard
// input, whatever it is; any other name must be an ordinary file, so that a
// FIFO or a device cannot hang the command or feed it without end.
#include <string>

#include "storage/input_file.h"

namespace cli {

class InputFile {
public:
    // Opens `path`, or takes standard input for "-"; a Refusal "Cannot
    // <verb> "path": why." otherwise.
    InputFile(const std::string& path, const std::string& verb);

    int fd() const { return input_.fd.get(); }
    bool isStandardInput() const { return !input_.fd.owned(); }
    // The input as messages name it: the path, or "standard input".
    const std::string& name() const { return input_.name; }
    // Bytes from where reading starts to the end; -1 when that is not known
    // beforehand (a pipe or a terminal on standard input).
    long long length() const { return length_; }

private:
    storage::OpenedInput input_;
    long long length_ = -1;
};

}  // namespace cli
