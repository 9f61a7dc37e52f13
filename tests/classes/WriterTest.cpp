// Writing components through their type information, read back by the reader.

#include <gtest/gtest.h>

#include <functional>

#include "classes/ClassBuilder.h"
#include "classes/ClassInfo.h"
#include "classes/Loading.h"
#include "classes/Reader.h"
#include "classes/Writer.h"
#include "runtime/Exceptions.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

std::vector<std::uint8_t> Written(TComponent& root, TComponent* ancestor = nullptr) {
    TMemoryStream stream;
    TWriter writer(stream);
    writer.WriteRootComponent(root, ancestor);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

bool Contains(const std::vector<std::uint8_t>& bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end(),
                       [](std::uint8_t byte, char c) { return byte == static_cast<std::uint8_t>(c); }) != bytes.end();
}

void Set(TPersistent& object, std::string_view property, const TPropValue& value) {
    FindProperty(object.ClassInfo(), property)->Set(object, value);
}

// A form filled through its properties, the way a reader would.
std::unique_ptr<TTestForm> FilledForm() {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->SetName("Options");
    Set(*form, "Caption", String("Délai entre chaque vue"));
    Set(*form, "Color", std::int64_t{clWindow});
    Set(*form->Font(), "Height", std::int64_t{-11});
    Set(*form->Font(), "Style", std::int64_t{(1 << tsBold) | (1 << tsStrikeOut)});
    form->Items()->Add("Continu");
    form->Items()->Add("Arrêt sur image");
    Set(*form->Columns()->Add(), "Caption", String("Nom"));
    auto* button1 = new TTestChild(form.get());
    button1->SetName("Button1");
    Set(*button1, "Width", std::int64_t{197});
    Set(*button1, "Align", std::int64_t{2});
    Set(*button1, "Enabled", std::int64_t{0});
    Set(*button1, "Hint", std::u16string(u"Arrêt"));
    Set(*button1, "Ratio", 0.25L);
    button1->SetOnClick(TNotifyEvent(form.get(), &TTestForm::Button1Click));
    button1->SetData({7, 8, 9});
    auto* button2 = new TTestChild(form.get());
    button2->SetName("Button2");
    Set(*button2, "Associate", static_cast<TObject*>(button1));
    auto* timer = new TTestTimer(form.get());
    timer->SetName("Timer1");
    timer->SetDesignLeft(280);
    timer->SetDesignTop(112);
    Set(*timer, "Interval", std::int64_t{3000});
    return form;
}

// A part whose custom property cannot be written, held by an object as "Part".
class TTestFailingPart : public TPersistent {
    ORVALIS_TYPE_INFO(TTestFailingPart)

    void DeclareCustomProperties(TFiler& filer) override {
        filer.OfferCustomProperty(
            "Broken", {}, [](TWriter&) { throw EWriteError(String("refused")); }, true);
    }
};

const TClassInfo& TTestFailingPart::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TTestFailingPart, TPersistent>("TTestFailingPart");
    return info;
}

class TTestPartHolder : public TPersistent {
    ORVALIS_TYPE_INFO(TTestPartHolder)

    TTestFailingPart* Part() const { return part_.get(); }

private:
    std::unique_ptr<TTestFailingPart> part_ = std::make_unique<TTestFailingPart>();
};

const TClassInfo& TTestPartHolder::StaticClassInfo() {
    static const TClassInfo info =
        DescribeClass<TTestPartHolder, TPersistent>("TTestPartHolder").Property("Part", &TTestPartHolder::Part);
    return info;
}

