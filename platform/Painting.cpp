#include "platform/Painting.h"

#include <algorithm>

#include "platform/CairoPointers.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/PaintingState.h"
#include "platform/detail/WindowTree.h"

namespace orvalis::platform {

namespace detail {

namespace {

Rect RectOf(const cairo_rectangle_int_t& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }

Rect Extents(const cairo_region_t* region) {
    cairo_rectangle_int_t r;
    cairo_region_get_extents(region, &r);
    return RectOf(r);
}

RegionPtr Copy(const cairo_region_t* region) { return RegionPtr(cairo_region_copy(region)); }

// A context on the top-level surface, clipped to `clip` (top-level client coordinates)
// and translated to the window's client origin.
cairo_t* ContextFor(Desktop& desktop, WindowRecord& topLevel, const cairo_region_t* clip, Point origin) {
    SyncSurface(desktop, topLevel);
    cairo_t* context = cairo_create(topLevel.surface.get());
    int count = cairo_region_num_rectangles(clip);
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        cairo_rectangle(context, r.x, r.y, r.width, r.height);
    }
    if (count == 0) cairo_rectangle(context, 0, 0, 0, 0);
    cairo_clip(context);
    cairo_translate(context, origin.x, origin.y);
    return context;
}

void Present(Desktop& desktop, WindowRecord& topLevel, const Rect& area) {
    cairo_surface_flush(topLevel.surface.get());
    if (topLevel.native && topLevel.OwnVisible() && !area.IsEmpty())
        desktop.backend->PresentSurface(topLevel.handle, topLevel.surface.get(), area);
}

}  // namespace

RegionPtr VisibleRegion(Desktop& desktop, const WindowRecord& record) {
    if (!IsShowing(desktop, record)) return MakeRegion({});
    Point origin = ClientOriginInTop(desktop, record);
    RegionPtr region = MakeRegion(Rect::FromOriginAndSize(origin, ClientSizeOf(record)));
    const WindowRecord* topLevel = &record;
    while (!topLevel->IsTopLevel()) topLevel = &desktop.Get(topLevel->parent);
    RegionPtr onScreen = MakeRegion(Rect::FromOriginAndSize({}, SurfaceSizeOf(desktop, *topLevel)));
    cairo_region_intersect(region.get(), onScreen.get());
    for (const WindowRecord* w = &record; !w->IsTopLevel();) {
        const WindowRecord& parent = desktop.Get(w->parent);
        Point parentOrigin = ClientOriginInTop(desktop, parent);
        RegionPtr parentArea = MakeRegion(Rect::FromOriginAndSize(parentOrigin, ClientSizeOf(parent)));
        cairo_region_intersect(region.get(), parentArea.get());
        for (HWND sibling : parent.children) {
            if (sibling == w->handle) break;
            const WindowRecord& s = desktop.Get(sibling);
            if (!s.OwnVisible()) continue;
            RegionPtr covered = MakeRegion(s.bounds.Offset(parentOrigin.x, parentOrigin.y));
            cairo_region_subtract(region.get(), covered.get());
        }
        w = &parent;
    }
    for (HWND child : record.children) {
        const WindowRecord& c = desktop.Get(child);
        if (!c.OwnVisible()) continue;
        RegionPtr covered = MakeRegion(c.bounds.Offset(origin.x, origin.y));
        cairo_region_subtract(region.get(), covered.get());
    }
    return region;
}

void InvalidateArea(Desktop& desktop, WindowRecord& topLevel, const cairo_region_t* area) {
    std::vector<HWND> tree;
    CollectTree(desktop, topLevel.handle, tree);
    for (HWND h : tree) {
        WindowRecord& record = desktop.Get(h);
        RegionPtr visible = VisibleRegion(desktop, record);
        cairo_region_intersect(visible.get(), area);
        if (cairo_region_is_empty(visible.get())) continue;
        Point origin = ClientOriginInTop(desktop, record);
        cairo_region_translate(visible.get(), -origin.x, -origin.y);
        cairo_region_union(record.update.get(), visible.get());
        record.erasePending = true;
    }
}

void InvalidateWholeTree(Desktop& desktop, WindowRecord& topLevel) {
    RegionPtr all = MakeRegion(Rect::FromOriginAndSize({}, ClientSizeOf(topLevel)));
    InvalidateArea(desktop, topLevel, all.get());
}

Size SurfaceSizeOf(Desktop& desktop, const WindowRecord& topLevel) {
    const Size client = ClientSizeOf(topLevel);
    const ScreenMetrics screen = desktop.backend->Screen();
    const Point origin = ClientOriginOnScreen(desktop, topLevel);
    return {std::clamp(screen.width - std::min(origin.x, 0), 0, client.width),
            std::clamp(screen.height - std::min(origin.y, 0), 0, client.height)};
}

void SyncSurface(Desktop& desktop, WindowRecord& topLevel) {
    const Size size = SurfaceSizeOf(desktop, topLevel);
    const int scale = topLevel.scale;
    cairo_surface_t* old = topLevel.surface.get();
    if (old && cairo_image_surface_get_width(old) == size.width * scale &&
        cairo_image_surface_get_height(old) == size.height * scale)
        return;
    // Drawn in the window's units at the screen's density: text and lines are as sharp
    // as the screen can show them.
    SurfacePtr fresh(cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width * scale, size.height * scale));
    cairo_surface_set_device_scale(fresh.get(), scale, scale);
    if (old) {
        const ContextPtr context(cairo_create(fresh.get()));
        cairo_set_source_surface(context.get(), old, 0, 0);
        cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
        cairo_paint(context.get());
    }
    topLevel.surface = std::move(fresh);
}

