#pragma once
// TWriter: writes the binary form format through a 4096-byte buffer, choosing
// the tags by the writer rules: the smallest integer tag, a prefix byte only when
// a flag is set, ASCII texts as tagString and texts with other characters as
// tagUtf8String (tagWString for wide-text properties).
//
// Above the primitives, it writes components through their type information:
// the published properties that differ from their defaults (or, given an ancestor,
// from the ancestor's values), the custom properties that the objects offer, and
// the children.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "classes/ClassInfo.h"
#include "classes/Filer.h"
#include "classes/ValueTags.h"
#include "runtime/Stream.h"
#include "runtime/String.h"

namespace orvalis {

class TCollection;

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& stream, std::size_t bufferSize = 4096);
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;
    // Flushes what is still buffered.
    ~TWriter() override;

    void WriteSignature();
    // Nothing when `flags` is 0; else 0xF0 | flags, then the position for prefixChildPos.
    void WritePrefix(std::uint8_t flags, int childPosition = 0);
    // A short string without tag: one length byte, then the bytes (names, class names).
    void WriteShortString(std::string_view text);
    // The end-of-list byte (0) closing properties, children, lists and collections.
    void WriteListEnd();
    void WriteListBegin();

    // Tagged values.
    void WriteInteger(std::int64_t value);
    // Under the integer tag given, cut to its size (the form compiler keeps the tags it read).
    void WriteIntegerAs(TValueTag tag, std::int64_t value);
    // ASCII as tagString (tagLString past 255 bytes), other texts as tagUtf8String:
    // the ANSI tags hold Windows-1252 for the reader, so only ASCII goes there.
    void WriteText(std::string_view utf8);
    // The bytes under the text tag given: tagString (at most 255 bytes), tagLString or
    // tagUtf8String.
    void WriteTextAs(TValueTag tag, std::string_view bytes);
    // ASCII as WriteText does, other texts as WriteWString.
    void WriteWideText(std::u16string_view units);
    // tagWString, code unit for code unit, whatever the characters.
    void WriteWString(std::u16string_view units);
    // "False", "True", "nil" and "Null" (any letter case) become their own tags.
    void WriteIdent(std::string_view identifier);
    void WriteBoolean(bool value);
    void WriteFloat(long double value);
    void WriteSet(std::span<const std::string_view> elementNames);
    void WriteBinary(std::span<const std::uint8_t> bytes);
    void WriteNil();
    void WriteTag(TValueTag tag);

    // Raw bytes, buffered.
    void Write(const void* bytes, std::size_t count);
    void FlushBuffer();

    // Components. The signature, then `root` with its children; with an ancestor
    // (the same form as its class's ancestor resource would build it), only what
    // differs from it, the children the ancestor has being marked inherited.
    void WriteRootComponent(TComponent& root, TComponent* ancestor = nullptr);
    // One component: prefix, class name, name, properties, children.
    void WriteComponent(TComponent& component);
    // The stored published properties of `object` that differ from their defaults
    // or from the ancestor's, objects held by class properties through paths
    // ("Font.Height"), then the custom properties `object` offers.
    void WriteProperties(TPersistent& object);

    void OfferCustomProperty(std::string_view name, const TCustomReadProc& read, const TCustomWriteProc& write,
                             bool hasData) override;
    void OfferBinaryProperty(std::string_view name, const TBinaryReadProc& read, const TBinaryWriteProc& write,
                             bool hasData) override;

private:
    // A tag, then a 32-bit length (of texts, wide texts and binary data).
    void WriteTagAndLength(TValueTag tag, std::size_t length);
    void WriteProperty(TPersistent& object, const TPropInfo& property);
    // One kind of property each: nothing when the value is the default (or, with an
    // ancestor, the ancestor's value `inherited`), else the name and the value.
    void WriteOrdinalProperty(const TPropInfo& property, const TPropValue& value,
                              const std::optional<TPropValue>& inherited);
    void WriteFloatProperty(const TPropInfo& property, const TPropValue& value,
                            const std::optional<TPropValue>& inherited);
    void WriteTextProperty(const TPropInfo& property, const TPropValue& value,
                           const std::optional<TPropValue>& inherited);
    void WriteWideTextProperty(const TPropInfo& property, const TPropValue& value,
                               const std::optional<TPropValue>& inherited);
    void WriteMethodProperty(const TPropInfo& property, const TPropValue& value,
                             const std::optional<TPropValue>& inherited);
    // A reference to another component, a collection, or an object of its own.
    void WriteClassProperty(const TPropInfo& property, const TPropValue& value,
                            const std::optional<TPropValue>& inherited);
    void WriteReferenceProperty(const TPropInfo& property, TComponent* component, bool inherited,
                                const TComponent* old);
    void WriteCollectionProperty(const TPropInfo& property, TCollection& collection, bool inherited);
    void WritePropertyName(std::string_view name);

    TStream& stream_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    TComponent* rootAncestor_ = nullptr;
    // The path of the object whose properties are written ("Font." inside the font).
    String propertyPath_;
};

}  // namespace orvalis
