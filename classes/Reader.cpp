#include "classes/Reader.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "classes/ClassRegistry.h"
#include "classes/Collection.h"
#include "classes/Component.h"
#include "classes/IdentMaps.h"
#include "classes/Loading.h"
#include "classes/UpdateScope.h"
#include "classes/detail/LoadingState.h"
#include "runtime/Exceptions.h"
#include "runtime/LittleEndian.h"
#include "runtime/ScopedValue.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

// Long payloads are read and skipped in pieces, so that a length beyond the end of
// the stream fails as a short read instead of allocating what it claims.
constexpr std::size_t kReadPiece = 64 * 1024;
constexpr std::size_t kSkipPiece = 256;

// An 80-bit extended float: 64-bit mantissa with its integer bit, 15-bit exponent
// biased by 16383, sign. Decoded arithmetically, whatever the machine's long double.
long double DecodeExtended(const std::uint8_t bytes[10]) {
    const std::uint64_t mantissa = ReadLittleEndian(bytes, 8);
    const auto signAndExponent = static_cast<std::uint16_t>(ReadLittleEndian(bytes + 8, 2));
    const int exponent = signAndExponent & 0x7FFF;
    long double value;
    if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? std::numeric_limits<long double>::infinity()
                                     : std::numeric_limits<long double>::quiet_NaN();
    else
        value = std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
    return (signAndExponent & 0x8000) ? -value : value;
}

// A decimal integer, sign allowed, nothing else.
bool ParseDecimal(std::string_view text, std::int64_t& value) {
    const char* begin = text.data();
    if (!text.empty() && text[0] == '+') ++begin;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end && begin != end;
}

}  // namespace

TReader::Nesting::Nesting(TReader& reader) : reader_(reader) {
    if (reader_.nesting_ >= kMaxNesting) throw EReadError(ResId::InvalidStreamFormat);
    ++reader_.nesting_;
}

TReader::TReader(TStream& stream, std::size_t bufferSize) : stream_(stream), buffer_(bufferSize) {
    assert(bufferSize > 0);
    loading::ReaderStarted(*this);
}

TReader::~TReader() {
    loading::ReaderFinished(*this);
    const std::size_t unread = bufferEnd_ - bufferPosition_;
    if (unread == 0) return;
    try {
        stream_.Seek(-static_cast<std::int64_t>(unread), SeekOrigin::Current);
    } catch (...) {
        // A stream that cannot move back keeps its position; nothing else is lost.
    }
}

// The buffer and the primitives.

void TReader::FillBuffer() {
    const std::size_t got = stream_.Read(buffer_.data(), buffer_.size());
    if (got == 0) throw EReadError(ResId::StreamRead);
    bufferPosition_ = 0;
    bufferEnd_ = got;
}

void TReader::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        if (bufferPosition_ == bufferEnd_) FillBuffer();
        const std::size_t piece = std::min(count, bufferEnd_ - bufferPosition_);
        std::memcpy(out, buffer_.data() + bufferPosition_, piece);
        bufferPosition_ += piece;
        out += piece;
        count -= piece;
    }
}

std::int64_t TReader::Position() {
    return stream_.Position() - static_cast<std::int64_t>(bufferEnd_ - bufferPosition_);
}

std::uint8_t TReader::PeekByte() {
    if (bufferPosition_ == bufferEnd_) FillBuffer();
    return buffer_[bufferPosition_];
}

TValueTag TReader::ReadTag() {
    std::uint8_t tag;
    Read(&tag, 1);
    return static_cast<TValueTag>(tag);
}

TValueTag TReader::PeekTag() { return static_cast<TValueTag>(PeekByte()); }

void TReader::RefuseValue() {
    SkipValue();
    throw EReadError(ResId::InvalidPropertyValue);
}

void TReader::CheckTag(TValueTag expected) {
    if (PeekTag() != expected) RefuseValue();
    ReadTag();
}

