#pragma once
// Shared by the brain-file tests: a scratch folder, whole-file reads, and
// brains and brain texts built independently of the code under test.
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "brain/cell_grid.h"
#include "files/brain_file.h"

namespace files::test {

// A fresh folder, removed with everything in it afterwards.
class ScratchDir {
public:
    ScratchDir()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/brainfile-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir()
    {
        if (!path_.empty())
            (void)std::system(("chmod -R u+rwx '" + path_ + "' && rm -rf '" + path_ + "'").c_str());
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

    // Names in the folder, "." and ".." left out.
    std::vector<std::string> entries() const { return list(path_); }

    static std::vector<std::string> list(const std::string& folder)
    {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(folder.c_str())) {
            while (dirent* e = ::readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..")
                    names.push_back(n);
            }
            ::closedir(d);
        }
        return names;
    }

private:
    std::string path_;
};

inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void spit(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A grid of side n whose cells follow a fixed pseudo-random pattern that
// covers 1-, 2- and 3-digit values.
inline std::unique_ptr<brain::CellGrid> patternGrid(int n, unsigned seed = 1)
{
    auto grid = brain::CellGrid::allocate(n);
    unsigned s = seed * 2654435761u + 12345u;
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < grid->planeBytes(); ++i) {
            s = s * 1103515245u + 12345u;
            grid->plane(c)[i] = std::uint8_t(s >> 16);
        }
    return grid;
}

inline BrainHeader headerOfSize(int n)
{
    BrainHeader h;
    h.dimX = h.dimY = h.dimZ = n;
    return h;
}

// A brain text from a header line and a value for every field that follows,
// each ended by `eol`.
inline std::string brainText(const std::string& header, int n, int value = 7,
                             const std::string& eol = "\r\n")
{
    std::string text = header + eol;
    for (int i = 0; i < 3 * n * n * n; ++i)
        text += std::to_string((value + i) % 256) + eol;
    return text;
}

}  // namespace files::test
