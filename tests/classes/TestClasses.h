#pragma once
// Component classes for the tests of the type information and the form reader: a
// form with published fields and handlers, a font-like object, a child component
// with a reference property, a non-visual timer-like component, a collection.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "classes/Collection.h"
#include "classes/Color.h"
#include "classes/Component.h"
#include "classes/Events.h"
#include "classes/FontCharset.h"
#include "classes/Strings.h"
#include "classes/TypeInfo.h"
#include "classes/Writer.h"
#include "runtime/Stream.h"
#include "tests/support/PrintString.h"

namespace orvalis::test {

enum TTestStyle : std::uint8_t { tsBold, tsItalic, tsUnderline, tsStrikeOut };
inline constexpr std::string_view kTestStyleNames[] = {"tsBold", "tsItalic", "tsUnderline", "tsStrikeOut"};
inline constexpr TTypeInfo kTestStyleType = EnumerationType("TTestStyle", kTestStyleNames);
inline const TTypeInfo& DescribeType(TypeTag<TTestStyle>) { return kTestStyleType; }
inline constexpr TTypeInfo kTestStylesType = SetType("TTestStyles", kTestStyleType);

// Forty elements: the set of them keeps only the first 32 positions.
inline constexpr std::string_view kManyNames[] = {"m0",  "m1",  "m2",  "m3",  "m4",  "m5",  "m6",  "m7",  "m8",  "m9",
                                                  "m10", "m11", "m12", "m13", "m14", "m15", "m16", "m17", "m18", "m19",
                                                  "m20", "m21", "m22", "m23", "m24", "m25", "m26", "m27", "m28", "m29",
                                                  "m30", "m31", "m32", "m33", "m34", "m35", "m36", "m37", "m38", "m39"};
inline constexpr TTypeInfo kManyType = EnumerationType("TMany", kManyNames);
inline constexpr TTypeInfo kManySetType = SetType("TManySet", kManyType, ordLong);

// A short string of at most five characters.
inline constexpr TTypeInfo kCodeType = ShortStringType("TCode", 5);

enum class TTestAlign : std::uint8_t { None, Top, Bottom, Client };
inline constexpr std::string_view kTestAlignNames[] = {"alNone", "alTop", "alBottom", "alClient"};
inline constexpr TTypeInfo kTestAlignType = EnumerationType("TTestAlign", kTestAlignNames);
inline const TTypeInfo& DescribeType(TypeTag<TTestAlign>) { return kTestAlignType; }

// The names of the components whose LoadingFinished ran, in order.
std::vector<std::string>& LoadingLog();

class TTestFont : public TPersistent {
    ORVALIS_TYPE_INFO(TTestFont)

    TTestFont() = default;

    std::int32_t Height() const { return height_; }
    void SetHeight(std::int32_t height) { height_ = height; }
    const String& Name() const { return name_; }
    TColor Color() const { return color_; }
    TFontCharset Charset() const { return charset_; }
    std::uint8_t Style() const { return style_; }

    void CopyFromObject(TPersistent* source) override;

private:
    std::int32_t height_ = -11;
    String name_ = "Sans";
    TColor color_ = clWindowText;
    TFontCharset charset_ = DEFAULT_CHARSET;
    std::uint8_t style_ = 0;
};

class TTestItem : public TCollectionItem {
    ORVALIS_TYPE_INFO(TTestItem)

    explicit TTestItem(TCollection* collection) : TCollectionItem(collection) {}

    const String& Caption() const { return caption_; }
    std::int32_t Width() const { return width_; }

private:
    String caption_;
    std::int32_t width_ = 0;
};

// A control-like child: caption, sizes, an event, a reference to another component,
// an enumeration, a boolean, a character, a float, a wide text, a short string and a
// binary "Data".
class TTestChild : public TComponent {
    ORVALIS_TYPE_INFO(TTestChild)

    explicit TTestChild(TComponent* owner) : TComponent(owner), constructedState_(State()) {}

    const String& Caption() const { return caption_; }
    std::int32_t Width() const { return width_; }
    const TNotifyEvent& OnClick() const { return onClick_; }
    void SetOnClick(const TNotifyEvent& handler) { onClick_ = handler; }
    TComponent* Associate() const { return associate_; }
    TTestAlign Align() const { return align_; }
    bool Enabled() const { return enabled_; }
    char Accelerator() const { return accelerator_; }
    double Ratio() const { return ratio_; }
    const std::u16string& Hint() const { return hint_; }
    const String& Code() const { return code_; }
    std::int64_t Big() const { return big_; }
    std::int32_t Flag() const { return flag_; }
    std::uint32_t Many() const { return many_; }
    TComponentState ConstructedState() const { return constructedState_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    void SetData(std::vector<std::uint8_t> data) { data_ = std::move(data); }
    TComponent* AttachedParent() const { return attachedParent_; }
    const std::vector<std::pair<TComponent*, int>>& Placements() const { return placements_; }

    void LoadingFinished() override;
    void AttachToParent(TComponent* parent) override { attachedParent_ = parent; }
    void PlaceChildAt(TComponent& child, int position) override { placements_.emplace_back(&child, position); }
    void DeclareCustomProperties(TFiler& filer) override;

private:
    String caption_;
    std::int32_t width_ = 75;
    TNotifyEvent onClick_;
    TComponent* associate_ = nullptr;
    TTestAlign align_ = TTestAlign::None;
    bool enabled_ = true;
    char accelerator_ = 0;
    double ratio_ = 0;
    std::u16string hint_;
    String code_;
    std::int64_t big_ = 0;
    std::int32_t flag_ = 0;
    std::uint32_t many_ = 0;
    TComponentState constructedState_;
    std::vector<std::uint8_t> data_;
    TComponent* attachedParent_ = nullptr;
    std::vector<std::pair<TComponent*, int>> placements_;
};

// A non-visual component in the manner of a timer.
class TTestTimer : public TComponent {
    ORVALIS_TYPE_INFO(TTestTimer)

