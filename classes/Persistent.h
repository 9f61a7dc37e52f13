#pragma once
// TPersistent: the base of every object that form resources can describe. It can be
// copied from another persistent object and it can offer properties that are not
// published (custom and binary properties) to the reader and the writer.

#include "classes/Object.h"
#include "runtime/String.h"

namespace orvalis {

class TFiler;

class TPersistent : public TObject {
    ORVALIS_TYPE_INFO(TPersistent)

public:
    TPersistent() = default;

    // Makes this object a copy of `source`. A class copies the sources it knows and
    // hands any other to the source's CopyInto; a null source, or one that neither
    // side knows, raises EConvertError "Impossible d'affecter %s à %s".
    virtual void CopyFromObject(TPersistent* source);
    // Copies this object into `destination`, which does not know this class. The
    // base knows no destination and raises the error above.
    virtual void CopyInto(TPersistent& destination);

    // Offers the custom and binary properties of the object to a reader or a writer
    // (TFiler::OfferCustomProperty, TFiler::OfferBinaryProperty). Nothing here.
    virtual void DeclareCustomProperties(TFiler& filer);

    // The object's name in messages: its class name here; a component's name.
    virtual String NamePath() const;
};

// Raises EConvertError "Impossible d'affecter %s à %s" for copying `source` (or nil)
// into `destination`.
[[noreturn]] void RaiseAssignError(const TPersistent* source, const TPersistent& destination);

}  // namespace orvalis
