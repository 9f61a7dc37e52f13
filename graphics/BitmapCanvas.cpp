#include "graphics/BitmapCanvas.h"

#include <algorithm>
#include <vector>

#include "classes/ClassBuilder.h"
#include "graphics/Bitmap.h"
#include "graphics/CanvasReleaseHooks.h"
#include "platform/raster/DeviceImage.h"
#include "runtime/Exceptions.h"

namespace orvalis {

namespace {

// BitmapCanvasList: the bitmap canvases that hold a drawing context.
struct CanvasList {
    std::mutex lock;
    std::vector<TBitmapCanvas*> canvases;
};

CanvasList& BitmapCanvasList() {
    static CanvasList list;
    return list;
}

std::vector<TBitmapCanvas*> ListedCanvases() {
    CanvasList& list = BitmapCanvasList();
    std::lock_guard guard(list.lock);
    return list.canvases;
}

class CanvasLock {
public:
    explicit CanvasLock(TCanvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
    ~CanvasLock() { canvas_.Unlock(); }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

private:
    TCanvas& canvas_;
};

}  // namespace

const TClassInfo& TBitmapCanvas::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TBitmapCanvas, TCanvas>("TBitmapCanvas");
    return info;
}

TBitmapCanvas::TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) {
    RegisterCanvasReleaseHook(&TBitmapCanvas::ReleaseUnusedContexts);
}

TBitmapCanvas::~TBitmapCanvas() { TBitmapCanvas::FreeHandle(); }

void TBitmapCanvas::CreateHandle() {
    CanvasLock lock(*this);
    if (context_) return;
    bitmap_.EnsureHandle();
    raster::Image* image = bitmap_.image_->DeviceHandle();
    if (image) {
        // One canvas draws into an image at a time.
        ReleaseContextsOn(*image);
        bitmap_.MakePalette();
    } else {
        if (!placeholder_) placeholder_ = raster::DeviceImage::CreateMonochrome(1, 1);
        image = placeholder_.get();
    }
    context_ = image ? raster::ImageContext::Create(*image) : nullptr;
    if (!context_) throw EOutOfResources(ResId::OutOfSystemResources);
    SetHandle(context_->Cairo());
    CanvasList& list = BitmapCanvasList();
    std::lock_guard guard(list.lock);
    list.canvases.push_back(this);
}

void TBitmapCanvas::FreeHandle() {
    CanvasLock lock(*this);
    if (!context_) return;
    SetHandle(nullptr);
    context_.reset();
    CanvasList& list = BitmapCanvasList();
    std::lock_guard guard(list.lock);
    std::erase(list.canvases, this);
}

void TBitmapCanvas::ReleaseContextsOn(const raster::Image& image) {
    for (TBitmapCanvas* canvas : ListedCanvases())
        if (canvas->BoundImage() == &image) canvas->FreeHandle();
}

void TBitmapCanvas::ReleaseUnusedContexts() {
    for (TBitmapCanvas* canvas : ListedCanvases()) {
        // Only a canvas that nobody holds, this thread included.
        if (canvas->LockCount() > 0 || !canvas->TryLock()) continue;
        canvas->FreeHandle();
        canvas->Unlock();
    }
}

std::size_t TBitmapCanvas::ListedCount() {
    CanvasList& list = BitmapCanvasList();
    std::lock_guard guard(list.lock);
    return list.canvases.size();
}

}  // namespace orvalis
