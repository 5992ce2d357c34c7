#pragma once
// The X server's own account of the pointer: every movement, press and
// release, read on a connection of our own through the RECORD extension,
// which sees them whatever window or grab they go to. The toolkit drops a
// movement whenever a later one is already waiting; this record is what
// brings those back.
#include <memory>

#include "pointer_log.h"

namespace platform {

class X11PointerRecord {
public:
    // Nothing where the program does not run on an X server, or the server
    // cannot record: the window then has the movements the toolkit gives.
    static std::unique_ptr<X11PointerRecord> open();
    ~X11PointerRecord();
    X11PointerRecord(const X11PointerRecord&) = delete;
    X11PointerRecord& operator=(const X11PointerRecord&) = delete;

    // Takes into the log what the server has sent; with waitMs > 0 first
    // waits that long at most for something to arrive. False once the
    // connection is gone.
    bool read(int waitMs = 0);

    PointerLog& log() { return log_; }

private:
    struct Connections;
    explicit X11PointerRecord(std::unique_ptr<Connections> c);
    static std::unique_ptr<X11PointerRecord> start();

    PointerLog log_;  // first, so that it outlasts the connections, which write to it while closing
    std::unique_ptr<Connections> x_;
};

}  // namespace platform
