#pragma once
// The one scratch folder of the C++ tests: made fresh, removed with all in it
// afterwards, with a way to stage files in it (a fake /proc or /sys as well).
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace scratch {

struct ScratchDir {
    std::string path = (std::filesystem::temp_directory_path() / "cerebrix-test-XXXXXX").string();
    ScratchDir()
    {
        if (!::mkdtemp(path.data()))
            throw std::runtime_error("cannot make a scratch folder");
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
    // Writes `text` to `name`, making the folders on its way.
    void put(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
        std::ofstream(file(name), std::ios::binary) << text;
    }
};

}  // namespace scratch