HWND FindWindowToPaint(Desktop& desktop) {
    std::vector<HWND> tree;
    for (HWND top : desktop.topLevels) {
        WindowRecord& record = desktop.Get(top);
        if (!record.OwnVisible() || record.showState == ShowState::Minimized) continue;
        tree.clear();
        CollectTree(desktop, top, tree);
        for (HWND h : tree) {
            WindowRecord& w = desktop.Get(h);
            if (!cairo_region_is_empty(w.update.get()) && IsShowing(desktop, w)) return h;
        }
    }
    return 0;
}

}  // namespace detail

using namespace detail;

void InvalidateRect(HWND window, const Rect* area, bool erase) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return;
    Rect client = Rect::FromOriginAndSize({}, ClientSizeOf(*record));
    Rect wanted = area ? area->Intersect(client) : client;
    Point origin = ClientOriginInTop(desktop, *record);
    RegionPtr region = MakeRegion(wanted.Offset(origin.x, origin.y));
    RegionPtr visible = VisibleRegion(desktop, *record);
    cairo_region_intersect(region.get(), visible.get());
    if (cairo_region_is_empty(region.get())) return;
    cairo_region_translate(region.get(), -origin.x, -origin.y);
    cairo_region_union(record->update.get(), region.get());
    record->erasePending = record->erasePending || erase;
}

void ValidateRect(HWND window, const Rect* area) {
    WindowRecord* record = UiDesktop().Find(window);
    if (!record) return;
    if (!area) {
        record->update = MakeRegion({});
        record->erasePending = false;
        return;
    }
    RegionPtr valid = MakeRegion(*area);
    cairo_region_subtract(record->update.get(), valid.get());
    if (cairo_region_is_empty(record->update.get())) record->erasePending = false;
}

bool GetUpdateRect(HWND window, Rect& bounds) {
    WindowRecord* record = UiDesktop().Find(window);
    if (!record || cairo_region_is_empty(record->update.get())) {
        bounds = {};
        return false;
    }
    bounds = Extents(record->update.get());
    return true;
}

void UpdateWindow(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (record && !cairo_region_is_empty(record->update.get()) && IsShowing(desktop, *record))
        Send(desktop, window, WM_PAINT, 0, 0);
}

cairo_t* BeginPaint(HWND window, PaintStruct& paint) {
    Desktop& desktop = UiDesktop();
    paint = PaintStruct{};
    WindowRecord* record = desktop.Find(window);
    if (!record) return nullptr;
    Point origin = ClientOriginInTop(desktop, *record);
    RegionPtr clip = Copy(record->update.get());
    cairo_region_translate(clip.get(), origin.x, origin.y);
    RegionPtr visible = VisibleRegion(desktop, *record);
    cairo_region_intersect(clip.get(), visible.get());
    bool erase = record->erasePending;
    record->update = MakeRegion({});
    record->erasePending = false;

    paint.context = ContextFor(desktop, TopLevelOf(desktop, *record), clip.get(), origin);
    paint.paint = cairo_region_is_empty(clip.get()) ? Rect{} : Extents(clip.get()).Offset(-origin.x, -origin.y);
    paint.erase = erase;
    if (erase) {
        cairo_save(paint.context);
        bool erased = Send(desktop, window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint.context), 0) != 0;
        cairo_restore(paint.context);
        paint.erase = !erased;
    }
    return paint.context;
}

void EndPaint(HWND window, const PaintStruct& paint) {
    if (paint.context) cairo_destroy(paint.context);
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    if (!record) return;
    Point origin = ClientOriginInTop(desktop, *record);
    Present(desktop, TopLevelOf(desktop, *record), paint.paint.Offset(origin.x, origin.y));
}

cairo_t* GetDC(HWND window) {
    Desktop& desktop = UiDesktop();
    if (!window) {
        if (!desktop.scratch) desktop.scratch.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1));
        return cairo_create(desktop.scratch.get());
    }
    WindowRecord* record = desktop.Find(window);
    if (!record) return nullptr;
    RegionPtr visible = VisibleRegion(desktop, *record);
    return ContextFor(desktop, TopLevelOf(desktop, *record), visible.get(), ClientOriginInTop(desktop, *record));
}

void ReleaseDC(HWND window, cairo_t* context) {
    if (context) cairo_destroy(context);
    Desktop& desktop = UiDesktop();
    WindowRecord* record = window ? desktop.Find(window) : nullptr;
    if (!record) return;
    RegionPtr visible = VisibleRegion(desktop, *record);
    if (!cairo_region_is_empty(visible.get())) Present(desktop, TopLevelOf(desktop, *record), Extents(visible.get()));
}

int GetWindowScale(HWND window) {
    Desktop& desktop = UiDesktop();
    WindowRecord* record = desktop.Find(window);
    return record ? TopLevelOf(desktop, *record).scale : 1;
}

cairo_surface_t* GetWindowSurface(HWND topLevelWindow) {
    WindowRecord* record = UiDesktop().Find(topLevelWindow);
    if (!record || !record->IsTopLevel()) return nullptr;
    SyncSurface(UiDesktop(), *record);
    return record->surface.get();
}

}  // namespace orvalis::platform
