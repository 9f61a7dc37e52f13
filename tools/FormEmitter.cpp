#include "tools/FormEmitter.h"

#include <cassert>
#include <string_view>

#include "runtime/Stream.h"

namespace orvalis::formc {
namespace {

void WriteLittleEndian(TWriter& writer, std::uint64_t value, int size) {
    std::uint8_t bytes[8];
    for (int i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    writer.Write(bytes, static_cast<std::size_t>(size));
}

int IntegerSize(TValueTag tag) {
    switch (tag) {
        case tagInt8: return 1;
        case tagInt16: return 2;
        case tagInt32: return 4;
        default: assert(tag == tagInt64); return 8;
    }
}

void EmitText(TWriter& writer, const FormValue& value) {
    if (!value.encoding) return writer.WriteText(value.bytes);
    writer.WriteTag(*value.encoding);
    if (*value.encoding == tagString) return writer.WriteShortString(value.bytes);
    assert(*value.encoding == tagLString || *value.encoding == tagUtf8String);
    WriteLittleEndian(writer, value.bytes.size(), 4);
    writer.Write(value.bytes.data(), value.bytes.size());
}

void EmitIdent(TWriter& writer, const FormValue& value) {
    if (!value.encoding) return writer.WriteIdent(value.bytes);
    writer.WriteTag(*value.encoding);
    if (*value.encoding == tagIdent) writer.WriteShortString(value.bytes);
}

void EmitProperties(TWriter& writer, const std::vector<FormProperty>& properties) {
    for (const FormProperty& property : properties) {
        writer.WriteShortString(property.name);
        EmitValue(writer, property.value);
    }
    writer.WriteListEnd();
}

void EmitComponent(TWriter& writer, const FormComponent& component) {
    if (component.prefixFlags) {
        // Written by hand: a prefix byte without flags is kept too, and the
        // position keeps its own integer tag.
        const std::uint8_t prefix = kPrefixMark | *component.prefixFlags;
        writer.Write(&prefix, 1);
        if (component.position) EmitValue(writer, *component.position);
    }
    writer.WriteShortString(component.className);
    writer.WriteShortString(component.name);
    EmitProperties(writer, component.properties);
    for (const FormComponent& child : component.children) EmitComponent(writer, child);
    writer.WriteListEnd();
}

}  // namespace

void EmitValue(TWriter& writer, const FormValue& value) {
    using Kind = FormValue::Kind;
    switch (value.kind) {
        case Kind::Integer:
            if (!value.encoding) return writer.WriteInteger(value.integer);
            writer.WriteTag(*value.encoding);
            return WriteLittleEndian(writer, static_cast<std::uint64_t>(value.integer), IntegerSize(*value.encoding));
        case Kind::Float: writer.WriteTag(*value.encoding); return writer.Write(value.bytes.data(), value.bytes.size());
        case Kind::Text: return EmitText(writer, value);
        case Kind::WideText:
            writer.WriteTag(tagWString);
            WriteLittleEndian(writer, value.wide.size(), 4);
            for (const char16_t unit : value.wide) WriteLittleEndian(writer, unit, 2);
            return;
        case Kind::Ident: return EmitIdent(writer, value);
        case Kind::Set: {
            const std::vector<std::string_view> names(value.names.begin(), value.names.end());
            return writer.WriteSet(names);
        }
        case Kind::List:
            writer.WriteListBegin();
            for (const FormValue& element : value.elements) EmitValue(writer, element);
            return writer.WriteListEnd();
        case Kind::Binary:
            return writer.WriteBinary({reinterpret_cast<const std::uint8_t*>(value.bytes.data()), value.bytes.size()});
        case Kind::Collection:
            writer.WriteTag(tagCollection);
            for (const FormCollectionItem& item : value.items) {
                if (item.index) EmitValue(writer, *item.index);
                writer.WriteListBegin();
                EmitProperties(writer, item.properties);
            }
            return writer.WriteListEnd();
    }
}

std::vector<std::uint8_t> CompileForm(const FormComponent& root) {
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteSignature();
        EmitComponent(writer, root);
    }
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

}  // namespace orvalis::formc