TEST(WriterPrimitives, IntegersAndTextsGoUnderTheSmallestTagThatHoldsThemOrUnderTheTagGiven) {
    struct Case {
        const char* what;
        std::function<void(TWriter&)> write;
        std::vector<std::uint8_t> bytes;
    };
    const std::uint8_t blob[] = {1, 2};
    const Case cases[] = {
        {"int8", [](TWriter& w) { w.WriteInteger(-128); }, {tagInt8, 0x80}},
        {"int16", [](TWriter& w) { w.WriteInteger(300); }, {tagInt16, 0x2C, 0x01}},
        {"int32", [](TWriter& w) { w.WriteInteger(-70000); }, {tagInt32, 0x90, 0xEE, 0xFE, 0xFF}},
        {"int64", [](TWriter& w) { w.WriteInteger(0x100000000); }, {tagInt64, 0, 0, 0, 0, 1, 0, 0, 0}},
        {"int32 given", [](TWriter& w) { w.WriteIntegerAs(tagInt32, -2); }, {tagInt32, 0xFE, 0xFF, 0xFF, 0xFF}},
        {"int64 given", [](TWriter& w) { w.WriteIntegerAs(tagInt64, 5); }, {tagInt64, 5, 0, 0, 0, 0, 0, 0, 0}},
        {"ASCII text", [](TWriter& w) { w.WriteText("ok"); }, {tagString, 2, 'o', 'k'}},
        {"other text", [](TWriter& w) { w.WriteText("é"); }, {tagUtf8String, 2, 0, 0, 0, 0xC3, 0xA9}},
        {"long text given", [](TWriter& w) { w.WriteTextAs(tagLString, "ok"); }, {tagLString, 2, 0, 0, 0, 'o', 'k'}},
        {"UTF-8 text given",
         [](TWriter& w) { w.WriteTextAs(tagUtf8String, "ok"); },
         {tagUtf8String, 2, 0, 0, 0, 'o', 'k'}},
        {"ASCII wide text", [](TWriter& w) { w.WriteWideText(u"ok"); }, {tagString, 2, 'o', 'k'}},
        {"other wide text", [](TWriter& w) { w.WriteWideText(u"é"); }, {tagWString, 1, 0, 0, 0, 0xE9, 0}},
        {"wide text given", [](TWriter& w) { w.WriteWString(u"ok"); }, {tagWString, 2, 0, 0, 0, 'o', 0, 'k', 0}},
        {"binary", [&](TWriter& w) { w.WriteBinary(blob); }, {tagBinary, 2, 0, 0, 0, 1, 2}},
    };
    for (const Case& c : cases) {
        TMemoryStream stream;
        {
            TWriter writer(stream);
            c.write(writer);
        }
        EXPECT_EQ(std::vector<std::uint8_t>(stream.Memory(), stream.Memory() + stream.Size()), c.bytes) << c.what;
    }
}

TEST(ComponentWriting, WhatIsWrittenReadsBackTheSame) {
    const auto original = FilledForm();
    const std::vector<std::uint8_t> bytes = Written(*original);
    TestForms forms;
    const auto copy = ReadTestForm(bytes);
    EXPECT_EQ(copy->Name(), "Options");
    EXPECT_EQ(copy->Caption(), "Délai entre chaque vue");
    EXPECT_EQ(copy->Color(), clWindow);
    EXPECT_EQ(copy->Font()->Height(), -11);
    EXPECT_EQ(copy->Font()->Style(), (1 << tsBold) | (1 << tsStrikeOut));
    EXPECT_EQ(copy->Items()->Text(), "Continu\nArrêt sur image\n");
    ASSERT_EQ(copy->Columns()->Count(), 1);
    EXPECT_EQ(static_cast<TTestItem*>(copy->Columns()->Items(0))->Caption(), "Nom");
    ASSERT_NE(copy->Button1, nullptr);
    EXPECT_EQ(copy->Button1->Width(), 197);
    EXPECT_EQ(copy->Button1->Align(), TTestAlign::Bottom);
    EXPECT_FALSE(copy->Button1->Enabled());
    EXPECT_EQ(copy->Button1->Hint(), u"Arrêt");
    EXPECT_EQ(copy->Button1->Ratio(), 0.25);
    EXPECT_TRUE(copy->Button1->OnClick() == TNotifyEvent(copy.get(), &TTestForm::Button1Click));
    EXPECT_EQ(copy->Button1->Data(), (std::vector<std::uint8_t>{7, 8, 9}));
    ASSERT_NE(copy->Button2, nullptr);
    EXPECT_EQ(copy->Button2->Associate(), copy->Button1);
    ASSERT_NE(copy->Timer1, nullptr);
    EXPECT_EQ(copy->Timer1->Interval(), 3000u);
    EXPECT_EQ(copy->Timer1->DesignLeft(), 280);
    EXPECT_EQ(copy->Timer1->DesignTop(), 112);
    EXPECT_EQ(Written(*copy), bytes) << "writing the copy gives the same bytes";
}

