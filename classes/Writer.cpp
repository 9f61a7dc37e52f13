#include "classes/Writer.h"

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cstring>

#include "classes/ClassInfo.h"
#include "classes/Collection.h"
#include "classes/Component.h"
#include "classes/IdentMaps.h"
#include "runtime/LittleEndian.h"
#include "runtime/ScopedValue.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The path by which the reader finds `form` itself among its own components: "Owner",
// or the empty path when a component of that name would be found instead.
String SelfPath(const TComponent& form) { return form.FindComponent("Owner") ? String() : String("Owner"); }

// The name under which the reader finds `component` again from `root` (FindByPath,
// then the references into other forms): its name when `root` owns it, the path of
// `root` itself, else the name of its form followed by its path in that form.
String ReferenceName(const TComponent& component, const TComponent* root) {
    if (&component == root) return SelfPath(component);
    if (component.Owner() == root) return component.Name();
    if (!component.Owner()) return component.Name() + "." + SelfPath(component);
    return component.Owner()->Name() + "." + component.Name();
}

// The names of the elements of a set property's value, in the order of their bits.
std::vector<std::string_view> SetElementNames(const TTypeInfo& type, std::int64_t ordinal) {
    std::vector<std::string_view> names;
    for (int bit = 0; bit < 32; ++bit)
        if (ordinal & (std::int64_t{1} << bit))
            if (const std::string_view name = EnumValueName(*type.elementType, bit); !name.empty())
                names.push_back(name);
    return names;
}

}  // namespace

TWriter::TWriter(TStream& stream, std::size_t bufferSize) : stream_(stream), buffer_(bufferSize) {}

TWriter::~TWriter() {
    try {
        FlushBuffer();
    } catch (...) {
        // A destructor cannot report it: writers that must know call FlushBuffer
        // themselves (WriteRootComponent does).
    }
}

void TWriter::Write(const void* bytes, std::size_t count) {
    const auto* from = static_cast<const std::uint8_t*>(bytes);
    while (count > 0) {
        if (used_ == buffer_.size()) FlushBuffer();
        const std::size_t piece = std::min(count, buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, from, piece);
        used_ += piece;
        from += piece;
        count -= piece;
    }
}

void TWriter::FlushBuffer() {
    if (used_ == 0) return;
    stream_.WriteBuffer(buffer_.data(), used_);
    used_ = 0;
}

void TWriter::WriteTag(TValueTag tag) { Write(&tag, 1); }

void TWriter::WriteSignature() { Write(kFormSignature, sizeof kFormSignature); }

void TWriter::WritePrefix(std::uint8_t flags, int childPosition) {
    if (flags == 0) return;
    const std::uint8_t prefix = kPrefixMark | flags;
    Write(&prefix, 1);
    if (flags & prefixChildPos) WriteInteger(childPosition);
}

void TWriter::WriteShortString(std::string_view text) {
    assert(text.size() <= 255 && "a short string holds at most 255 bytes");
    const auto length = static_cast<std::uint8_t>(text.size());
    Write(&length, 1);
    Write(text.data(), text.size());
}

void TWriter::WriteListBegin() { WriteTag(tagList); }
void TWriter::WriteListEnd() { WriteTag(tagNull); }

void TWriter::WriteTagAndLength(TValueTag tag, std::size_t length) {
    std::uint8_t header[5] = {tag};
    WriteLittleEndian(header + 1, length, 4);
    Write(header, sizeof header);
}

void TWriter::WriteInteger(std::int64_t value) {
    if (value >= -128 && value <= 127) return WriteIntegerAs(tagInt8, value);
    if (value >= -32768 && value <= 32767) return WriteIntegerAs(tagInt16, value);
    if (value >= INT32_MIN && value <= INT32_MAX) return WriteIntegerAs(tagInt32, value);
    WriteIntegerAs(tagInt64, value);
}

void TWriter::WriteIntegerAs(TValueTag tag, std::int64_t value) {
    assert(IsIntegerTag(tag));
    const std::size_t size = ValueLayoutOf(tag)->size;
    std::uint8_t bytes[9] = {tag};
    WriteLittleEndian(bytes + 1, static_cast<std::uint64_t>(value), size);
    Write(bytes, 1 + size);
}

void TWriter::WriteText(std::string_view utf8) {
    if (!IsAscii(utf8)) return WriteTextAs(tagUtf8String, utf8);
    WriteTextAs(utf8.size() <= 255 ? tagString : tagLString, utf8);
}

void TWriter::WriteTextAs(TValueTag tag, std::string_view bytes) {
    if (tag == tagString) {
        WriteTag(tagString);
        return WriteShortString(bytes);
    }
    assert(tag == tagLString || tag == tagUtf8String);
    WriteTagAndLength(tag, bytes.size());
    Write(bytes.data(), bytes.size());
}

void TWriter::WriteWideText(std::u16string_view units) {
    const bool ascii = std::all_of(units.begin(), units.end(), [](char16_t unit) { return unit < 0x80; });
    if (ascii) return WriteText(Utf16ToUtf8(units.data(), units.size()).View());
    WriteWString(units);
}

