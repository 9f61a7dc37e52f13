#include "graphics/ScratchCanvas.h"

#include "platform/Painting.h"

namespace orvalis {

TScratchCanvas::TScratchCanvas() : context_(platform::GetDC(0)) { canvas_.SetHandle(context_); }

TScratchCanvas::~TScratchCanvas() {
    canvas_.SetHandle(nullptr);
    platform::ReleaseDC(0, context_);
}

}  // namespace orvalis
