// Reading form resources: properties by name and path, every kind of value, string
// lists, collections, handlers bound to the root, references resolved at the end of
// the form or when another form is read, the order of the loading-finished
// notifications, unique root names, and reading a chain of resources.

#include <gtest/gtest.h>

#include <cmath>

#include "classes/ClassRegistry.h"
#include "classes/Loading.h"
#include "classes/Reader.h"
#include "runtime/Exceptions.h"
#include "runtime/Resources.h"
#include "tests/classes/TestClasses.h"

namespace orvalis::test {
namespace {

class FormReading : public testing::Test {
protected:
    FormReading() { LoadingLog().clear(); }

    TestForms forms;
};

TEST_F(FormReading, SetsPropertiesByNameAndByPath) {
    Resource resource;
    resource.Component("TTestForm", "Options")
        .Text("Caption", "Options de visualisation")
        .Ident("Color", "clBtnFace")
        .Ident("Font.Charset", "DEFAULT_CHARSET")
        .Ident("Font.Color", "clWindowText")
        .Int("Font.Height", -11)
        .Text("Font.Name", "MS Sans Serif")
        .Children()
        .Component("TTestChild", "Button1")
        .Int("Width", 197)
        .Leaf()
        .End();
    const std::vector<std::uint8_t> bytes = resource.Bytes();
    // -11 travels as tagInt8, 197 as tagInt16.
    const std::vector<std::uint8_t> height = {'H', 'e', 'i', 'g', 'h', 't', tagInt8, 0xF5};
    const std::vector<std::uint8_t> width = {'W', 'i', 'd', 't', 'h', tagInt16, 0xC5, 0x00};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), height.begin(), height.end()), bytes.end());
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), width.begin(), width.end()), bytes.end());

    const auto form = ReadTestForm(bytes);
    EXPECT_EQ(form->Name(), "Options");
    EXPECT_EQ(form->Caption(), "Options de visualisation");
    EXPECT_EQ(static_cast<std::uint32_t>(form->Color()), 0x8000000Fu);
    EXPECT_EQ(form->Font()->Height(), -11);
    EXPECT_EQ(form->Font()->Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(static_cast<std::uint32_t>(form->Font()->Color()), 0x80000008u);
    EXPECT_EQ(form->Font()->Name(), "MS Sans Serif");
    ASSERT_NE(form->Button1, nullptr) << "naming the child sets the form's field";
    EXPECT_EQ(form->Button1->Width(), 197);
    EXPECT_EQ(form->Button1->Owner(), form.get());
    EXPECT_EQ(form->Button1->AttachedParent(), form.get());
}

TEST_F(FormReading, AcceptsAnyIntegerTagForAnIntegerProperty) {
    const std::initializer_list<std::uint8_t> encodings[] = {
        {tagInt8, 100},
        {tagInt16, 100, 0},
        {tagInt32, 100, 0, 0, 0},
        {tagInt64, 100, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& encoding : encodings) {
        Resource resource;
        resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1").Raw("Width", encoding);
        const auto form = ReadTestForm(resource.Leaf().End().Bytes());
        EXPECT_EQ(form->Button1->Width(), 100) << "tag " << int(*encoding.begin());
    }
}

TEST_F(FormReading, ReadsEveryKindOfValue) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1");
    resource.Ident("Align", "alClient").Ident("Enabled", "False").Text("Accelerator", "&").Int("Big", 5000000000LL);
    resource.Name("Ratio");
    resource.Writer().WriteFloat(2.5L);
    resource.Ident("Flag", "True");
    const auto form = ReadTestForm(resource.Leaf().End().Bytes());
    const TTestChild& button = *form->Button1;
    EXPECT_EQ(button.Align(), TTestAlign::Client);
    EXPECT_FALSE(button.Enabled());
    EXPECT_EQ(button.Accelerator(), '&');
    EXPECT_EQ(button.Big(), 5000000000LL);
    EXPECT_EQ(button.Ratio(), 2.5);
    EXPECT_EQ(button.Flag(), -1) << "a boolean whose range starts below zero stores True as -1";
}