void TWriter::WriteWString(std::u16string_view units) {
    WriteTagAndLength(tagWString, units.size());
    for (const char16_t unit : units) {
        std::uint8_t bytes[2];
        WriteLittleEndian(bytes, unit, 2);
        Write(bytes, sizeof bytes);
    }
}

void TWriter::WriteIdent(std::string_view identifier) {
    for (const TValueTag tag : {tagFalse, tagTrue, tagNil, tagNull})
        if (SameText(identifier, ValueLayoutOf(tag)->ident)) return WriteTag(tag);
    WriteTag(tagIdent);
    WriteShortString(identifier);
}

void TWriter::WriteBoolean(bool value) { WriteTag(value ? tagTrue : tagFalse); }

void TWriter::WriteFloat(long double value) {
    static_assert(LDBL_MANT_DIG == 64, "the form format stores 80-bit extended floats");
    std::uint8_t bytes[11] = {tagExtended};
    std::memcpy(bytes + 1, &value, 10);
    Write(bytes, sizeof bytes);
}

void TWriter::WriteSet(std::span<const std::string_view> elementNames) {
    WriteTag(tagSet);
    for (const std::string_view name : elementNames) WriteShortString(name);
    WriteShortString("");
}

void TWriter::WriteBinary(std::span<const std::uint8_t> bytes) {
    WriteTagAndLength(tagBinary, bytes.size());
    Write(bytes.data(), bytes.size());
}

void TWriter::WriteNil() { WriteTag(tagNil); }

// Components.

void TWriter::WriteRootComponent(TComponent& root, TComponent* ancestor) {
    SetRoot(&root);
    SetLookupRoot(&root);
    rootAncestor_ = ancestor;
    WriteSignature();
    WriteComponent(root);
    FlushBuffer();
}

void TWriter::WriteComponent(TComponent& component) {
    TComponent* ancestor = nullptr;
    if (rootAncestor_)
        ancestor = &component == Root() ? rootAncestor_ : rootAncestor_->FindComponent(component.Name().View());
    WritePrefix(ancestor && &component != Root() ? prefixInherited : 0);
    WriteShortString(component.ClassName());
    WriteShortString(component.Name().View());
    {
        ScopedValue<TPersistent*> compared(ancestor_, ancestor);
        WriteProperties(component);
    }
    WriteListEnd();
    if (Root()) component.EnumerateChildren([this](TComponent& child) { WriteComponent(child); }, *Root());
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent& object) {
    // Read-only properties are left out, except objects whose own properties are written.
    for (const TPropInfo* property : AllProperties(object.ClassInfo()))
        if (property->IsStored(object) && (property->IsWritable() || property->Kind() == kindClass))
            WriteProperty(object, *property);
    object.DeclareCustomProperties(*this);
}

void TWriter::WritePropertyName(std::string_view name) { WriteShortString((propertyPath_ + String(name)).View()); }

void TWriter::WriteProperty(TPersistent& object, const TPropInfo& property) {
    const TPropValue value = property.Get(object);
    // The ancestor's value, when the ancestor has this very property.
    TPersistent* const ancestor = Ancestor();
    std::optional<TPropValue> inherited;
    if (ancestor && FindProperty(ancestor->ClassInfo(), property.Name()) == &property)
        inherited = property.Get(*ancestor);

    const TTypeKind kind = property.Type().kind;
    if (IsOrdinalKind(kind)) return WriteOrdinalProperty(property, value, inherited);
    switch (kind) {
        case kindFloat: return WriteFloatProperty(property, value, inherited);
        case kindShortString:
        case kindLongString: return WriteTextProperty(property, value, inherited);
        case kindWideString: return WriteWideTextProperty(property, value, inherited);
        case kindMethod: return WriteMethodProperty(property, value, inherited);
        case kindClass: return WriteClassProperty(property, value, inherited);
        default: return;  // not published by this layer's classes
    }
}

void TWriter::WriteOrdinalProperty(const TPropInfo& property, const TPropValue& value,
                                   const std::optional<TPropValue>& inherited) {
    const std::int64_t ordinal = std::get<std::int64_t>(value);
    if (inherited ? ordinal == std::get<std::int64_t>(*inherited) : property.Default() == ordinal) return;
    WritePropertyName(property.Name());
    const TTypeInfo& type = property.Type();
    switch (type.kind) {
        case kindInteger: {
            String ident;
            const std::optional<TIdentMap> map = FindIdentMap(type);
            if (map && map->toIdent && map->toIdent(static_cast<std::int32_t>(ordinal), ident))
                return WriteIdent(ident.View());
            return WriteInteger(ordinal);
        }
        case kindChar: {
            // The property holds a Windows-1252 byte; the text written is UTF-8.
            const char c = static_cast<char>(ordinal);
            return WriteText(Windows1252ToUtf8(std::string_view(&c, ordinal == 0 ? 0 : 1)).View());
        }
        case kindEnumeration: {
            if (type.boolean) return WriteBoolean(ordinal != 0);
            const std::string_view name = EnumValueName(type, ordinal);
            return name.empty() ? WriteInteger(ordinal) : WriteIdent(name);
        }
        case kindSet: return WriteSet(SetElementNames(type, ordinal));
        default: return WriteInteger(ordinal);
    }
}

