#include <algorithm>

#include "platform/ui/winapi.h"
#include "platform/ui/winapi/winapi_internal.h"

namespace winapi_internal {

void Invalidate(HWND h, const TRect& topRect) {
    HWND top = Top(h);
    if (!top || top->messageOnly) return;
    TRect r = topRect.Intersect({0, 0, top->rect.Width(), top->rect.Height()});
    top->update = top->update.Union(r);
}

void InvalidateWhole(HWND h) {
    if (ShownInTree(h)) Invalidate(h, VisibleInTop(h));
}

namespace {

void PaintTree(HWND w, const TRect& dirty) {
    if (!Alive(w) || !(w->style & WS_VISIBLE)) return;
    TRect clip = VisibleInTop(w).Intersect(dirty);
    if (clip.IsEmpty()) return;
    w->paintClip = clip;
    w->inPaint = true;
    SendMessage(w, WM_PAINT, 0, 0);
    if (!Alive(w)) return;
    w->inPaint = false;
    std::vector<HWND> children = w->children;
    for (HWND c : children)
        PaintTree(c, dirty);
}

}  // namespace

void PaintTop(HWND top) {
    if (!Alive(top) || top->messageOnly || !(top->style & WS_VISIBLE)) return;
    TRect dirty = top->update.Intersect({0, 0, top->rect.Width(), top->rect.Height()});
    top->update = {};
    if (dirty.IsEmpty()) return;
    PaintTree(top, dirty);
    if (Alive(top) && top->native) top->native->Present(top->frame, dirty);
}

HWND PaintPending(HWND filter) {
    for (HWND h : Sys().topLevels)
        if ((!filter || filter == h) && (h->style & WS_VISIBLE) && !h->update.IsEmpty()) return h;
    return nullptr;
}

}  // namespace winapi_internal

using namespace winapi_internal;

// Painting
// ------------------------------------------------------------------------------------------

bool InvalidateRect(HWND hwnd, const TRect* rect, bool) {
    if (!Alive(hwnd)) return false;
    if (!ShownInTree(hwnd)) return true;
    TRect visible = VisibleInTop(hwnd);
    if (rect) {
        TPoint o = OriginInTop(hwnd);
        Invalidate(hwnd, rect->Offset(o.X, o.Y).Intersect(visible));
    } else {
        Invalidate(hwnd, visible);
    }
    return true;
}

bool ValidateRect(HWND hwnd, const TRect*) {
    HWND top = Alive(hwnd) ? Top(hwnd) : nullptr;
    if (top) top->update = {};
    return top != nullptr;
}

bool UpdateWindow(HWND hwnd) {
    if (!Alive(hwnd)) return false;
    TDepth depth;
    PaintTop(Top(hwnd));
    return true;
}

bool GetUpdateRect(HWND hwnd, TRect* rect) {
    HWND top = Alive(hwnd) ? Top(hwnd) : nullptr;
    if (!top) return false;
    TPoint o = OriginInTop(hwnd);
    *rect = top->update.Intersect(VisibleInTop(hwnd)).Offset(-o.X, -o.Y);
    return !rect->IsEmpty();
}

namespace {
HDC MakeDC(HWND hwnd, const TRect& clipInTop) {
    auto dc = std::make_unique<TDeviceContext>();
    HWND top = Top(hwnd);
    dc->hwnd = hwnd;
    dc->canvas.SetTarget(&top->frame);
    dc->canvas.SetOrigin(OriginInTop(hwnd));
    dc->canvas.SetClipRect(clipInTop);
    dc->present = clipInTop;
    Sys().dcs.push_back(std::move(dc));
    return Sys().dcs.back().get();
}

void FreeDC(HDC dc) {
    Sys().dcs.remove_if([dc](const std::unique_ptr<TDeviceContext>& d) { return d.get() == dc; });
}
}  // namespace

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    if (!Alive(hwnd) || !Top(hwnd) || Top(hwnd)->messageOnly) return nullptr;
    TRect clip = hwnd->inPaint ? hwnd->paintClip : VisibleInTop(hwnd);
    HDC dc = MakeDC(hwnd, clip);
    TPoint o = OriginInTop(hwnd);
    ps->hdc = dc;
    ps->rcPaint = clip.Offset(-o.X, -o.Y);
    ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, WPARAM(dc), 0) == 0;
    return dc;
}

bool EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc) FreeDC(ps->hdc);
    return true;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) {
        auto dc = std::make_unique<TDeviceContext>();
        dc->screen = true;
        Sys().dcs.push_back(std::move(dc));
        return Sys().dcs.back().get();
    }
    if (!Alive(hwnd) || !Top(hwnd) || Top(hwnd)->messageOnly) return nullptr;
    return MakeDC(hwnd, VisibleInTop(hwnd));
}

int ReleaseDC(HWND, HDC dc) {
    if (!dc) return 0;
    if (!dc->screen && Alive(dc->hwnd)) {
        HWND top = Top(dc->hwnd);
        if (top->native && (top->style & WS_VISIBLE) && !dc->present.IsEmpty())
            top->native->Present(top->frame, dc->present);
    }
    FreeDC(dc);
    return 1;
}

TCanvas& DCCanvas(HDC dc) {
    return dc->canvas;
}

bool DrawFocusRect(HDC dc, const TRect& rect) {
    if (!dc) return false;
    if (dc->screen) {
        Backend().DrawFocusRectOnScreen(rect);
    } else {
        dc->canvas.DrawFocusRect(rect);
    }
    return true;
}

int GetDeviceCaps(HDC, int index) {
    switch (index) {
        case BITSPIXEL:
            return Backend().BitsPerPixel();
        case LOGPIXELSX:
        case LOGPIXELSY:
            return Backend().PixelsPerInch();
        default:
            return 0;
    }
}