TEST_F(FormReading, ABooleanOfSignedRangeReadsOtherTextsAsDecimalIntegers) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1").Ident("Flag", "12");
    EXPECT_EQ(ReadTestForm(resource.Leaf().End().Bytes())->Button1->Flag(), 12);
}

TEST_F(FormReading, ReadsSetsIgnoringNamesOutsideTheTypeAndBeyondPosition31) {
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Set("Font.Style", {"tsBold", "tsNothing", "tsUnderline"})
        .Children()
        .Component("TTestChild", "Button1")
        .Set("Many", {"m0", "m31", "m32", "m39"})
        .Leaf()
        .Component("TTestChild", "Button2")
        .Set("Many", {})
        .Leaf()
        .End();
    const auto form = ReadTestForm(resource.Bytes());
    EXPECT_EQ(form->Font()->Style(), (1 << tsBold) | (1 << tsUnderline));
    EXPECT_EQ(form->Button1->Many(), 0x80000001u);
    EXPECT_EQ(form->Button2->Many(), 0u);
}

TEST_F(FormReading, EmptySetStoresZero) {
    Resource resource;
    const auto form = ReadTestForm(resource.Component("TTestForm", "Form1").Set("Font.Style", {}).Leaf().Bytes());
    EXPECT_EQ(form->Font()->Style(), 0);
}

TEST_F(FormReading, TextsInEveryEncodingArriveAsTheSameUtf8Text) {
    const std::string text = "Délai entre chaque vue";
    std::vector<std::vector<std::uint8_t>> payloads;
    {
        Resource utf8;  // the writer stores texts with accents as tagUtf8String
        payloads.push_back(utf8.Component("TTestForm", "Form1").Text("Caption", text).Leaf().Bytes());
    }
    {
        Resource wide;
        wide.Component("TTestForm", "Form1").Name("Caption");
        const char16_t units[] = u"Délai entre chaque vue";
        const std::uint32_t count = std::size(units) - 1;
        wide.Writer().WriteTag(tagWString);
        wide.Writer().Write(&count, 4);
        for (std::uint32_t i = 0; i < count; ++i) wide.Writer().Write(&units[i], 2);
        payloads.push_back(wide.Leaf().Bytes());
    }
    {
        Resource longString;  // the ANSI tags hold Windows-1252
        longString.Component("TTestForm", "Form1").Name("Caption");
        const std::string ansi = "D\xE9lai entre chaque vue";
        const auto length = static_cast<std::uint32_t>(ansi.size());
        longString.Writer().WriteTag(tagLString);
        longString.Writer().Write(&length, 4);
        longString.Writer().Write(ansi.data(), ansi.size());
        payloads.push_back(longString.Leaf().Bytes());
    }
    for (const auto& bytes : payloads) EXPECT_EQ(ReadTestForm(bytes)->Caption(), text);
}

TEST_F(FormReading, WideTextPropertiesTakeEveryTextTag) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1").Text("Hint", "Arrêt");
    EXPECT_EQ(ReadTestForm(resource.Leaf().End().Bytes())->Button1->Hint(), u"Arrêt");
}

TEST_F(FormReading, StringListsAreClearedAndFilledThroughTheirStringsProperty) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Name("Items.Strings");
    resource.Writer().WriteListBegin();
    resource.Writer().WriteText("Continu");
    resource.Writer().WriteText("Arrêt sur image");
    resource.Writer().WriteListEnd();
    const auto bytes = resource.Leaf().Bytes();
    auto form = std::make_unique<TTestForm>(nullptr);
    form->Items()->Add("ancien");
    const auto stream = StreamOf(bytes);
    ReadComponentFromStream(*stream, form.get());
    EXPECT_EQ(form->Items()->Text(), "Continu\nArrêt sur image\n");
}

