#include "tools/FormDecoder.h"

#include <cstring>
#include <optional>
#include <string>

#include "runtime/LittleEndian.h"
#include "runtime/TextConversions.h"
#include "tools/FormErrors.h"

namespace orvalis::formc {
namespace {

std::string Count(std::size_t n) { return IntToStr(static_cast<std::int64_t>(n)).ToStdString(); }

// What a float payload is called in messages.
const char* FloatName(TValueTag tag) {
    switch (tag) {
        case tagExtended: return "an extended float";
        case tagSingle: return "a single float";
        case tagCurrency: return "a currency";
        default: return "a date";
    }
}

class Decoder {
public:
    explicit Decoder(std::span<const std::uint8_t> data) : data_(data) {}

    FormComponent Run() {
        if (data_.size() < sizeof kFormSignature ||
            std::memcmp(data_.data(), kFormSignature, sizeof kFormSignature) != 0)
            Fail(0, "the data does not begin with the signature TPF0");
        pos_ = sizeof kFormSignature;
        FormComponent root = ReadComponent(0);
        if (pos_ != data_.size()) Fail(pos_, Count(data_.size() - pos_) + " bytes follow the root component");
        return root;
    }

private:
    [[noreturn]] void Fail(std::size_t offset, const std::string& what) const { throw FormDataError(offset, what); }

    std::size_t Left() const { return data_.size() - pos_; }

    std::uint8_t PeekByte(const char* inside) const {
        if (pos_ == data_.size()) Fail(pos_, std::string("the data ends inside ") + inside);
        return data_[pos_];
    }
    std::uint8_t ReadByte(const char* inside) {
        const std::uint8_t byte = PeekByte(inside);
        ++pos_;
        return byte;
    }
    // The next `size` bytes, which must be there.
    const std::uint8_t* Take(std::size_t size, const char* inside) {
        if (Left() < size) Fail(pos_, std::string("the data ends inside ") + inside);
        pos_ += size;
        return data_.data() + pos_ - size;
    }
    std::uint64_t ReadUnsigned(std::size_t size, const char* inside) {
        return ReadLittleEndian(Take(size, inside), size);
    }
    std::string ReadBytes(std::uint64_t count, const char* what) {
        if (count > Left())
            Fail(pos_, std::string(what) + " of " + Count(count) + " bytes runs past the end of the data (" +
                           Count(Left()) + " left)");
        std::string bytes(reinterpret_cast<const char*>(data_.data() + pos_), count);
        pos_ += count;
        return bytes;
    }
    std::string ReadShortString(const char* what) {
        const std::uint8_t length = ReadByte(what);
        return ReadBytes(length, what);
    }
    // The end-of-list byte, if it stands next; consumed.
    bool AtListEnd(const char* inside) {
        if (PeekByte(inside) != tagNull) return false;
        ++pos_;
        return true;
    }
    void CheckDepth(int depth, std::size_t at) const {
        if (depth > kMaxFormNesting) Fail(at, NestingTooDeep());
    }

    FormComponent ReadComponent(int depth) {
        CheckDepth(depth, pos_);
        FormComponent component;
        if (PeekByte("a component") >= kPrefixMark) {
            const std::uint8_t flags = ReadByte("a prefix") & 0x0F;
            component.prefixFlags = flags;
            if (flags & prefixChildPos) {
                const std::size_t at = pos_;
                component.position = ReadIndexInteger("a child position");
                if (!IsChildPositionInRange(component.position->integer)) Fail(at, kChildPositionRange);
            }
        }
        const std::size_t classAt = pos_;
        component.className = ReadShortString("a class name");
        if (component.className.empty()) Fail(classAt, "empty class name");
        component.name = ReadShortString("a component name");
        while (!AtListEnd("the properties of a component")) component.properties.push_back(ReadProperty(depth));
        while (!AtListEnd("the children of a component")) component.children.push_back(ReadComponent(depth + 1));
        return component;
    }

    FormProperty ReadProperty(int depth) {
        FormProperty property;
        property.name = ReadShortString("a property name");
        property.value = ReadValue(depth);
        return property;
    }

