#pragma once
// TStrings, a list of texts as persistent objects see it, and TStringList, the list
// that holds its texts. A list streams as the custom property "Strings": a tagList
// of texts (a form writes Items.Strings for a property Items that holds a list).

#include <string_view>
#include <vector>

#include "classes/Events.h"
#include "classes/Persistent.h"
#include "runtime/String.h"

namespace orvalis {

class TReader;
class TWriter;

class TStrings : public TPersistent {
    ORVALIS_TYPE_INFO(TStrings)

public:
    virtual int Count() const = 0;
    virtual String Strings(int index) const = 0;
    virtual void SetStrings(int index, const String& text) = 0;
    virtual void Insert(int index, const String& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    // Appends `text`; returns its index.
    int Add(const String& text);
    void AddStrings(const TStrings& strings);
    // The index of the first text equal to `text` without regard to ASCII case, or -1.
    int IndexOf(std::string_view text) const;

    // The texts, each followed by a line feed. Setting it splits at CR LF, CR or LF.
    String Text() const;
    void SetText(std::string_view text);

    // Suspends change notifications until the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Copies another string list; other sources as TPersistent says.
    void CopyFromObject(TPersistent* source) override;
    // Offers "Strings".
    void DeclareCustomProperties(TFiler& filer) override;

protected:
    TStrings() = default;
    // Updates start (true) or end (false).
    virtual void SetUpdateState(bool updating);

private:
    void ReadStrings(TReader& reader);
    void WriteStrings(TWriter& writer) const;

    int updateCount_ = 0;
};

class TStringList : public TStrings {
    ORVALIS_TYPE_INFO(TStringList)

public:
    TStringList() = default;

    int Count() const override { return static_cast<int>(items_.size()); }
    String Strings(int index) const override;
    void SetStrings(int index, const String& text) override;
    void Insert(int index, const String& text) override;
    void Delete(int index) override;
    void Clear() override;

    // Called after every change, and once when updates end.
    const TNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(const TNotifyEvent& handler) { onChange_ = handler; }

protected:
    void SetUpdateState(bool updating) override;
    // Fires OnChange unless updates are suspended.
    virtual void Changed();

private:
    std::vector<String> items_;
    TNotifyEvent onChange_;
};

}  // namespace orvalis