TEST_F(FormReading, CollectionsReadTheirItemsAndAnEmptyOneKeepsThem) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Name("Columns");
    TWriter& writer = resource.Writer();
    writer.WriteTag(tagCollection);
    writer.WriteInteger(0);  // an item's former index, ignored
    writer.WriteListBegin();
    writer.WriteShortString("Caption");
    writer.WriteText("Nom");
    writer.WriteShortString("Width");
    writer.WriteInteger(120);
    writer.WriteListEnd();
    writer.WriteListBegin();
    writer.WriteShortString("Caption");
    writer.WriteText("Taille");
    writer.WriteListEnd();
    writer.WriteListEnd();
    const auto form = ReadTestForm(resource.Leaf().Bytes());
    ASSERT_EQ(form->Columns()->Count(), 2);
    const auto* first = dynamic_cast<TTestItem*>(form->Columns()->Items(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Caption(), "Nom");
    EXPECT_EQ(first->Width(), 120);

    Resource empty;
    empty.Component("TTestForm", "Form1").Name("Columns");
    empty.Writer().WriteTag(tagCollection);
    empty.Writer().WriteListEnd();
    const auto stream = StreamOf(empty.Leaf().Bytes());
    ReadComponentFromStream(*stream, form.get());
    EXPECT_EQ(form->Columns()->Count(), 2);
}

TEST_F(FormReading, BindsHandlersToTheRootNotToTheChild) {
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Ident("OnClose", "FormClose")
        .Children()
        .Component("TTestChild", "Button1")
        .Ident("OnClick", "button1click")
        .Leaf()
        .Component("TTestTimer", "Timer1")
        .Int("Interval", 3000)
        .Ident("OnTimer", "Timer1Timer")
        .Leaf()
        .End();
    const auto form = ReadTestForm(resource.Bytes());
    const TNotifyEvent& click = form->Button1->OnClick();
    ASSERT_TRUE(click);
    EXPECT_EQ(click.Method().Receiver(), form.get());
    EXPECT_TRUE(click == TNotifyEvent(form.get(), &TTestForm::Button1Click));
    click(form->Button1);
    EXPECT_EQ(form->lastSender, form->Button1);
    EXPECT_EQ(form->lastReceiver, form.get());
    EXPECT_EQ(form->Timer1->Interval(), 3000u);
    EXPECT_TRUE(form->Timer1->OnTimer() == TNotifyEvent(form.get(), &TTestForm::Timer1Timer));
    EXPECT_TRUE(form->OnClose() == TCloseEvent(form.get(), &TTestForm::FormClose));
}

TEST_F(FormReading, ResolvesReferencesOnceTheWholeFormIsRead) {
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Ident("Menu", "Timer1")  // read before the timer exists
        .Children()
        .Component("TTestChild", "Button1")
        .Leaf()
        .Component("TTestChild", "Button2")
        .Ident("Associate", "BUTTON1")
        .Leaf()
        .Component("TTestTimer", "Timer1")
        .Leaf()
        .End();
    const auto form = ReadTestForm(resource.Bytes());
    EXPECT_EQ(form->Menu(), form->Timer1);
    EXPECT_EQ(form->Button2->Associate(), form->Button1);
}

TEST_F(FormReading, AReferenceWithoutDotThatMatchesNothingBecomesNull) {
    auto form = std::make_unique<TTestForm>(nullptr);
    TTestTimer elsewhere(nullptr);
    FindProperty(form->ClassInfo(), "Menu")->Set(*form, static_cast<TObject*>(&elsewhere));
    Resource resource;
    const auto stream = StreamOf(resource.Component("TTestForm", "Form1").Ident("Menu", "Nowhere").Leaf().Bytes());
    ReadComponentFromStream(*stream, form.get());
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(PendingCrossFormReferenceCount(), 0);
}

