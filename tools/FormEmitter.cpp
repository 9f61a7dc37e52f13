#include "tools/FormEmitter.h"

#include <string_view>

#include "runtime/Stream.h"

namespace orvalis::formc {
namespace {

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
            return writer.WriteIntegerAs(*value.encoding, value.integer);
        case Kind::Float: writer.WriteTag(*value.encoding); return writer.Write(value.bytes.data(), value.bytes.size());
        case Kind::Text:
            if (!value.encoding) return writer.WriteText(value.bytes);
            return writer.WriteTextAs(*value.encoding, value.bytes);
        case Kind::WideText: return writer.WriteWString(value.wide);
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