void TWriter::WriteFloatProperty(const TPropInfo& property, const TPropValue& value,
                                 const std::optional<TPropValue>& inherited) {
    const long double number = std::get<long double>(value);
    if (inherited ? number == std::get<long double>(*inherited) : number == 0) return;
    WritePropertyName(property.Name());
    WriteFloat(number);
}

void TWriter::WriteTextProperty(const TPropInfo& property, const TPropValue& value,
                                const std::optional<TPropValue>& inherited) {
    const String& text = std::get<String>(value);
    if (inherited ? text == std::get<String>(*inherited) : text.IsEmpty()) return;
    WritePropertyName(property.Name());
    WriteText(text.View());
}

void TWriter::WriteWideTextProperty(const TPropInfo& property, const TPropValue& value,
                                    const std::optional<TPropValue>& inherited) {
    const std::u16string& units = std::get<std::u16string>(value);
    if (inherited ? units == std::get<std::u16string>(*inherited) : units.empty()) return;
    WritePropertyName(property.Name());
    WriteWideText(units);
}

void TWriter::WriteMethodProperty(const TPropInfo& property, const TPropValue& value,
                                  const std::optional<TPropValue>& inherited) {
    const TMethod& handler = std::get<TMethod>(value);
    const TMethodInfo* method = Root() ? FindMethodOf(Root()->ClassInfo(), *Root(), handler) : nullptr;
    // A handler that is no published method of the root cannot be named.
    if (handler.IsAssigned() && !method) return;
    if (inherited) {
        const TMethod& old = std::get<TMethod>(*inherited);
        // The ancestor's handlers are bound to the ancestor's root.
        TComponent* const oldRoot = rootAncestor_ ? rootAncestor_ : Root();
        const TMethodInfo* oldMethod = oldRoot ? FindMethodOf(oldRoot->ClassInfo(), *oldRoot, old) : nullptr;
        if (method == oldMethod) return;
    } else if (!method) {
        return;
    }
    WritePropertyName(property.Name());
    return method ? WriteIdent(method->Name()) : WriteNil();
}

void TWriter::WriteClassProperty(const TPropInfo& property, const TPropValue& value,
                                 const std::optional<TPropValue>& inherited) {
    TObject* const held = std::get<TObject*>(value);
    TObject* const inheritedHeld = inherited ? std::get<TObject*>(*inherited) : nullptr;
    auto* component = dynamic_cast<TComponent*>(held);
    if (!held || (component && !component->IsSubComponent()))
        return WriteReferenceProperty(property, component, inherited.has_value(),
                                      dynamic_cast<TComponent*>(inheritedHeld));
    auto* persistent = dynamic_cast<TPersistent*>(held);
    if (!persistent) return;
    if (auto* collection = dynamic_cast<TCollection*>(persistent))
        return WriteCollectionProperty(property, *collection, inherited.has_value());
    // An object of its own (a font, a string list): its properties under a path.
    ScopedValue<String> path(propertyPath_, propertyPath_ + String(property.Name()) + ".");
    ScopedValue<TPersistent*> compared(ancestor_, dynamic_cast<TPersistent*>(inheritedHeld));
    WriteProperties(*persistent);
}

void TWriter::WriteReferenceProperty(const TPropInfo& property, TComponent* component, bool inherited,
                                     const TComponent* old) {
    if (!property.IsWritable()) return;
    // The ancestor's references are named from the ancestor's root.
    const bool same =
        inherited ? (component && old ? ReferenceName(*component, LookupRoot()) == ReferenceName(*old, rootAncestor_)
                                      : component == old)
                  : !component;
    if (same) return;
    WritePropertyName(property.Name());
    return component ? WriteIdent(ReferenceName(*component, LookupRoot()).View()) : WriteNil();
}

void TWriter::WriteCollectionProperty(const TPropInfo& property, TCollection& collection, bool inherited) {
    if (collection.Count() == 0 && !inherited) return;
    WritePropertyName(property.Name());
    WriteTag(tagCollection);
    {
        ScopedValue<String> path(propertyPath_, String());
        ScopedValue<TPersistent*> compared(ancestor_, nullptr);
        for (int i = 0; i < collection.Count(); ++i) {
            WriteListBegin();
            WriteProperties(*collection.Items(i));
            WriteListEnd();
        }
    }
    WriteListEnd();
}

void TWriter::OfferCustomProperty(std::string_view name, const TCustomReadProc&, const TCustomWriteProc& write,
                                  bool hasData) {
    if (!hasData || !write) return;
    WritePropertyName(name);
    write(*this);
}

void TWriter::OfferBinaryProperty(std::string_view name, const TBinaryReadProc&, const TBinaryWriteProc& write,
                                  bool hasData) {
    if (!hasData || !write) return;
    TMemoryStream data;
    write(data);
    WritePropertyName(name);
    WriteBinary({data.Memory(), static_cast<std::size_t>(data.Size())});
}

}  // namespace orvalis