TEST_F(FormReading, AReferenceIntoAnotherFormWaitsUntilThatFormIsRead) {
    Resource first;
    first.Component("TTestForm", "Main").Ident("Menu", "Other.Button1").Leaf();
    const auto main = ReadTestForm(first.Bytes());
    forms.Add(*main);
    EXPECT_EQ(main->Menu(), nullptr);
    EXPECT_EQ(PendingCrossFormReferenceCount(), 1);
    EXPECT_TRUE(main->HasState(stateFixups));

    auto other = std::make_unique<TTestForm>(nullptr);
    forms.Add(*other);
    Resource second;
    second.Component("TTestForm", "Other").Children().Component("TTestChild", "Button1").Leaf().End();
    const auto stream = StreamOf(second.Bytes());
    ReadComponentFromStream(*stream, other.get());
    EXPECT_EQ(main->Menu(), other->Button1);
    EXPECT_EQ(PendingCrossFormReferenceCount(), 0);
    EXPECT_FALSE(main->HasState(stateFixups));
}

TEST_F(FormReading, DestroyingAFormDropsItsWaitingReferences) {
    {
        Resource resource;
        const auto main =
            ReadTestForm(resource.Component("TTestForm", "Main").Ident("Menu", "Later.Menu").Leaf().Bytes());
        EXPECT_EQ(PendingCrossFormReferenceCount(), 1);
    }
    EXPECT_EQ(PendingCrossFormReferenceCount(), 0);
}

TEST_F(FormReading, FinishesLoadingTheFormFirstThenEachChildAfterItsOwnChildren) {
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Children()
        .Component("TTestChild", "A")
        .Leaf()
        .Component("TTestChild", "B")
        .Children()
        .Component("TTestChild", "C")
        .Leaf()
        .End()
        .End();
    const auto form = ReadTestForm(resource.Bytes());
    EXPECT_EQ(LoadingLog(), (std::vector<std::string>{"Form1", "A", "C", "B"}));
    auto* b = dynamic_cast<TTestChild*>(form->FindComponent("B"));
    auto* c = dynamic_cast<TTestChild*>(form->FindComponent("C"));
    ASSERT_TRUE(b && c) << "B's child belongs to the form";
    EXPECT_EQ(c->AttachedParent(), b);
    EXPECT_FALSE(c->HasState(stateLoading | stateReading));
}

TEST_F(FormReading, NamesASecondInstanceOfAFormWithANumber) {
    Resource resource;
    const auto bytes = resource.Component("TTestForm", "Form1").Leaf().Bytes();
    const auto first = ReadTestForm(bytes);
    forms.Add(*first);
    const auto second = ReadTestForm(bytes);
    EXPECT_EQ(second->Name(), "Form1_1");
    forms.Add(*second);
    EXPECT_EQ(ReadTestForm(bytes)->Name(), "Form1_2");
    EXPECT_EQ(UniqueRootName("Free"), "Free");
}

TEST_F(FormReading, NonVisualComponentsTakeLeftAndTop) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestTimer", "Timer1");
    resource.Int("Left", 280).Int("Top", 112).Leaf().End();
    const auto form = ReadTestForm(resource.Bytes());
    EXPECT_EQ(form->Timer1->DesignLeft(), 280);
    EXPECT_EQ(form->Timer1->DesignTop(), 112);
}

TEST_F(FormReading, ReadsBinaryPropertiesAsAMemoryStream) {
    Resource resource;
    resource.Component("TTestForm", "Form1").Children().Component("TTestChild", "Button1").Name("Data");
    const std::uint8_t data[] = {1, 2, 3, 0, 255};
    resource.Writer().WriteBinary(data);
    const auto form = ReadTestForm(resource.Leaf().End().Bytes());
    EXPECT_EQ(form->Button1->Data(), (std::vector<std::uint8_t>{1, 2, 3, 0, 255}));
}

