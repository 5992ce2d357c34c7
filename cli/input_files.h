#pragma once
// The files a command reads, named on its command line: "-" is standard
// input, whatever it is; any other name must be an ordinary file, so that a
// FIFO or a device cannot hang the command or feed it without end.
#include <string>

namespace cli {

class InputFile {
public:
    // Opens `path`, or takes standard input for "-"; a Refusal that starts
    // with `failure` ("Cannot load", ...) and names the input otherwise.
    InputFile(const std::string& path, const std::string& failure);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int fd() const { return fd_; }
    bool isStandardInput() const { return !owned_; }
    // The input as messages name it: the path, or "standard input".
    const std::string& name() const { return name_; }
    // Bytes from where reading starts to the end; -1 when that is not known
    // beforehand (a pipe or a terminal on standard input).
    long long length() const { return length_; }

private:
    int fd_ = -1;
    bool owned_ = false;
    std::string name_;
    long long length_ = -1;
};

}  // namespace cli