    // Child positions and item indexes: any integer tag, as the reader takes them.
    FormValue ReadIndexInteger(const char* what) {
        const std::size_t at = pos_;
        const std::uint8_t tag = ReadByte(what);
        if (!IsIntegerTag(tag))
            Fail(at, std::string(what) + " must be an integer of tag 2, 3, 4 or 19, not " + Count(tag));
        return ReadInteger(static_cast<TValueTag>(tag));
    }

    FormValue ReadInteger(TValueTag tag) {
        const std::size_t size = ValueLayoutOf(tag)->size;
        FormValue value;
        value.kind = FormValue::Kind::Integer;
        value.encoding = tag;
        value.integer = ReadLittleEndianSigned(Take(size, "an integer"), size);
        return value;
    }

    FormValue Scalar(FormValue::Kind kind, TValueTag tag, std::string bytes = {}) {
        FormValue value;
        value.kind = kind;
        value.encoding = tag;
        value.bytes = std::move(bytes);
        return value;
    }

    // `depth` is the nesting of what holds the value; a list or a collection is one
    // level deeper.
    FormValue ReadValue(int depth) {
        using Kind = FormValue::Kind;
        const std::size_t at = pos_;
        const auto tag = static_cast<TValueTag>(ReadByte("a value"));
        // Every payload returns; a byte that is no value tag falls through.
        if (const std::optional<TValueLayout> layout = ValueLayoutOf(tag)) {
            switch (layout->payload) {
                case TPayload::None: return Scalar(Kind::Ident, tag, std::string(layout->ident));
                case TPayload::Integer: return ReadInteger(tag);
                case TPayload::Float: return Scalar(Kind::Float, tag, ReadBytes(layout->size, FloatName(tag)));
                case TPayload::ShortBytes:
                    if (tag == tagIdent) return Scalar(Kind::Ident, tag, ReadShortString("an identifier"));
                    return Scalar(Kind::Text, tag, ReadShortString("a short text"));
                case TPayload::LongBytes:
                    if (tag == tagBinary)
                        return Scalar(Kind::Binary, tag, ReadBytes(ReadUnsigned(4, "a binary length"), "binary data"));
                    return Scalar(Kind::Text, tag, ReadBytes(ReadUnsigned(4, "a text length"), "a text"));
                case TPayload::WideUnits: return ReadWideText();
                case TPayload::Names: return ReadSet();
                case TPayload::Values: CheckDepth(depth + 1, at); return ReadList(depth + 1);
                case TPayload::Items: CheckDepth(depth + 1, at); return ReadCollection(depth + 1);
            }
        }
        Fail(at, "unknown value tag " + Count(tag));
    }

    FormValue ReadSet() {
        FormValue value = Scalar(FormValue::Kind::Set, tagSet);
        for (std::string name = ReadShortString("a set"); !name.empty(); name = ReadShortString("a set"))
            value.names.push_back(std::move(name));
        return value;
    }

    FormValue ReadList(int depth) {
        FormValue value = Scalar(FormValue::Kind::List, tagList);
        while (!AtListEnd("a list")) value.elements.push_back(ReadValue(depth));
        return value;
    }

    FormValue ReadWideText() {
        const std::uint64_t count = ReadUnsigned(4, "a wide text length");
        if (count > Left() / 2)
            Fail(pos_, "a wide text of " + Count(count) + " code units runs past the end of the data (" +
                           Count(Left()) + " bytes left)");
        FormValue value = Scalar(FormValue::Kind::WideText, tagWString);
        value.wide.resize(count);
        for (char16_t& unit : value.wide) unit = static_cast<char16_t>(ReadUnsigned(2, "a wide text"));
        return value;
    }

    FormValue ReadCollection(int depth) {
        FormValue value = Scalar(FormValue::Kind::Collection, tagCollection);
        while (!AtListEnd("a collection")) {
            FormCollectionItem item;
            if (PeekByte("a collection") != tagList) item.index = ReadIndexInteger("an item index");
            const std::size_t at = pos_;
            if (ReadByte("a collection item") != tagList) Fail(at, "a collection item must open with a list tag (1)");
            while (!AtListEnd("a collection item")) item.properties.push_back(ReadProperty(depth));
            value.items.push_back(std::move(item));
        }
        return value;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}  // namespace

FormComponent DecodeForm(std::span<const std::uint8_t> data) { return Decoder(data).Run(); }

}  // namespace orvalis::formc
