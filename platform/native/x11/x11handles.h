// Owned X resources for the X11 backend. Each handle frees its resource when it goes,
// unless the connection to the X server is lost: then nothing can be freed, and nothing
// needs to be.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <utility>

namespace native {

// Whether the connection to the X server broke (set by the backend's I/O error handler).
bool X11ConnectionLost();

// A server resource of one kind, freed with Free.
template <typename THandle, int (*Free)(Display*, THandle)>
class TXResource {
public:
    TXResource() = default;
    TXResource(Display* display, THandle handle) : display_(display), handle_(handle) {}
    ~TXResource() { Reset(); }
    TXResource(TXResource&& o) noexcept
        : display_(o.display_), handle_(std::exchange(o.handle_, THandle{})) {}
    TXResource& operator=(TXResource&& o) noexcept {
        if (this != &o) {
            Reset();
            display_ = o.display_;
            handle_ = std::exchange(o.handle_, THandle{});
        }
        return *this;
    }

    THandle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != THandle{}; }
    void Reset() {
        if (handle_ != THandle{} && !X11ConnectionLost()) Free(display_, handle_);
        handle_ = THandle{};
    }

private:
    Display* display_ = nullptr;
    THandle handle_{};
};

using TXWindow = TXResource<Window, XDestroyWindow>;
using TXPixmap = TXResource<Pixmap, XFreePixmap>;
using TXCursor = TXResource<Cursor, XFreeCursor>;
using TXColormap = TXResource<Colormap, XFreeColormap>;
using TXGC = TXResource<GC, XFreeGC>;

// The connection itself.
struct TDisplayCloser {
    void operator()(Display* display) const {
        if (!X11ConnectionLost()) XCloseDisplay(display);
    }
};
using TDisplayPtr = std::unique_ptr<Display, TDisplayCloser>;

// A client-side image over a buffer the caller owns: only the XImage record is freed.
struct TXImageFree {
    void operator()(XImage* image) const {
        image->data = nullptr;
        XDestroyImage(image);
    }
};
using TXImagePtr = std::unique_ptr<XImage, TXImageFree>;

}  // namespace native