TEST(ComponentWriting, LeavesOutDefaultsAndNamesColoursAndHandlers) {
    TTestForm blank(nullptr);
    blank.SetName("Blank");
    const auto bytes = Written(blank);
    for (const char* absent : {"Color", "Tag", "Caption", "Font.Style", "Font.Charset", "Items", "Left"})
        EXPECT_FALSE(Contains(bytes, absent)) << absent;
    EXPECT_TRUE(Contains(bytes, "Font.Height")) << "a property without default is always written";

    const auto filled = Written(*FilledForm());
    EXPECT_TRUE(Contains(filled,
                         "\x05"
                         "Color\x07\x08"
                         "clWindow"));
    EXPECT_TRUE(Contains(filled,
                         "\x07OnClick\x07\x0C"
                         "Button1Click"));
    EXPECT_TRUE(Contains(filled,
                         "\x0D"
                         "Items.Strings\x01"));
    EXPECT_TRUE(Contains(filled, "\x04Left\x03\x18\x01"));  // 280 as tagInt16
}

TEST(ComponentWriting, WithAnAncestorWritesOnlyTheDifferencesAndMarksInheritedChildren) {
    const auto ancestor = FilledForm();
    const auto descendant = FilledForm();
    Set(*descendant, "Caption", String("Autre titre"));
    auto* extra = new TTestChild(descendant.get());
    extra->SetName("Extra");
    const auto bytes = Written(*descendant, ancestor.get());
    EXPECT_TRUE(Contains(bytes, "Autre titre"));
    EXPECT_FALSE(Contains(bytes, "Font.Height"));
    EXPECT_FALSE(Contains(bytes, "OnClick"));
    EXPECT_FALSE(Contains(bytes, "Strings"));
    EXPECT_TRUE(Contains(bytes,
                         "\xF1\x0ATTestChild\x07"
                         "Button1"))
        << "inherited prefix";
    EXPECT_TRUE(Contains(bytes,
                         "\x0ATTestChild\x05"
                         "Extra"));

    // Read over the ancestor's resource, it gives the descendant back.
    TestForms forms;
    const auto rebuilt = ReadTestForm(Written(*ancestor));
    const auto stream = StreamOf(bytes);
    ReadComponentFromStream(*stream, rebuilt.get());
    EXPECT_EQ(rebuilt->Caption(), "Autre titre");
    EXPECT_EQ(rebuilt->Font()->Height(), -11);
    EXPECT_NE(rebuilt->FindComponent("Extra"), nullptr);
    EXPECT_EQ(rebuilt->ComponentCount(), 4);
}

TEST(ComponentWriting, APropertyThatFailsLeavesThePathOfTheNextOneAsItWas) {
    TMemoryStream stream;
    TWriter writer(stream);
    TTestPartHolder holder;
    EXPECT_THROW(writer.WriteProperties(holder), EWriteError);
    TTestFont font;
    writer.WriteProperties(font);
    writer.FlushBuffer();
    const std::vector<std::uint8_t> bytes(stream.Memory(), stream.Memory() + stream.Size());
    EXPECT_TRUE(Contains(bytes, "\x0BPart.Broken")) << "the failing property was begun under its path";
    EXPECT_TRUE(Contains(bytes, "\x06Height"));
    EXPECT_FALSE(Contains(bytes, "Part.Height")) << "the next object's properties are not under the failed path";
}

}  // namespace
}  // namespace orvalis::test
