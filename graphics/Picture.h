#pragma once
// TPicture: holds at most one graphic of any registered class and tells its owner when
// that graphic changes. The picture owns its graphic: it makes it (a copy of what it is
// given, through the class's virtual constructor), hooks the graphic's OnChange and
// OnProgress to its own, and destroys it when it is replaced or when the picture goes.
//
// The form property "Data" of a picture: a length byte L, L bytes of the graphic's class
// name (at most 63; L = 0 without graphic), then the graphic's own stored data. Reading
// finds the class in the file-format registry by its exact name; a class that is not
// registered reads as a picture without graphic.

#include <cstdint>
#include <memory>
#include <string_view>

#include "classes/Events.h"
#include "classes/Persistent.h"
#include "graphics/Graphic.h"
#include "runtime/Stream.h"

namespace orvalis {

class TBitmap;
class TIcon;

// Told after the picture's OnChange of every change.
class IChangeNotifier {
public:
    virtual ~IChangeNotifier() = default;
    virtual void Changed() = 0;
};

class TPicture : public TPersistent {
    ORVALIS_TYPE_INFO(TPicture)

public:
    // An empty picture. The registries are made with the first one.
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Holds a copy of `graphic` (of its exact class), or none.
    void SetGraphic(TGraphic* graphic);
    // The graphic as a TBitmap (or TIcon): a graphic of another class is replaced by an
    // empty one of that class, and the change announced.
    TBitmap& Bitmap();
    TIcon& Icon();
    // The graphic's size; 0 without graphic.
    std::int32_t Width() const;
    std::int32_t Height() const;

    // No source: no graphic; a picture: a copy of its graphic; a graphic: a copy of it;
    // anything else: the source's CopyInto.
    void CopyFromObject(TPersistent* source) override;
    // A destination of the graphic's class (or an ancestor) copies the graphic.
    void CopyInto(TPersistent& destination) override;
    void DeclareCustomProperties(TFiler& filer) override;

    // Through Bitmap: a picture read from a stream holds a TBitmap.
    void LoadStream(TStream& stream);
    void SaveStream(TStream& stream);

    // The registries.
    static void AddFileFormat(std::string_view extension, const String& description, const TClassInfo& graphicClass);
    // Removes the class and the classes derived from it from both registries, each only
    // when it has been made.
    static void RemoveGraphicClass(const TClassInfo& graphicClass);

    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler) { onChange_ = handler; }
    const TProgressEvent& OnProgress() const { return onProgress_; }
    void SetOnProgress(const TProgressEvent& handler) { onProgress_ = handler; }
    void SetNotifier(IChangeNotifier* notifier) { notifier_ = notifier; }

protected:
    // The change handler: OnChange with the picture, then the notifier.
    void Changed(TObject* sender);
    // Passes the graphic's progress on to OnProgress.
    void Progress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow, const TRect& rect,
                  const String& message);

private:
    // Hooks the graphic (when there is one), makes it the picture's and announces it.
    void Install(std::unique_ptr<TGraphic> graphic);
    template <class G>
    G& ForceType();
    bool HasDataToWrite(TPersistent* ancestor) const;
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    std::unique_ptr<TGraphic> graphic_;
    TNotifyEvent onChange_;
    IChangeNotifier* notifier_ = nullptr;
    TProgressEvent onProgress_;
};

}  // namespace orvalis