std::uint8_t TReader::ReadPrefix(int& childPosition) {
    childPosition = 0;
    if (PeekByte() < kPrefixMark) return 0;
    std::uint8_t prefix;
    Read(&prefix, 1);
    const auto flags = static_cast<std::uint8_t>(prefix & 0x0F);
    if (flags & prefixChildPos) childPosition = ReadInteger();
    return flags;
}

String TReader::ReadShortString() {
    std::uint8_t length;
    Read(&length, 1);
    String text = String::OfLength(length);
    if (length > 0) Read(text.Data(), length);
    return text;
}

std::uint32_t TReader::ReadLength() {
    std::uint8_t bytes[4];
    Read(bytes, 4);
    return static_cast<std::uint32_t>(ReadLittleEndian(bytes, 4));
}

std::string TReader::ReadBytes(std::uint64_t length) {
    std::string bytes;
    while (length > 0) {
        const auto piece = static_cast<std::size_t>(std::min<std::uint64_t>(length, kReadPiece));
        const std::size_t old = bytes.size();
        bytes.resize(old + piece);
        Read(bytes.data() + old, piece);
        length -= piece;
    }
    return bytes;
}

void TReader::SkipBytes(std::uint64_t length) {
    std::uint8_t piece[kSkipPiece];
    while (length > 0) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, kSkipPiece));
        Read(piece, count);
        length -= count;
    }
}

