#include "framework/Image.h"

#include "classes/ClassBuilder.h"
#include "framework/Form.h"
#include "framework/Menu.h"
#include "graphics/DevicePixels.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "platform/MessageQueue.h"
#include "platform/Painting.h"
#include "runtime/ScopedValue.h"

namespace orvalis {

namespace {

// Asks a window to realise its palette.
constexpr std::uint32_t WM_QUERYNEWPALETTE = 0x030F;

}  // namespace

const TClassInfo& TImage::StaticClassInfo() {
    static const TClassInfo info =
        DescribeClass<TImage, TGraphicControl>("TImage")
            .Property("Align", &TControl::Align, &TControl::SetAlign)
            .Default(alNone)
            .Property("Anchors", &TControl::Anchors, &TControl::SetAnchors)
            .Type(kAnchorsType)
            .Default(kDefaultAnchors)
            .Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize)
            .Default(false)
            .Property("Center", &TImage::Center, &TImage::SetCenter)
            .Default(false)
            .Property("Constraints", &TControl::Constraints, &TControl::SetConstraints)
            .Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor)
            .Type(kCursorType)
            .Default(crDrag)
            .Property("DragKind", &TControl::DragKind, &TControl::SetDragKind)
            .Default(dkDrag)
            .Property("DragMode", &TControl::DragMode, &TControl::SetDragMode)
            .Default(dmManual)
            .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
            .Default(true)
            .Property("IncrementalDisplay", &TImage::IncrementalDisplay, &TImage::SetIncrementalDisplay)
            .Default(false)
            .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
            .Default(true)
            .Property("Picture", &TImage::Picture, &TImage::SetPicture)
            .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
            .Property("Proportional", &TImage::Proportional, &TImage::SetProportional)
            .Default(false)
            .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
            .Default(false)
            .Property("Stretch", &TImage::Stretch, &TImage::SetStretch)
            .Default(false)
            .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent)
            .Default(false)
            .Property("Visible", &TControl::Visible, &TControl::SetVisible)
            .Default(true)
            .Property("OnClick", &TControl::OnClick)
            .Property("OnContextPopup", &TControl::OnContextPopup)
            .Property("OnDblClick", &TControl::OnDblClick)
            .Property("OnDragDrop", &TControl::OnDragDrop)
            .Property("OnDragOver", &TControl::OnDragOver)
            .Property("OnEndDock", &TControl::OnEndDock)
            .Property("OnEndDrag", &TControl::OnEndDrag)
            .Property("OnMouseDown", &TControl::OnMouseDown)
            .Property("OnMouseMove", &TControl::OnMouseMove)
            .Property("OnMouseUp", &TControl::OnMouseUp)
            .Property("OnProgress", &TImage::OnProgress)
            .Property("OnStartDock", &TControl::OnStartDock)
            .Property("OnStartDrag", &TControl::OnStartDrag);
    return info;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
    picture_->SetOnChange(TNotifyEvent(this, &TImage::PictureUpdated));
    picture_->SetOnProgress(TProgressEvent(this, &TImage::PictureProgress));
    SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() = default;

void TImage::SetPicture(TPicture* picture) { picture_->CopyFromObject(picture); }

void TImage::SetStretch(bool stretch) {
    if (stretch == stretch_) return;
    stretch_ = stretch;
    PictureUpdated(this);
}

void TImage::SetCenter(bool center) {
    if (center == center_) return;
    center_ = center;
    PictureUpdated(this);
}

void TImage::SetProportional(bool proportional) {
    if (proportional == proportional_) return;
    proportional_ = proportional;
    PictureUpdated(this);
}

void TImage::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    PictureUpdated(this);
}

raster::PaletteHandle TImage::Palette() const {
    TGraphic* graphic = picture_->Graphic();
    return graphic ? graphic->Palette() : nullptr;
}

TRect TImage::TargetRect() const { return PlacePicture(ClientWidth(), ClientHeight()); }

int TImage::DeviceScale() const {
    TCustomForm* form = GetParentForm(*this);
    return form && form->HandleAllocated() ? platform::GetWindowScale(form->Handle()) : 1;
}

std::int32_t TImage::ShownPictureWidth() const {
    const int scale = DeviceScale();
    return (picture_->Width() + scale - 1) / scale;
}

std::int32_t TImage::ShownPictureHeight() const {
    const int scale = DeviceScale();
    return (picture_->Height() + scale - 1) / scale;
}

TRect TImage::PlacePicture(std::int32_t cw, std::int32_t ch) const {
    std::int32_t w = picture_->Width();
    std::int32_t h = picture_->Height();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            const double aspect = double(w) / h;
            if (h < w) {
                w = cw;
                h = std::int32_t(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = std::int32_t(ch * aspect);
                }
            } else {
                h = ch;
                w = std::int32_t(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = std::int32_t(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect rect{0, 0, w, h};
    if (center_) {
        const std::int32_t dx = (cw - w) / 2;
        const std::int32_t dy = (ch - h) / 2;
        rect = {dx, dy, dx + w, dy + h};
    }
    return rect;
}

void TImage::Paint() {
    ScopedValue drawing(drawing_, true);
    DevicePixels devicePixels(Canvas());
    const int scale = devicePixels.Scale();
    DrawScaled(Canvas(), PlacePicture(ClientWidth() * scale, ClientHeight() * scale), picture_->Graphic());
}

bool TImage::CanAutoSize(std::int32_t& width, std::int32_t& height) {
    const TAlign align = Align();
    if (align == alNone || align == alLeft || align == alRight) width = picture_->Width();
    if (align == alNone || align == alTop || align == alBottom) height = picture_->Height();
    return true;
}

void TImage::PictureUpdated(TObject*) {
    if (AutoSize() && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    if (TGraphic* graphic = picture_->Graphic()) {
        if (!dynamic_cast<TMetafile*>(graphic) && !dynamic_cast<TIcon*>(graphic)) graphic->SetTransparent(transparent_);
        const bool opaque = !graphic->Transparent() && stretch_ && !proportional_;
        SetControlStyle(opaque ? ControlStyle() | csOpaque : ControlStyle() & ~csOpaque);
        if (PaletteCheck() && drawing_) Update();
    } else {
        SetControlStyle(ControlStyle() & ~csOpaque);
    }
    if (!drawing_) Invalidate();
}

bool TImage::PaletteCheck() {
    TGraphic* graphic = picture_->Graphic();
    if (!Visible() || HasState(stateLoading) || !graphic || !graphic->PaletteModified()) return false;
    if (!graphic->Palette()) {
        graphic->SetPaletteModified(false);
        return false;
    }
    TCustomForm* form = GetParentForm(*this);
    if (!form || !form->Active() || !form->HandleAllocated()) return false;
    if (drawing_)
        form->Perform(WM_QUERYNEWPALETTE);
    else
        platform::PostMessage(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
    graphic->SetPaletteModified(false);
    return true;
}

void TImage::PictureProgress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                             const TRect& rect, const String& message) {
    if (incrementalDisplay_ && redrawNow) {
        if (PaletteCheck())
            Update();
        else
            Paint();
    }
    if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, rect, message);
}

bool TImage::DescribeAccessible(platform::AccessibleElement& element) {
    element.role = platform::AccessibleRole::Image;
    const TCustomForm* form = GetParentForm(*this);
    element.name = Hint().IsEmpty() && form ? form->Caption().View() : Hint().View();
    return true;
}

}  // namespace orvalis
