// Two connections of our own to the X server: one to set up the recording,
// one on which the server sends every pointer event as it processes it.
// They are used on the window's thread only, when the window handles a
// pointer event, so nothing here needs a lock or a thread of its own.
#include "x11_pointer_record.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <poll.h>

#include <cstring>

#include "host.h"

namespace platform {

namespace {

// The buttons held, from the state of a core event.
int buttonsOf(unsigned state)
{
    return (state & Button1Mask ? mouse::Left : 0) | (state & Button2Mask ? mouse::Middle : 0) |
           (state & Button3Mask ? mouse::Right : 0);
}

// One core device event as the server recorded it: type, detail, time, the
// position on the root window and the state, at their places in the wire
// format, in our own byte order.
void onRecorded(XPointer closure, XRecordInterceptData* d)
{
    if (d->category == XRecordFromServer && d->data_len * 4 >= sizeof(xEvent)) {
        xEvent e;
        std::memcpy(&e, d->data, sizeof e);
        const int type = e.u.u.type & 0x7f;
        const int button = e.u.u.detail;
        // The wheel's "buttons" turn into wheel events, never into presses.
        const bool wheel = type != MotionNotify && button >= 4 && button <= 7;
        if ((type == ButtonPress || type == ButtonRelease || type == MotionNotify) && !wheel) {
            PointerEvent p;
            p.kind = type == MotionNotify ? PointerKind::Move : type == ButtonPress ? PointerKind::Press
                                                                                      : PointerKind::Release;
            p.time = std::uint32_t(e.u.keyButtonPointer.time);
            p.x = e.u.keyButtonPointer.rootX;
            p.y = e.u.keyButtonPointer.rootY;
            p.buttons = buttonsOf(e.u.keyButtonPointer.state);
            reinterpret_cast<PointerLog*>(closure)->record(p);
        }
    }
    XRecordFreeData(d);
}

// Xlib's own handler would end the program on an error: while the recording
// is set up, a refusal means only that there is none.
bool refused = false;
int noteRefusal(Display*, XErrorEvent*)
{
    refused = true;
    return 0;
}

}  // namespace

struct X11PointerRecord::Connections {
    Display* control = nullptr;
    Display* data = nullptr;
    XRecordContext context = 0;

    ~Connections()
    {
        if (control && context) {
            XRecordDisableContext(control, context);
            XRecordFreeContext(control, context);
            XSync(control, False);
        }
        if (data)
            XCloseDisplay(data);
        if (control)
            XCloseDisplay(control);
    }
};

X11PointerRecord::X11PointerRecord(std::unique_ptr<Connections> c) : x_(std::move(c)) {}

X11PointerRecord::~X11PointerRecord() = default;

std::unique_ptr<X11PointerRecord> X11PointerRecord::open()
{
    refused = false;
    XErrorHandler before = XSetErrorHandler(noteRefusal);
    std::unique_ptr<X11PointerRecord> record = start();
    XSetErrorHandler(before);
    return refused ? nullptr : std::move(record);
}

std::unique_ptr<X11PointerRecord> X11PointerRecord::start()
{
    auto c = std::make_unique<Connections>();
    c->control = XOpenDisplay(nullptr);
    if (!c->control)
        return nullptr;
    int major = 0, minor = 0;
    if (!XRecordQueryVersion(c->control, &major, &minor))
        return nullptr;
    c->data = XOpenDisplay(nullptr);
    if (!c->data)
        return nullptr;
    XRecordRange* range = XRecordAllocRange();
    if (!range)
        return nullptr;
    range->device_events.first = ButtonPress;
    range->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    c->context = XRecordCreateContext(c->control, 0, &clients, 1, &range, 1);
    XFree(range);
    if (!c->context)
        return nullptr;
    XSync(c->control, False);
    std::unique_ptr<X11PointerRecord> record(new X11PointerRecord(std::move(c)));
    if (!XRecordEnableContextAsync(record->x_->data, record->x_->context, onRecorded,
                                   reinterpret_cast<XPointer>(&record->log_)))
        return nullptr;
    XSync(record->x_->control, False);
    XRecordProcessReplies(record->x_->data);
    return record;
}

bool X11PointerRecord::read(int waitMs)
{
    if (waitMs > 0) {
        pollfd p{ConnectionNumber(x_->data), POLLIN, 0};
        if (::poll(&p, 1, waitMs) > 0 && (p.revents & (POLLERR | POLLHUP)))
            return false;
    }
    // Reads what is there without waiting, and hands every recorded event
    // to onRecorded.
    XRecordProcessReplies(x_->data);
    return true;
}

}  // namespace platform
