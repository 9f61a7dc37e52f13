#pragma once
// TFiler: what the reader and the writer share, as persistent objects see them when
// they offer their custom properties:
//
//     void TStrings::DeclareCustomProperties(TFiler& filer) {
//         filer.OfferCustomProperty("Strings",
//             [this](TReader& reader) { ReadStrings(reader); },
//             [this](TWriter& writer) { WriteStrings(writer); },
//             Count() > 0);
//     }
//
// A reader calls the read procedure of the property it is looking for (and ignores
// `hasData`); a writer writes the property's name and calls the write procedure
// when `hasData` is true. A binary property's value is a block of bytes: the read
// procedure gets them as a memory stream, the write procedure writes them.

#include <functional>
#include <string_view>

#include "runtime/Stream.h"

namespace orvalis {

class TComponent;
class TPersistent;
class TReader;
class TWriter;

class TFiler {
public:
    using TCustomReadProc = std::function<void(TReader& reader)>;
    using TCustomWriteProc = std::function<void(TWriter& writer)>;
    using TBinaryReadProc = std::function<void(TMemoryStream& data)>;
    using TBinaryWriteProc = std::function<void(TStream& data)>;

    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;
    virtual ~TFiler() = default;

    virtual void OfferCustomProperty(std::string_view name, const TCustomReadProc& read, const TCustomWriteProc& write,
                                     bool hasData) = 0;
    virtual void OfferBinaryProperty(std::string_view name, const TBinaryReadProc& read, const TBinaryWriteProc& write,
                                     bool hasData) = 0;

    // The component whose resource is read or written.
    TComponent* Root() const { return root_; }
    // The scope of component names: the root, or an inline child while it is read.
    TComponent* LookupRoot() const { return lookupRoot_; }
    // The object that the writer compares the current one with (its counterpart in
    // an ancestor form); null without ancestor, and always null when reading.
    TPersistent* Ancestor() const { return ancestor_; }

protected:
    TFiler() = default;
    void SetRoot(TComponent* root) { root_ = root; }
    void SetLookupRoot(TComponent* lookupRoot) { lookupRoot_ = lookupRoot; }
    void SetAncestor(TPersistent* ancestor) { ancestor_ = ancestor; }

    // Set for a scope by the reader and the writer (a ScopedValue each time).
    TComponent* lookupRoot_ = nullptr;
    TPersistent* ancestor_ = nullptr;

private:
    TComponent* root_ = nullptr;
};

}  // namespace orvalis