TEST_F(FormReading, PlacesChildrenAtTheirStoredPositionsAndMarksInlineChildren) {
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Children()
        .Component("TTestChild", "Button1")
        .Children()
        .Component("TTestChild", "Inner", prefixChildPos | prefixInline, 2)
        .Leaf()
        .End()
        .End();
    const auto form = ReadTestForm(resource.Bytes());
    auto* inner = dynamic_cast<TTestChild*>(form->FindComponent("Inner"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->ConstructedState(), stateLoading | stateInline) << "marked before its constructor ran";
    ASSERT_EQ(form->Button1->Placements().size(), 1u);
    EXPECT_EQ(form->Button1->Placements()[0], std::make_pair(static_cast<TComponent*>(inner), 2));
}

TEST_F(FormReading, CreatesTheRootFromItsRegisteredClassWhenNoneIsGiven) {
    RegisterStreamClass(TTestForm::StaticClassInfo());
    Resource resource;
    resource.Component("TTestForm", "Made")
        .Text("Caption", "x")
        .Children()
        .Component("TTestChild", "Button1")
        .Leaf()
        .End();
    const auto stream = StreamOf(resource.Bytes());
    const std::unique_ptr<TComponent> root(ReadComponentFromStream(*stream, nullptr));
    auto* form = dynamic_cast<TTestForm*>(root.get());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Name(), "Made");
    EXPECT_EQ(form->Caption(), "x");
    EXPECT_NE(form->Button1, nullptr);
}

TEST_F(FormReading, LeavesTheStreamRightAfterTheLastByteRead) {
    Resource resource;
    std::vector<std::uint8_t> bytes = resource.Component("TTestForm", "Form1").Leaf().Bytes();
    const auto size = static_cast<std::int64_t>(bytes.size());
    bytes.insert(bytes.end(), 5000, 'x');  // more than the reader's buffer
    const auto stream = StreamOf(bytes);
    TTestForm form(nullptr);
    ReadComponentFromStream(*stream, &form);
    EXPECT_EQ(stream->Position(), size);
}

TEST_F(FormReading, AReadErrorHandlerMayDropAPropertyOrAChild) {
    struct Handler : TObject {
        std::vector<std::string> messages;
        void ReadError(TReader*, const String& message, bool& handled) {
            messages.push_back(message.ToStdString());
            handled = true;
        }
    } handler;
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Int("Unknown", 1)
        .Text("Caption", "kept")
        .Children()
        .Component("TMissing", "Lost")
        .Int("Width", 3)
        .Children()
        .Component("TTestChild", "Deep")
        .Leaf()
        .End()
        .Component("TTestChild", "Button1")
        .Leaf()
        .End();
    const auto stream = StreamOf(resource.Bytes());
    TTestForm form(nullptr);
    TReader reader(*stream);
    reader.OnReadError = TReadErrorEvent(&handler, &Handler::ReadError);
    reader.ReadTopComponent(&form);
    EXPECT_EQ(form.Caption(), "kept");
    EXPECT_NE(form.Button1, nullptr);
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(handler.messages,
              (std::vector<std::string>{"Erreur lors de la lecture de Form1.Unknown: La propriété Unknown n'existe pas",
                                        "Classe TMissing non trouvée"}));
}

TEST_F(FormReading, ErrorsOfACustomPropertysOwnReadingAreNotOfferedToTheHandler) {
    struct Handler : TObject {
        void ReadError(TReader*, const String&, bool& handled) { handled = true; }
    } handler;
    Resource resource;
    const auto stream = StreamOf(resource.Component("TTestForm", "Form1").Int("Items.Strings", 5).Leaf().Bytes());
    TTestForm form(nullptr);
    TReader reader(*stream);
    reader.OnReadError = TReadErrorEvent(&handler, &Handler::ReadError);
    EXPECT_THROW(reader.ReadTopComponent(&form), EReadError);
}

