// The type information: lookups by name, property access through the tables,
// ordinal storage sizes, handlers, identifier maps, virtual constructors.

#include <gtest/gtest.h>

#include "classes/ClassBuilder.h"
#include "classes/ClassInfo.h"
#include "classes/IdentMaps.h"
#include "runtime/Exceptions.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

// Publishes Width again, read-only, over its ancestor's; and two indexed properties.
class TShadowChild : public TTestChild {
    ORVALIS_TYPE_INFO(TShadowChild)

    explicit TShadowChild(TComponent* owner) : TTestChild(owner) {}

    std::int32_t Side(int index) const { return sides_[index]; }
    void SetSide(int index, std::int32_t value) { sides_[index] = value; }
    std::int32_t Fixed() const { return 7; }
    std::uint8_t Small() const { return small_; }
    std::int16_t Signed() const { return signed_; }

private:
    std::int32_t sides_[2] = {0, 0};
    std::uint8_t small_ = 0;
    std::int16_t signed_ = 0;
};

const TClassInfo& TShadowChild::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TShadowChild, TTestChild>("TShadowChild")
                                       .Property("Width", &TShadowChild::Fixed)
                                       .Property("Left", &TShadowChild::Side, &TShadowChild::SetSide)
                                       .Index(0)
                                       .Property("Right", &TShadowChild::Side, &TShadowChild::SetSide)
                                       .Index(1)
                                       .Property("Small", &TShadowChild::small_)
                                       .Property("Signed", &TShadowChild::signed_);
    return info;
}

TEST(TypeLookup, FindsPropertiesWithoutRegardToCaseTheClassBeforeItsAncestors) {
    const TClassInfo& shadow = TShadowChild::StaticClassInfo();
    const TPropInfo* width = FindProperty(shadow, "WIDTH");
    ASSERT_NE(width, nullptr);
    EXPECT_FALSE(width->IsWritable()) << "the class's own Width hides the ancestor's";
    EXPECT_TRUE(FindProperty(TTestChild::StaticClassInfo(), "width")->IsWritable());
    const TPropInfo* name = FindProperty(shadow, "nAmE");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Name(), "Name");
    EXPECT_EQ(FindProperty(shadow, "Widt"), nullptr);
    EXPECT_EQ(FindProperty(shadow, "Widths"), nullptr);
}

TEST(TypeLookup, FindsMethodsFieldsAndEnumerationNames) {
    const TClassInfo& derived = TTestDerivedForm::StaticClassInfo();
    EXPECT_NE(FindMethod(derived, "BUTTON1CLICK"), nullptr) << "an ancestor's method";
    EXPECT_EQ(FindMethod(derived, "Button1Clic"), nullptr);
    EXPECT_NE(FindField(derived, "extra"), nullptr);
    EXPECT_NE(FindField(derived, "timer1"), nullptr);
    EXPECT_EQ(FindEnumValue(kTestAlignType, "ALCLIENT"), 3);
    EXPECT_EQ(FindEnumValue(kTestAlignType, "alMiddle"), -1);
    EXPECT_EQ(EnumValueName(kTestAlignType, 1), "alTop");
    EXPECT_EQ(EnumValueName(kTestAlignType, 4), "");
}

TEST(TypeLookup, FieldClassTablesHoldTheDistinctClassesOfTheFields) {
    const auto classes = TTestForm::StaticClassInfo().FieldClasses();
    ASSERT_EQ(classes.size(), 2u) << "Button1 and Button2 share their class";
    EXPECT_EQ(&classes[0](), &TTestChild::StaticClassInfo());
    EXPECT_EQ(&classes[1](), &TTestTimer::StaticClassInfo());
    EXPECT_EQ(FindFieldClass(TTestDerivedForm::StaticClassInfo(), "ttesttimer"), &TTestTimer::StaticClassInfo());
    EXPECT_EQ(FindFieldClass(TTestDerivedForm::StaticClassInfo(), "TTestForm"), nullptr);
}

TEST(TypeLookup, AllPropertiesListsAncestorsFirstAndHiddenOnesOnce) {
    std::vector<std::string_view> names;
    for (const TPropInfo* property : AllProperties(TShadowChild::StaticClassInfo())) names.push_back(property->Name());
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "Name");
    EXPECT_EQ(names[1], "Tag");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Width"), 1);
}

