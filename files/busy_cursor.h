#pragma once
// A wait cursor for a load or save that takes longer than a moment. The
// reader and writer call progress() now and then; once the moment has
// passed the host shows the wait cursor, until this object goes.
#include <chrono>

#include "storage/read/brain_reader.h"
#include "storage/write/brain_writer.h"
#include "platform/host.h"

namespace files {

class BusyCursor {
public:
    explicit BusyCursor(platform::Host& host, std::chrono::milliseconds after = std::chrono::milliseconds(100));
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // For readBrainFile and writeBrainFile; valid while this object lives.
    storage::Progress progress();

private:
    platform::Host& host_;
    std::chrono::steady_clock::time_point due_;
    bool shown_ = false;
};

}  // namespace files
