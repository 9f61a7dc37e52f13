#pragma once
// TReader: reads a form resource (the TPF0 format) into components through their
// type information. It creates the children by class name, names them (which sets
// the owner's fields), sets published properties by name and path, binds event
// properties to the root's published methods, and resolves references between
// components once the outermost body is read.
//
// Every failure is an exception of the framework family with its French message;
// an error inside a property is wrapped as "Erreur lors de la lecture de %s%s%s: %s".
// With no OnReadError handler every error ends the reading; what was created for it
// is destroyed. A resource nests components, lists and collections at most
// kMaxNesting deep ("Format de flux incorrect" beyond).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classes/ClassInfo.h"
#include "classes/Events.h"
#include "classes/Filer.h"
#include "classes/ValueTags.h"
#include "runtime/Stream.h"
#include "runtime/String.h"

namespace orvalis {

class Exception;
class TClassFinder;
class TCollection;
class TComponent;
class TPersistent;
class TReader;
// The pending references kept while reading (classes/detail/LoadingState.h).
struct TPropFixup;

namespace loading {
// Forgets a destroyed component in every reader at work (classes/detail/LoadingState.h).
void ForgetComponent(TComponent& component);
}  // namespace loading

using TReadErrorEvent = TEvent<void(TReader* Reader, const String& Message, bool& Handled)>;
using TFindHandlerEvent = TEvent<void(TReader* Reader, const String& MethodName, TMethod& Handler)>;
using TNameChildEvent = TEvent<void(TReader* Reader, TComponent* Component, String& Name)>;
using TRenameReferenceEvent = TEvent<void(TReader* Reader, String& Name)>;
using TAncestorMissingEvent =
    TEvent<void(TReader* Reader, const String& Name, const TClassInfo* ComponentClass, TComponent*& Component)>;
using TCreateChildEvent = TEvent<void(TReader* Reader, const TClassInfo& ComponentClass, TComponent*& Component)>;
using TFindChildClassEvent = TEvent<void(TReader* Reader, const String& ClassName, const TClassInfo*& ComponentClass)>;

class TReader : public TFiler {
public:
    // Child components (the root is level 0), lists and collections nest at most this
    // deep, whether they are read or skipped.
    static constexpr int kMaxNesting = 64;
    // One level of nesting while it lives; one level too many raises EReadError
    // "Format de flux incorrect". A custom property that reads a list holds one.
    class Nesting;

    explicit TReader(TStream& stream, std::size_t bufferSize = 4096);
    // Moves the stream back over the buffered bytes not consumed, so that it stands
    // right after the last byte read.
    ~TReader() override;

    // Reads the signature and the root component, into `existingRoot` or into a new
    // component of the class the resource names (the caller owns it then).
    TComponent* ReadTopComponent(TComponent* existingRoot);
    // Reads one child at the current position; null when OnReadError dropped it.
    TComponent* ReadChild();
    // Reads the properties, then the children, of `component`.
    void ReadBody(TComponent& component);
    // Reads one property (a name or a path, then the value) into `object`.
    void ReadNamedProperty(TPersistent& object);
    // Reads the value of `property` of `object`.
    void StoreValue(TPersistent& object, const TPropInfo& property);