std::int32_t TReader::ReadInteger() {
    const TValueTag tag = PeekTag();
    if (!IsIntegerTag(tag)) RefuseValue();
    const std::int64_t value = ReadInt64();
    if (value < INT32_MIN || value > static_cast<std::int64_t>(UINT32_MAX))
        throw EReadError(ResId::InvalidPropertyValue);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int64_t TReader::ReadInt64() {
    if (!IsIntegerTag(PeekTag())) RefuseValue();
    const std::size_t size = ValueLayoutOf(ReadTag())->size;
    std::uint8_t bytes[8];
    Read(bytes, size);
    return ReadLittleEndianSigned(bytes, size);
}

long double TReader::ReadFloat() {
    if (PeekTag() != tagExtended) {
        if (!IsIntegerTag(PeekTag())) RefuseValue();
        return static_cast<long double>(ReadInt64());
    }
    ReadTag();
    std::uint8_t bytes[10];
    Read(bytes, 10);
    return DecodeExtended(bytes);
}

float TReader::ReadSingle() {
    if (PeekTag() != tagSingle) {
        if (!IsIntegerTag(PeekTag())) RefuseValue();
        return static_cast<float>(ReadInt64());
    }
    ReadTag();
    std::uint8_t bytes[4];
    Read(bytes, 4);
    const auto bits = static_cast<std::uint32_t>(ReadLittleEndian(bytes, 4));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::int64_t TReader::ReadCurrency() {
    if (PeekTag() != tagCurrency) {
        if (!IsIntegerTag(PeekTag())) RefuseValue();
        const std::int64_t units = ReadInt64();
        constexpr std::int64_t kScale = 10000;
        if (units > INT64_MAX / kScale || units < INT64_MIN / kScale) throw EReadError(ResId::InvalidPropertyValue);
        return units * kScale;
    }
    ReadTag();
    std::uint8_t bytes[8];
    Read(bytes, 8);
    return static_cast<std::int64_t>(ReadLittleEndian(bytes, 8));
}

double TReader::ReadDate() {
    if (PeekTag() != tagDate) {
        if (!IsIntegerTag(PeekTag())) RefuseValue();
        return static_cast<double>(ReadInt64());
    }
    ReadTag();
    std::uint8_t bytes[8];
    Read(bytes, 8);
    const std::uint64_t bits = ReadLittleEndian(bytes, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

String TReader::ReadString() {
    // The ANSI text tags hold Windows-1252 bytes; our texts are UTF-8.
    switch (PeekTag()) {
        case tagString: ReadTag(); return Windows1252ToUtf8(ReadShortString().View());
        case tagLString: ReadTag(); return Windows1252ToUtf8(ReadBytes(ReadLength()));
        case tagUtf8String: ReadTag(); return ValidUtf8(ReadBytes(ReadLength()));
        case tagWString: {
            const std::u16string units = ReadWideString();
            return Utf16ToUtf8(units.data(), units.size());
        }
        default: RefuseValue();
    }
}

std::u16string TReader::ReadWideString() {
    if (PeekTag() != tagWString) return Utf8ToUtf16(ReadString().View());
    ReadTag();
    const std::uint32_t count = ReadLength();
    const std::string bytes = ReadBytes(std::uint64_t{count} * 2);
    const auto* unitBytes = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::u16string units(count, u'\0');
    for (std::size_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(ReadLittleEndian(unitBytes + 2 * i, 2));
    return units;
}

String TReader::ReadIdent() {
    if (PeekTag() == tagIdent) {
        ReadTag();
        return ReadShortString();
    }
    const std::optional<TValueLayout> layout = ValueLayoutOf(PeekTag());
    if (!layout || layout->payload != TPayload::None) RefuseValue();
    ReadTag();
    return String(layout->ident);
}

std::uint32_t TReader::ReadSet(const TTypeInfo& setType) {
    assert(setType.kind == kindSet && setType.elementType);
    CheckTag(tagSet);
    // The only failure inside a set is the stream ending: nothing is left to skip.
    std::uint32_t bits = 0;
    for (String name = ReadShortString(); !name.IsEmpty(); name = ReadShortString()) {
        const int value = FindEnumValue(*setType.elementType, name.View());
        if (value >= 0 && value <= 31) bits |= 1u << value;
    }
    return bits;
}

char TReader::ReadChar() {
    // A character property holds one Windows-1252 byte, whatever tag the text came in.
    const std::optional<std::string> bytes = Utf8ToWindows1252Exactly(ReadString().View());
    if (!bytes || bytes->size() > 1) throw EReadError(ResId::InvalidPropertyValue);
    return bytes->empty() ? '\0' : bytes->front();
}

bool TReader::ReadBoolean() {
    const TValueTag tag = PeekTag();
    if (tag != tagTrue && tag != tagFalse) RefuseValue();
    ReadTag();
    return tag == tagTrue;
}

void TReader::SkipSetBody() {
    for (;;) {
        std::uint8_t length;
        Read(&length, 1);
        if (length == 0) return;
        SkipBytes(length);
    }
}

void TReader::SkipValue() {
    const std::optional<TValueLayout> layout = ValueLayoutOf(ReadTag());
    if (!layout) throw EReadError(ResId::InvalidStreamFormat);
    switch (layout->payload) {
        case TPayload::None: return;
        case TPayload::Integer:
        case TPayload::Float: return SkipBytes(layout->size);
        case TPayload::ShortBytes: {
            std::uint8_t length;
            Read(&length, 1);
            return SkipBytes(length);
        }
        case TPayload::LongBytes: return SkipBytes(ReadLength());
        case TPayload::WideUnits: return SkipBytes(std::uint64_t{ReadLength()} * 2);
        case TPayload::Names: return SkipSetBody();
        case TPayload::Values: {
            Nesting nesting(*this);
            while (!EndOfList()) SkipValue();
            ReadTag();
            return;
        }
        case TPayload::Items: {
            Nesting nesting(*this);
            while (!EndOfList()) {
                if (IsIntegerTag(PeekTag())) SkipValue();
                if (ReadTag() != tagList) throw EReadError(ResId::InvalidStreamFormat);
                while (!EndOfList()) SkipProperty();
                ReadTag();
            }
            ReadTag();
            return;
        }
    }
}

void TReader::SkipProperty() {
    std::uint8_t length;
    Read(&length, 1);
    SkipBytes(length);
    SkipValue();
}

void TReader::SkipComponent(bool skipHeader) {
    Nesting nesting(*this);
    if (skipHeader) {
        int position;
        ReadPrefix(position);
        ReadShortString();
        ReadShortString();
    }
    while (!EndOfList()) SkipProperty();
    ReadTag();
    while (!EndOfList()) SkipComponent(true);
    ReadTag();
}

// Custom properties.

void TReader::OfferCustomProperty(std::string_view name, const TCustomReadProc& read, const TCustomWriteProc&, bool) {
    if (!read || pendingCustomName_.IsEmpty() || !SameText(name, pendingCustomName_.View())) return;
    pendingCustomName_ = String();
    read(*this);
}

void TReader::OfferBinaryProperty(std::string_view name, const TBinaryReadProc& read, const TBinaryWriteProc&, bool) {
    if (!read || pendingCustomName_.IsEmpty() || !SameText(name, pendingCustomName_.View())) return;
    pendingCustomName_ = String();
    CheckTag(tagBinary);
    std::uint64_t length = ReadLength();
    TMemoryStream data;
    std::uint8_t piece[kSkipPiece];
    while (length > 0) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(length, sizeof piece));
        Read(piece, count);
        data.WriteBuffer(piece, count);
        length -= count;
    }
    data.SetPosition(0);
    read(data);
}

bool TReader::AskReadError(const String& message) {
    bool handled = false;
    if (OnReadError) OnReadError(this, message, handled);
    return handled;
}

// Components.

TComponent* TReader::ReadTopComponent(TComponent* existingRoot) {
    char signature[sizeof kFormSignature];
    Read(signature, sizeof signature);
    if (std::memcmp(signature, kFormSignature, sizeof signature) != 0) throw EReadError(ResId::InvalidStreamFormat);
    TNameSpaceWriteGuard nameSpace;
    std::unique_ptr<TComponent> created;
    TComponent* root = existingRoot;
    try {
        int position;
        ReadPrefix(position);  // a root has no position among siblings
        if (root) {
            ReadShortString();
            root->IncludeState(stateLoading | stateReading);
            root->SetName(UniqueRootName(ReadShortString().View()));
        } else {
            const String className = ReadShortString();
            const TClassInfo& cls = RequireClass(className.View());
            if (!cls.InheritsFrom(TComponent::StaticClassInfo()) || !cls.CanCreateComponent())
                throw EClassNotFound(ResId::ClassNotFound, {className});
            created.reset(cls.CreateComponent(nullptr));
            root = created.get();
            root->SetName(ReadShortString());
        }
        SetRoot(root);
        SetLookupRoot(root);
        classFinder_ = std::make_unique<TClassFinder>(root->ClassInfo());

        std::vector<TComponent*> ownList;
        std::vector<TComponent*>* globalList = loading::ActiveLoadedList();
        loaded_ = globalList ? globalList : &ownList;
        if (std::find(loaded_->begin(), loaded_->end(), root) == loaded_->end()) loaded_->push_back(root);
        owner_ = root;

        root->IncludeState(stateLoading | stateReading);
        root->ReadOwnState(*this);
        root->ExcludeState(stateReading);
        if (!globalList)
            for (std::size_t i = 0; i < ownList.size(); ++i) ownList[i]->LoadingFinished();
        loaded_ = nullptr;
        classFinder_.reset();

        for (;;) {
            try {
                ResolveCrossFormReferences();
                break;
            } catch (const Exception& error) {
                if (!AskReadError(error.Message())) throw;
            }
        }
    } catch (...) {
        loaded_ = nullptr;
        classFinder_.reset();
        if (root) {
            root->ExcludeState(stateReading);
            loading::DropGlobalFixupsOf(*root);
        }
        throw;  // a root created here goes with `created`
    }
    return created ? created.release() : root;
}

const TClassInfo& TReader::FindComponentClass(const String& className) {
    const TClassInfo* cls = Root() ? FindFieldClass(Root()->ClassInfo(), className.View()) : nullptr;
    if (!cls && LookupRoot() && LookupRoot() != Root())
        cls = FindFieldClass(LookupRoot()->ClassInfo(), className.View());
    if (!cls) cls = classFinder_ ? classFinder_->Find(className.View()) : LookupClass(className.View());
    if (OnFindChildClass) OnFindChildClass(this, className, cls);
    if (!cls || !cls->InheritsFrom(TComponent::StaticClassInfo()) || !cls->CanCreateComponent())
        throw EClassNotFound(ResId::ClassNotFound, {className});
    return *cls;
}

void TReader::FreeCreatedChild(TComponent* component) {
    delete component;  // its destructor takes it off this reader's lists
}

TComponent* TReader::ReadChild() {
    Nesting nesting(*this);
    int position = 0;
    const std::uint8_t flags = ReadPrefix(position);
    const String className = ReadShortString();
    const String name = ReadShortString();
    ScopedValue keepParent(parent_);
    ScopedValue keepLookupRoot(lookupRoot_);

    TComponent* component = nullptr;
    bool created = false;
    try {
        component = FindOrCreateChild(flags, className, name, created);
    } catch (const Exception& error) {
        return DropFailedChild(error);
    }

    try {
        AttachChild(*component, flags, name);
    } catch (const Exception& error) {
        if (created) FreeCreatedChild(component);
        return DropFailedChild(error);
    } catch (...) {
        if (created) FreeCreatedChild(component);
        throw;
    }

    try {
        ReadChildState(*component, flags, position);
    } catch (...) {
        if (created)
            FreeCreatedChild(component);
        else
            component->ExcludeState(stateReading);
        throw;
    }
    return component;
}

TComponent* TReader::FindOrCreateChild(std::uint8_t flags, const String& className, const String& name, bool& created) {
    TComponent* component = nullptr;
    if (flags & prefixInherited) {
        component = LookupRoot() ? LookupRoot()->FindComponent(name.View()) : nullptr;
        if (!component && OnAncestorMissing) {
            const TClassInfo* cls = Root() ? FindFieldClass(Root()->ClassInfo(), className.View()) : nullptr;
            OnAncestorMissing(this, name, cls, component);
        }
        if (!component) throw EReadError(ResId::AncestorNotFound, {name});
        parent_ = component->ParentComponent() ? component->ParentComponent() : Root();
        return component;
    }
    const TClassInfo& cls = FindComponentClass(className);
    if (OnCreateChild) OnCreateChild(this, cls, component);
    if (!component) {
        const TNextComponentState state((flags & prefixInline) ? stateLoading | stateInline : 0);
        component = cls.CreateComponent(owner_);
    }
    created = true;
    return component;
}

void TReader::AttachChild(TComponent& component, std::uint8_t flags, const String& name) {
    component.IncludeState(stateLoading);
    if (flags & prefixInherited) return;  // the ancestor's child is in place already
    component.AttachToParent(parent_);
    String newName = name;
    if (OnNameChild) OnNameChild(this, &component, newName);
    component.SetName(newName);
}

void TReader::ReadChildState(TComponent& component, std::uint8_t flags, int position) {
    if (component.HasState(stateInline)) SetLookupRoot(&component);
    component.IncludeState(stateReading);
    component.ReadOwnState(*this);
    component.ExcludeState(stateReading);
    if ((flags & prefixChildPos) && parent_) parent_->PlaceChildAt(component, position);
    if (loaded_) {
        const bool listed = (flags & (prefixInherited | prefixInline)) &&
                            std::find(loaded_->begin(), loaded_->end(), &component) != loaded_->end();
        if (!listed) loaded_->push_back(&component);
    }
}

TComponent* TReader::DropFailedChild(const Exception& error) {
    SkipComponent(false);
    if (AskReadError(error.Message())) return nullptr;
    throw;  // called from a handler: the failure goes on to the caller
}

void TReader::ReadBody(TComponent& component) {
    // The outermost body keeps the pending references of the whole read.
    std::optional<ScopedValue<std::unique_ptr<std::vector<TPropFixup>>>> ownFixups;
    if (!fixups_) ownFixups.emplace(fixups_, std::make_unique<std::vector<TPropFixup>>());

    {
        ScopedValue<TComponent*> body(bodyComponent_, &component);
        while (!EndOfList()) ReadNamedProperty(component);
        ReadListEnd();
    }
    {
        ScopedValue keepParent(parent_);
        ScopedValue keepOwner(owner_);
        parent_ = component.ChildParent();
        owner_ = component.ChildOwner() ? component.ChildOwner() : Root();
        while (!EndOfList()) ReadChild();
        ReadListEnd();
    }
    if (ownFixups) ResolvePendingReferences();
}

// Properties.

void TReader::ReadNamedProperty(TPersistent& object) {
    const String path = ReadShortString();
    // Errors of a custom property's own reading are not offered to OnReadError.
    bool canHandleErrors = true;
    std::string_view rest = path.View();
    std::string_view segment = rest;
    try {
        TPersistent* current = &object;
        for (std::size_t dot = rest.find('.'); dot != std::string_view::npos; dot = rest.find('.')) {
            segment = rest.substr(0, dot);
            rest.remove_prefix(dot + 1);
            const TPropInfo* property = FindProperty(current->ClassInfo(), segment);
            if (!property) {
                SkipValue();
                throw EReadError(ResId::PropertyDoesNotExist, {segment});
            }
            TPersistent* value = nullptr;
            if (property->Kind() == kindClass)
                value = dynamic_cast<TPersistent*>(std::get<TObject*>(property->Get(*current)));
            if (!value) {
                SkipValue();
                throw EReadError(ResId::InvalidPropertyPath);
            }
            current = value;
        }
        segment = rest;
        if (const TPropInfo* property = FindProperty(current->ClassInfo(), segment)) {
            StoreValue(*current, *property);
        } else {
            pendingCustomName_ = String(segment);
            canHandleErrors = false;
            current->DeclareCustomProperties(*this);
            canHandleErrors = true;
            if (!pendingCustomName_.IsEmpty()) {
                pendingCustomName_ = String();
                SkipValue();
                throw EReadError(ResId::PropertyDoesNotExist, {segment});
            }
        }
    } catch (const Exception& error) {
        pendingCustomName_ = String();
        const EReadError wrapped(ResId::PropertyReadError, {object.NamePath(), ".", segment, error.Message()});
        if (canHandleErrors && AskReadError(wrapped.Message())) return;
        throw wrapped;
    }
}

void TReader::StoreValue(TPersistent& object, const TPropInfo& property) {
    if (!property.IsWritable()) {
        const auto* held = property.Kind() == kindClass
                               ? dynamic_cast<const TComponent*>(std::get<TObject*>(property.Get(object)))
                               : nullptr;
        if (!held || !held->IsSubComponent()) {
            SkipValue();
            throw EReadError(ResId::ReadOnlyProperty);
        }
    }
    switch (property.Kind()) {
        case kindInteger:
        case kindChar:
        case kindEnumeration:
        case kindSet:
        case kindInt64: return StoreOrdinal(object, property);
        case kindFloat: return property.Set(object, ReadFloat());
        case kindShortString: {
            // The maximum counts bytes of Windows-1252, one per character.
            const String text = ReadString();
            return property.Set(object, String(FirstCharacters(text.View(), property.Type().maxLength)));
        }
        case kindLongString: return property.Set(object, ReadString());
        case kindWideString: return property.Set(object, ReadWideString());
        case kindClass: return StoreReference(object, property);
        case kindMethod: return StoreHandler(object, property);
        default:
            // Variant, interface and wide character properties are not published here.
            RefuseValue();
    }
}

void TReader::StoreOrdinal(TPersistent& object, const TPropInfo& property) {
    const TTypeInfo& type = property.Type();
    std::int64_t value = 0;
    switch (type.kind) {
        case kindInteger:
            if (PeekTag() == tagIdent) {
                const String ident = ReadIdent();
                const std::optional<TIdentMap> map = FindIdentMap(type);
                std::int32_t mapped = 0;
                if (!map || !map->toInt || !map->toInt(ident.View(), mapped))
                    throw EReadError(ResId::InvalidPropertyValue);
                value = mapped;
            } else {
                value = ReadInteger();
            }
            break;
        case kindChar: value = static_cast<unsigned char>(ReadChar()); break;
        case kindEnumeration: {
            const String ident = ReadIdent();
            if (type.boolean && type.minValue < 0) {
                if (SameText(ident.View(), "False"))
                    value = 0;
                else if (SameText(ident.View(), "True"))
                    value = -1;
                else if (!ParseDecimal(ident.View(), value))
                    throw EReadError(ResId::InvalidPropertyValue);
            } else {
                // A name outside the enumeration would store a value its type
                // cannot hold: refused.
                value = FindEnumValue(type, ident.View());
                if (value < 0) throw EReadError(ResId::InvalidPropertyValue);
            }
            break;
        }
        case kindSet: value = ReadSet(type); break;
        default: value = ReadInt64(); break;
    }
    property.Set(object, value);
}

void TReader::StoreReference(TPersistent& object, const TPropInfo& property) {
    switch (PeekTag()) {
        case tagNil: ReadTag(); return property.Set(object, static_cast<TObject*>(nullptr));
        case tagCollection: {
            auto* collection = dynamic_cast<TCollection*>(std::get<TObject*>(property.Get(object)));
            if (!collection) RefuseValue();
            ReadTag();
            return ReadCollection(*collection);
        }
        case tagIdent: {
            const String name = ReadIdent();
            if (!property.Type().ClassOf().InheritsFrom(TComponent::StaticClassInfo()))
                throw EReadError(ResId::InvalidPropertyValue);
            TPropFixup fixup{&object, &property, name, LookupRoot(), String(), bodyComponent_};
            if (fixups_)
                fixups_->push_back(std::move(fixup));
            else
                loading::WriteReference(fixup, FindByPath(LookupRoot(), name.View()));
            return;
        }
        default: RefuseValue();
    }
}

void TReader::StoreHandler(TPersistent& object, const TPropInfo& property) {
    switch (PeekTag()) {
        case tagNil: ReadTag(); return property.Set(object, TMethod());
        case tagIdent: {
            const String name = ReadIdent();
            TMethod handler;
            if (Root())
                if (const TMethodInfo* method = FindMethod(Root()->ClassInfo(), name.View()))
                    handler = method->BindTo(*Root());
            if (!handler.IsAssigned() && OnFindHandler) OnFindHandler(this, name, handler);
            if (!handler.IsAssigned()) throw EReadError(ResId::InvalidPropertyValue);
            // A handler of another signature is refused by the property.
            return property.Set(object, handler);
        }
        default: RefuseValue();
    }
}

void TReader::ReadCollection(TCollection& collection) {
    Nesting nesting(*this);
    const TUpdateScope update(collection);
    if (!EndOfList()) collection.Clear();
    while (!EndOfList()) {
        if (IsIntegerTag(PeekTag())) ReadInt64();  // the item's former index, not used
        TCollectionItem* item = collection.Add();
        ReadListBegin();
        while (!EndOfList()) ReadNamedProperty(*item);
        ReadListEnd();
    }
    ReadListEnd();
}

void TReader::ResolvePendingReferences() {
    // One at a time from the front: a setter may destroy components, whose
    // references then leave the list.
    while (!fixups_->empty()) {
        TPropFixup fixup = std::move(fixups_->front());
        fixups_->erase(fixups_->begin());
        String name = fixup.name;
        if (OnRenameReference) OnRenameReference(this, name);
        TComponent* found = FindByPath(fixup.root, name.View());
        loading::DropGlobalFixups([&](const TPropFixup& waiting) {
            return waiting.instance == fixup.instance && waiting.property == fixup.property;
        });
        const std::size_t dot = name.View().find('.');
        if (found || dot == std::string_view::npos) {
            loading::WriteReference(fixup, found);
        } else {
            fixup.rootName = name.Substring(0, dot);
            fixup.name = name.Substring(dot + 1);
            if (auto* component = dynamic_cast<TComponent*>(fixup.instance)) component->IncludeState(stateFixups);
            loading::AddGlobalFixup(std::move(fixup));
        }
    }
}

void TReader::Forget(TComponent& component) {
    if (loaded_) std::erase(*loaded_, &component);
    if (fixups_) {
        const TPersistent* object = &component;
        std::erase_if(*fixups_, [&](const TPropFixup& fixup) {
            return fixup.instance == object || fixup.holder == &component || fixup.root == &component;
        });
    }
}

}  // namespace orvalis