TEST_F(FormReading, ItsEventsMayRenameChildClassesReferencesAndHandlers) {
    struct Hooks : TObject {
        TTestForm* form = nullptr;
        void NameChild(TReader*, TComponent*, String& name) {
            if (name == "Bouton") name = "Button1";
        }
        void FindChildClass(TReader*, const String& className, const TClassInfo*& cls) {
            if (className == "TBouton") cls = &TTestChild::StaticClassInfo();
        }
        void RenameReference(TReader*, String& name) {
            if (name == "Ancien") name = "Button1";
        }
        void FindHandler(TReader*, const String& name, TMethod& handler) {
            if (name == "Clic") handler = TNotifyEvent(form, &TTestForm::Timer1Timer).Method();
        }
    } hooks;
    Resource resource;
    resource.Component("TTestForm", "Form1")
        .Ident("Menu", "Ancien")
        .Children()
        .Component("TBouton", "Bouton")
        .Ident("OnClick", "Clic")
        .Leaf()
        .End();
    const auto stream = StreamOf(resource.Bytes());
    TTestForm form(nullptr);
    hooks.form = &form;
    TReader reader(*stream);
    reader.OnNameChild = TNameChildEvent(&hooks, &Hooks::NameChild);
    reader.OnFindChildClass = TFindChildClassEvent(&hooks, &Hooks::FindChildClass);
    reader.OnRenameReference = TRenameReferenceEvent(&hooks, &Hooks::RenameReference);
    reader.OnFindHandler = TFindHandlerEvent(&hooks, &Hooks::FindHandler);
    reader.ReadTopComponent(&form);
    ASSERT_NE(form.Button1, nullptr);
    EXPECT_EQ(form.Menu(), form.Button1);
    EXPECT_TRUE(form.Button1->OnClick() == TNotifyEvent(&form, &TTestForm::Timer1Timer));
}

TEST_F(FormReading, ReadsTheResourcesOfAClassChainBaseClassFirst) {
    static const std::vector<std::uint8_t> base = [] {
        Resource resource;
        resource.Component("TTestForm", "Derived1")
            .Text("Caption", "base")
            .Int("Font.Height", -20)
            .Children()
            .Component("TTestChild", "Button1")
            .Int("Width", 10)
            .Leaf()
            .End();
        return resource.Bytes();
    }();
    static const std::vector<std::uint8_t> derived = [] {
        Resource resource;
        resource.Component("TTestDerivedForm", "Derived1")
            .Text("Caption", "derived")
            .Children()
            .Component("TTestChild", "Button1", prefixInherited)
            .Int("Width", 20)
            .Leaf()
            .Component("TTestChild", "Extra")
            .Leaf()
            .End();
        return resource.Bytes();
    }();
    static bool registered = false;
    if (!registered) {
        RegisterResource(ResourceType::RawData, "TTESTFORM", base);
        RegisterResource(ResourceType::RawData, "TTestDerivedForm", derived);
        registered = true;
    }
    TTestDerivedForm form(nullptr);
    ASSERT_TRUE(LoadInheritedResources(form, TComponent::StaticClassInfo()));
    EXPECT_EQ(form.Caption(), "derived");
    EXPECT_EQ(form.Font()->Height(), -20);
    ASSERT_NE(form.Button1, nullptr);
    EXPECT_EQ(form.Button1->Width(), 20);
    EXPECT_NE(form.Extra, nullptr);
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(LoadingLog(), (std::vector<std::string>{"Derived1", "Button1", "Extra"}))
        << "each component once, after the whole chain";

    TTestDerivedForm partial(nullptr);
    EXPECT_FALSE(LoadInheritedResources(partial, TTestDerivedForm::StaticClassInfo()));
    try {
        LoadInheritedResources(partial, TTestForm::StaticClassInfo());  // without the base resource
        ADD_FAILURE() << "an inherited child without its ancestor was accepted";
    } catch (const EReadError& error) {
        EXPECT_EQ(error.Message(), "Ancêtre de 'Button1' non trouvé");
    }
    LoadingLog().clear();
    Resource simple;
    ReadTestForm(simple.Component("TTestForm", "Later").Leaf().Bytes());
    EXPECT_EQ(LoadingLog(), std::vector<std::string>{"Later"}) << "the failed chain's list is gone";
}

}  // namespace
}  // namespace orvalis::test