    explicit TTestTimer(TComponent* owner) : TComponent(owner) {}

    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t interval) { interval_ = interval; }
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(const TNotifyEvent& handler) { onTimer_ = handler; }

    void LoadingFinished() override;

private:
    std::uint32_t interval_ = 1000;
    TNotifyEvent onTimer_;
};

class TTestForm : public TComponent {
    ORVALIS_TYPE_INFO(TTestForm)

    explicit TTestForm(TComponent* owner);
    ~TTestForm() override;

    TTestFont* Font() const { return font_.get(); }
    void SetFont(TTestFont* font) { font_->CopyFromObject(font); }
    TStringList* Items() const { return items_.get(); }
    void SetItems(TStringList* items) { items_->CopyFromObject(items); }
    TCollection* Columns() const { return columns_.get(); }
    void SetColumns(TCollection* columns) { columns_->CopyFromObject(columns); }
    const String& Caption() const { return caption_; }
    TColor Color() const { return color_; }
    TComponent* Menu() const { return menu_; }
    TTestChild* Default() const { return default_; }
    std::int32_t Counter() const { return counter_; }
    const TCloseEvent& OnClose() const { return onClose_; }

    void LoadingFinished() override;

    // Published fields.
    TTestChild* Button1 = nullptr;
    TTestChild* Button2 = nullptr;
    TTestTimer* Timer1 = nullptr;

    // Published methods, with what they saw.
    void Button1Click(TObject* sender);
    void Timer1Timer(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    TObject* lastSender = nullptr;
    void* lastReceiver = nullptr;

private:
    std::unique_ptr<TTestFont> font_ = std::make_unique<TTestFont>();
    std::unique_ptr<TStringList> items_ = std::make_unique<TStringList>();
    std::unique_ptr<TCollection> columns_ = std::make_unique<TCollection>(TTestItem::StaticClassInfo());
    String caption_;
    TColor color_ = clBtnFace;
    TComponent* menu_ = nullptr;
    TTestChild* default_ = nullptr;
    std::int32_t counter_ = 0;
    TCloseEvent onClose_;
};

// A form class of its own, derived from the test form, with a resource per class.
class TTestDerivedForm : public TTestForm {
    ORVALIS_TYPE_INFO(TTestDerivedForm)

    explicit TTestDerivedForm(TComponent* owner) : TTestForm(owner) {}

    TTestChild* Extra = nullptr;
};

// Builds the bytes of a form resource with the writer's primitives:
//
//     Resource().Component("TTestForm", "Form1").Int("Width", 197)
//         .Children()
//             .Component("TTestChild", "Button1").Leaf()
//         .End()
class Resource {
public:
    Resource();

    // A component header; its properties follow.
    Resource& Component(std::string_view className, std::string_view name, std::uint8_t flags = 0, int position = 0);
    // Ends the properties; the children follow.
    Resource& Children();
    // Ends the children.
    Resource& End();
    // A component without children, properties ended: Children().End().
    Resource& Leaf() { return Children().End(); }

    Resource& Int(std::string_view property, std::int64_t value);
    Resource& Text(std::string_view property, std::string_view text);
    Resource& Ident(std::string_view property, std::string_view ident);
    Resource& Set(std::string_view property, std::initializer_list<std::string_view> names);
    // A property name followed by raw bytes (a tag and its payload written by hand).
    Resource& Raw(std::string_view property, std::initializer_list<std::uint8_t> bytes);
    Resource& Name(std::string_view property);
    TWriter& Writer() { return *writer_; }

    std::vector<std::uint8_t> Bytes();

private:
    TMemoryStream stream_;
    std::unique_ptr<TWriter> writer_;
};

// A memory stream holding `bytes`, at position 0.
std::unique_ptr<TMemoryStream> StreamOf(const std::vector<std::uint8_t>& bytes);

// Reads `bytes` into a new test form (named by the resource) and returns it.
std::unique_ptr<TTestForm> ReadTestForm(const std::vector<std::uint8_t>& bytes);

// The top-level components the tests make findable by name (forms not being read).
class TestForms {
public:
    TestForms();
    ~TestForms();
    void Add(TComponent& form);
    void Remove(TComponent& form);
};

}  // namespace orvalis::test