TEST(ClassInfo, KnowsItsNameParentAndAncestry) {
    TTestChild child(nullptr);
    EXPECT_EQ(child.ClassName(), "TTestChild");
    EXPECT_EQ(child.ClassParent(), &TComponent::StaticClassInfo());
    EXPECT_TRUE(child.InheritsFrom(TPersistent::StaticClassInfo()));
    EXPECT_TRUE(child.InheritsFrom(TTestChild::StaticClassInfo()));
    EXPECT_FALSE(child.InheritsFrom(TTestForm::StaticClassInfo()));
    EXPECT_EQ(TObject::StaticClassInfo().Parent(), nullptr);
}

TEST(PropertyAccess, ReadsAndWritesThroughMembersFunctionsAndIndexes) {
    TShadowChild child(nullptr);
    const TClassInfo& cls = child.ClassInfo();
    FindProperty(cls, "Right")->Set(child, std::int64_t{42});
    FindProperty(cls, "Left")->Set(child, std::int64_t{-3});
    EXPECT_EQ(child.Side(1), 42);
    EXPECT_EQ(child.Side(0), -3);
    EXPECT_EQ(std::get<std::int64_t>(FindProperty(cls, "Right")->Get(child)), 42);
    EXPECT_EQ(FindProperty(cls, "Right")->ReadAccess(), accessFunction);
    EXPECT_EQ(FindProperty(cls, "Caption")->WriteAccess(), accessMember);
    FindProperty(cls, "Caption")->Set(child, String("Démarrer"));
    EXPECT_EQ(child.Caption(), "Démarrer");
    EXPECT_EQ(std::get<std::int64_t>(FindProperty(cls, "Width")->Get(child)), 7);
}

TEST(PropertyAccess, OrdinalsAreCutToTheirStorageSize) {
    struct Case {
        const char* property;
        std::int64_t written;
        std::int64_t stored;
    };
    const Case cases[] = {
        {"Small", 300, 44}, {"Small", -1, 255}, {"Signed", 40000, -25536},
        {"Signed", -5, -5}, {"Align", -1, 255},  // an enumeration of one byte
    };
    for (const Case& c : cases) {
        TShadowChild child(nullptr);
        const TPropInfo* property = FindProperty(child.ClassInfo(), c.property);
        property->Set(child, c.written);
        EXPECT_EQ(std::get<std::int64_t>(property->Get(child)), c.stored) << c.property << " " << c.written;
    }
}

TEST(PropertyAccess, RefusesReadOnlyPropertiesObjectsOfOtherClassesAndForeignHandlers) {
    TTestForm form(nullptr);
    TTestTimer timer(nullptr);
    TTestChild child(nullptr);
    const TClassInfo& cls = form.ClassInfo();
    const auto refused = [](auto&& action, const char* message) {
        try {
            action();
            ADD_FAILURE() << "accepted: " << message;
        } catch (const EReadError& error) {
            EXPECT_EQ(error.Message(), message);
        }
    };
    refused([&] { FindProperty(cls, "Counter")->Set(form, std::int64_t{1}); }, "Propriété en lecture seule");
    refused([&] { FindProperty(cls, "Default")->Set(form, static_cast<TObject*>(&timer)); },
            "Valeur de propriété incorrecte");
    refused([&] { FindProperty(cls, "OnClose")->Set(form, TNotifyEvent(&form, &TTestForm::Button1Click).Method()); },
            "Valeur de propriété incorrecte");
    FindProperty(cls, "Default")->Set(form, static_cast<TObject*>(&child));
    EXPECT_EQ(form.Default(), &child);
    FindProperty(cls, "OnClose")->Set(form, TCloseEvent(&form, &TTestForm::FormClose).Method());
    EXPECT_TRUE(form.OnClose());
}

