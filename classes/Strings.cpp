#include "classes/Strings.h"

#include <cassert>

#include "classes/ClassBuilder.h"
#include "classes/Reader.h"
#include "classes/UpdateScope.h"
#include "classes/Writer.h"
#include "runtime/TextConversions.h"

namespace orvalis {

const TClassInfo& TStrings::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TStrings, TPersistent>("TStrings");
    return info;
}

const TClassInfo& TStringList::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TStringList, TStrings>("TStringList");
    return info;
}

int TStrings::Add(const String& text) {
    const int index = Count();
    Insert(index, text);
    return index;
}

void TStrings::AddStrings(const TStrings& strings) {
    const TUpdateScope update(*this);
    const int count = strings.Count();
    for (int i = 0; i < count; ++i) Add(strings.Strings(i));
}

int TStrings::IndexOf(std::string_view text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Strings(i).View(), text)) return i;
    return -1;
}

String TStrings::Text() const {
    String text;
    for (int i = 0; i < Count(); ++i) {
        text += Strings(i);
        text += '\n';
    }
    return text;
}

void TStrings::SetText(std::string_view text) {
    const TUpdateScope update(*this);
    Clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        Add(String(text.substr(start, end - start)));
        if (end < text.size() && text[end] == '\r') ++end;
        if (end < text.size() && text[end] == '\n') ++end;
        start = end;
    }
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    assert(updateCount_ > 0 && "EndUpdate without BeginUpdate");
    if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::CopyFromObject(TPersistent* source) {
    auto* strings = dynamic_cast<TStrings*>(source);
    if (!strings) return TPersistent::CopyFromObject(source);
    if (strings == this) return;
    const TUpdateScope update(*this);
    Clear();
    AddStrings(*strings);
}

void TStrings::DeclareCustomProperties(TFiler& filer) {
    bool hasData = Count() > 0;
    if (auto* ancestor = dynamic_cast<TStrings*>(filer.Ancestor())) hasData = Text() != ancestor->Text();
    filer.OfferCustomProperty(
        "Strings", [this](TReader& reader) { ReadStrings(reader); }, [this](TWriter& writer) { WriteStrings(writer); },
        hasData);
}

void TStrings::ReadStrings(TReader& reader) {
    const TReader::Nesting list(reader);
    reader.ReadListBegin();
    const TUpdateScope update(*this);
    Clear();
    while (!reader.EndOfList()) Add(reader.ReadString());
    reader.ReadListEnd();
}

void TStrings::WriteStrings(TWriter& writer) const {
    writer.WriteListBegin();
    for (int i = 0; i < Count(); ++i) writer.WriteText(Strings(i).View());
    writer.WriteListEnd();
}

String TStringList::Strings(int index) const {
    assert(index >= 0 && index < Count());
    return items_[static_cast<std::size_t>(index)];
}

void TStringList::SetStrings(int index, const String& text) {
    assert(index >= 0 && index < Count());
    items_[static_cast<std::size_t>(index)] = text;
    Changed();
}

void TStringList::Insert(int index, const String& text) {
    assert(index >= 0 && index <= Count());
    items_.insert(items_.begin() + index, text);
    Changed();
}

void TStringList::Delete(int index) {
    assert(index >= 0 && index < Count());
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

void TStringList::SetUpdateState(bool updating) {
    if (!updating) Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && onChange_) onChange_(this);
}

}  // namespace orvalis
