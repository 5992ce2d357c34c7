// The two figures the web page is held to, measured the same way natively
// and in the browser: one generation of a brain of size N on one thread, and
// loading that brain from a file (the page's file system in the browser),
// and reading the same text from memory, which tells the reader's own share.
// Prints one JSON line of medians in milliseconds. bench/web/run.py runs
// both and sets them side by side.
//   web_figures [N [REPETITIONS [FOLDER]]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "brain/generation.h"
#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"

namespace {

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F>
double timedMs(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 410;
    const int reps = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    const std::string folder = argc > 3 ? argv[3] : "/tmp";
    auto grid = brain::CellGrid::allocate(n);
    unsigned r = 7;  // the pyramid full of values of every width, as the program leaves it
    for (int z = 0; z < n; ++z)
        for (int y = z; y < n; ++y)
            for (int x = z; x < n; ++x)
                for (int c = 0; c < 3; ++c) {
                    r = r * 1103515245u + 12345u;
                    grid->set(c, x, y, z, std::uint8_t(r >> 16));
                }
    std::vector<double> generation, load, parse;
    int apex = 0;
    for (int i = 0; i < reps; ++i)
        generation.push_back(timedMs([&] { apex += brain::generate(*grid, 1).value(); }));

    storage::BrainHeader header;
    header.dimX = header.dimY = header.dimZ = n;
    const std::string path = folder + "/web_figures.brain";
    if (!storage::writeBrainFile(path, header, *grid, storage::WriteOptions{false}).ok) {
        std::fprintf(stderr, "web_figures: cannot write %s\n", path.c_str());
        return 1;
    }
    for (int i = 0; i < reps; ++i) {
        storage::LoadedBrain loaded;
        load.push_back(timedMs([&] {
            if (!storage::readBrainFile(path, loaded).ok)
                std::abort();
        }));
    }
    // One copy of the text in memory: the page's 2 GiB hold it beside two grids.
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        bytes.resize(std::size_t(in.tellg()));
        in.seekg(0);
        in.read(bytes.data(), std::streamsize(bytes.size()));
    }
    std::remove(path.c_str());
    for (int i = 0; i < reps; ++i) {
        storage::LoadedBrain loaded;
        parse.push_back(timedMs([&] {
            if (!storage::readBrainText(bytes.data(), bytes.size(), loaded, "memory").ok)
                std::abort();
        }));
    }
    std::printf("{\"n\": %d, \"generation_ms\": %.2f, \"load_ms\": %.2f, \"parse_ms\": %.2f, \"apex_sum\": %d}\n", n,
                medianOf(generation), medianOf(load), medianOf(parse), apex);
    return 0;
}