    // Primitives. A value of another tag than the primitive accepts is skipped,
    // then refused with EReadError "Valeur de propriété incorrecte".
    TValueTag ReadTag();
    TValueTag PeekTag();
    void CheckTag(TValueTag expected);
    void ReadListBegin() { CheckTag(tagList); }
    void ReadListEnd() { CheckTag(tagNull); }
    // Whether the next byte is the end-of-list byte.
    bool EndOfList() { return PeekTag() == tagNull; }
    // The prefix flags of a component (0 without prefix) and its child position.
    std::uint8_t ReadPrefix(int& childPosition);
    String ReadShortString();
    // Any integer tag (an Int64 tag when the value fits 32 bits, signed or not).
    std::int32_t ReadInteger();
    std::int64_t ReadInt64();
    // tagExtended or any integer tag.
    long double ReadFloat();
    float ReadSingle();
    // The fixed-point value times 10000.
    std::int64_t ReadCurrency();
    double ReadDate();
    // Any text tag, as UTF-8: the ANSI tags (tagString, tagLString) hold Windows-1252
    // bytes and are converted, wide texts too (a lone surrogate becomes U+FFFD);
    // tagUtf8String is taken as it is, each byte that is not UTF-8 made U+FFFD.
    String ReadString();
    std::u16string ReadWideString();
    // tagIdent, or tagFalse, tagTrue, tagNil and tagNull as "False", "True", "nil", "Null".
    String ReadIdent();
    // A tagSet as a bit mask of the element values 0 to 31 (other names ignored).
    std::uint32_t ReadSet(const TTypeInfo& setType);
    // A text of at most one character that Windows-1252 has, in any text tag: its byte
    // (0 for an empty text).
    char ReadChar();
    // tagTrue or tagFalse.
    bool ReadBoolean();
    void SkipValue();
    // A property name and its value.
    void SkipProperty();
    // The rest of a component: its header too when `skipHeader`, then its
    // properties and children.
    void SkipComponent(bool skipHeader);
    void Read(void* buffer, std::size_t count);
    // The position in the stream of the next byte to read.
    std::int64_t Position();

    void OfferCustomProperty(std::string_view name, const TCustomReadProc& read, const TCustomWriteProc& write,
                             bool hasData) override;
    void OfferBinaryProperty(std::string_view name, const TBinaryReadProc& read, const TBinaryWriteProc& write,
                             bool hasData) override;

    // The owner and the parent given to the next child read.
    TComponent* Owner() const { return owner_; }
    void SetOwner(TComponent* owner) { owner_ = owner; }
    TComponent* Parent() const { return parent_; }
    void SetParent(TComponent* parent) { parent_ = parent; }

    // All empty by default; each is asked as its name says.
    TReadErrorEvent OnReadError;
    TFindHandlerEvent OnFindHandler;
    TNameChildEvent OnNameChild;
    TRenameReferenceEvent OnRenameReference;
    TAncestorMissingEvent OnAncestorMissing;
    TCreateChildEvent OnCreateChild;
    TFindChildClassEvent OnFindChildClass;

private:
    friend void loading::ForgetComponent(TComponent& component);

    void FillBuffer();
    std::uint8_t PeekByte();
    std::uint32_t ReadLength();
    std::string ReadBytes(std::uint64_t length);
    void SkipBytes(std::uint64_t length);
    void SkipSetBody();
    [[noreturn]] void RefuseValue();
    bool AskReadError(const String& message);

    const TClassInfo& FindComponentClass(const String& className);
    void FreeCreatedChild(TComponent* component);
    // The steps of ReadChild: the child named by the header (the ancestor's, or a new
    // one, `created` then), attached to its parent and named, then its own state read.
    TComponent* FindOrCreateChild(std::uint8_t flags, const String& className, const String& name, bool& created);
    void AttachChild(TComponent& component, std::uint8_t flags, const String& name);
    void ReadChildState(TComponent& component, std::uint8_t flags, int position);
    // Skips the rest of a child that failed; null when OnReadError drops it, else the
    // failure being handled goes on.
    TComponent* DropFailedChild(const Exception& error);
    void ReadCollection(TCollection& collection);
    void StoreOrdinal(TPersistent& object, const TPropInfo& property);
    void StoreReference(TPersistent& object, const TPropInfo& property);
    void StoreHandler(TPersistent& object, const TPropInfo& property);
    void ResolvePendingReferences();
    void Forget(TComponent& component);

    TStream& stream_;
    std::vector<std::uint8_t> buffer_;
    std::size_t bufferPosition_ = 0;
    std::size_t bufferEnd_ = 0;

    TComponent* owner_ = nullptr;
    TComponent* parent_ = nullptr;
    // The component whose body is being read (pending references go with it).
    TComponent* bodyComponent_ = nullptr;
    std::vector<TComponent*>* loaded_ = nullptr;
    std::unique_ptr<std::vector<TPropFixup>> fixups_;
    std::unique_ptr<TClassFinder> classFinder_;
    String pendingCustomName_;
    int nesting_ = 0;
};

class TReader::Nesting {
public:
    explicit Nesting(TReader& reader);
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    ~Nesting() { --reader_.nesting_; }

private:
    TReader& reader_;
};

}  // namespace orvalis