TEST(Events, CallTheMethodOnItsReceiverAndCompareByIdentity) {
    TTestForm form(nullptr);
    TTestForm other(nullptr);
    TNotifyEvent click(&form, &TTestForm::Button1Click);
    TNotifyEvent same(&form, &TTestForm::Button1Click);
    TNotifyEvent elsewhere(&other, &TTestForm::Button1Click);
    TNotifyEvent timer(&form, &TTestForm::Timer1Timer);
    EXPECT_TRUE(click == same);
    EXPECT_FALSE(click == elsewhere);
    EXPECT_FALSE(click == timer);
    EXPECT_FALSE(TNotifyEvent());
    TTestChild sender(nullptr);
    if (click) click(&sender);
    EXPECT_EQ(form.lastSender, &sender);
    EXPECT_EQ(form.lastReceiver, &form);

    TCloseAction action = closeHide;
    TCloseEvent close(&form, &TTestForm::FormClose);
    close(&sender, action);
    EXPECT_EQ(action, closeFree);
    EXPECT_EQ(close.Method().Signature(), &TypeInfoOf<TCloseEvent>());
    EXPECT_EQ(TypeInfoOf<TCloseEvent>().name, "TCloseEvent");
    EXPECT_EQ(TypeInfoOf<TProgressEvent>().name, "TProgressEvent");
}

TEST(Events, APublishedMethodBindsToTheSameHandlerAsCodeDoes) {
    TTestForm form(nullptr);
    const TMethodInfo* method = FindMethod(form.ClassInfo(), "button1click");
    ASSERT_NE(method, nullptr);
    EXPECT_EQ(&method->Signature(), &TypeInfoOf<TNotifyEvent>());
    EXPECT_TRUE(method->BindTo(form) == TNotifyEvent(&form, &TTestForm::Button1Click).Method());
    EXPECT_EQ(FindMethodOf(form.ClassInfo(), form, TNotifyEvent(&form, &TTestForm::Timer1Timer).Method())->Name(),
              "Timer1Timer");
}

TEST(IdentMaps, NameColoursAndCharsetsWithoutRegardToCase) {
    std::int32_t value = 0;
    const auto colours = FindIdentMap(kColorType);
    ASSERT_TRUE(colours);
    ASSERT_TRUE(colours->toInt("clBtnFace", value));
    EXPECT_EQ(static_cast<std::uint32_t>(value), 0x8000000Fu);
    ASSERT_TRUE(colours->toInt("CLWINDOWTEXT", value));
    EXPECT_EQ(static_cast<std::uint32_t>(value), 0x80000008u);
    ASSERT_TRUE(colours->toInt("clNone", value));
    EXPECT_EQ(value, 0x1FFFFFFF);
    EXPECT_FALSE(colours->toInt("clBtnFaces", value));
    String ident;
    ASSERT_TRUE(colours->toIdent(0xFFFFFF, ident));
    EXPECT_EQ(ident, "clWhite");
    const auto charsets = FindIdentMap(kFontCharsetType);
    ASSERT_TRUE(charsets);
    ASSERT_TRUE(charsets->toInt("default_charset", value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(FindIdentMap(kIntegerType));
}

constexpr TTypeInfo kCursorType = IntegerType("TCursor", ordSWord, -32768, 32767);
bool OldCursor(std::string_view, std::int32_t& value) { return value = 1, true; }
bool NewCursor(std::string_view, std::int32_t& value) { return value = 2, true; }

TEST(IdentMaps, TheNewestRegistrationForATypeWins) {
    RegisterIdentMap(kCursorType, &OldCursor, nullptr);
    RegisterIdentMap(kCursorType, &NewCursor, nullptr);
    std::int32_t value = 0;
    FindIdentMap(kCursorType)->toInt("crDefault", value);
    EXPECT_EQ(value, 2);
}

TEST(VirtualConstructors, MakeComponentsPersistentObjectsAndItems) {
    TTestForm owner(nullptr);
    TComponent* child = TTestChild::StaticClassInfo().CreateComponent(&owner);
    EXPECT_EQ(child->Owner(), &owner);
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(child->ClassName(), "TTestChild");

    ASSERT_TRUE(TStringList::StaticClassInfo().CanCreate());
    EXPECT_EQ(TStringList::StaticClassInfo().Create()->ClassName(), "TStringList");
    EXPECT_FALSE(TStrings::StaticClassInfo().CanCreate()) << "abstract";
    EXPECT_FALSE(TTestChild::StaticClassInfo().CanCreate());

    TCollection collection(TTestItem::StaticClassInfo());
    TCollectionItem* item = TTestItem::StaticClassInfo().CreateItem(collection);
    EXPECT_EQ(collection.Count(), 1);
    EXPECT_EQ(item->Collection(), &collection);
    EXPECT_EQ(item->Index(), 0);
}

}  // namespace
}  // namespace orvalis::test
