// Components (naming, ownership, fields, notifications, design position), string
// lists, collections and copying between persistent objects.

#include <gtest/gtest.h>

#include "classes/ClassBuilder.h"
#include "runtime/Exceptions.h"
#include "tests/classes/TestClasses.h"
#include "tests/support/Messages.h"

namespace orvalis::test {
namespace {

TEST(ComponentNaming, RefusesNamesThatAreNotIdentifiers) {
    TTestChild child(nullptr);
    for (const char* bad : {"1abc", "a b", "Bouton-1", "é", "_x.y", " "}) {
        EXPECT_EQ(MessageOf<EComponentError>([&] { child.SetName(bad); }),
                  "''" + std::string(bad) + "'' n'est pas un nom de composant correct");
    }
    for (const char* good : {"_x", "Button1", "a", "B_2"}) {
        child.SetName(good);
        EXPECT_EQ(child.Name(), good);
    }
    child.SetName("");
    EXPECT_TRUE(child.Name().IsEmpty());
}

TEST(ComponentNaming, NamesAreUniqueWithinAnOwnerWithoutRegardToCase) {
    TTestForm form(nullptr);
    auto* first = new TTestChild(&form);
    auto* second = new TTestChild(&form);
    first->SetName("Button1");
    EXPECT_EQ(MessageOf<EComponentError>([&] { second->SetName("BUTTON1"); }),
              "Un composant nommé BUTTON1 existe déjà");
    EXPECT_TRUE(second->Name().IsEmpty());
    first->SetName("BUTTON1");  // its own name in other letters
    EXPECT_EQ(first->Name(), "BUTTON1");
    TTestChild elsewhere(nullptr);
    elsewhere.SetName("Button1");  // other owners do not count
    EXPECT_EQ(form.FindComponent("button1"), first);
    EXPECT_EQ(form.FindComponent(""), nullptr);
    EXPECT_EQ(form.FindComponent("Button2"), nullptr);
}

TEST(ComponentNaming, InsertingANamedComponentChecksItsName) {
    TTestForm form(nullptr);
    (new TTestChild(&form))->SetName("Ok");
    auto loose = std::make_unique<TTestChild>(nullptr);
    loose->SetName("OK");
    EXPECT_EQ(MessageOf<EComponentError>([&] { form.InsertComponent(*loose); }), "Un composant nommé OK existe déjà");
    EXPECT_EQ(loose->Owner(), nullptr);
}

TEST(ComponentNaming, NamingSetsTheOwnersFieldAndRenamingMovesIt) {
    TTestForm form(nullptr);
    auto* button = new TTestChild(&form);
    button->SetName("Button1");
    EXPECT_EQ(form.Button1, button);
    button->SetName("button2");
    EXPECT_EQ(form.Button1, nullptr);
    EXPECT_EQ(form.Button2, button);
    button->SetName("Other");
    EXPECT_EQ(form.Button2, nullptr);
    auto* timer = new TTestTimer(&form);
    timer->SetName("Button1");  // a timer does not fit a field meant for a button
    EXPECT_EQ(form.Button1, nullptr);
    timer->SetName("Timer1");
    EXPECT_EQ(form.Timer1, timer);
    delete timer;
    EXPECT_EQ(form.Timer1, nullptr) << "removal clears the field";
}

TEST(ComponentNaming, ClearingAFieldSparesAnotherComponentInIt) {
    TTestForm form(nullptr);
    auto* timer = new TTestTimer(&form);
    timer->SetName("Button1");
    auto* button = new TTestChild(&form);
    timer->SetName("Spare");
    button->SetName("Button1");
    EXPECT_EQ(form.Button1, button);
    delete timer;
    EXPECT_EQ(form.Button1, button);
}

// Records its destruction in a shared log.
class TLoggedComponent : public TComponent {
    ORVALIS_TYPE_INFO(TLoggedComponent)

    TLoggedComponent(TComponent* owner, std::string label, std::vector<std::string>& log)
        : TComponent(owner), label_(std::move(label)), log_(log) {}
    ~TLoggedComponent() override { log_.push_back(label_); }

private:
    std::string label_;
    std::vector<std::string>& log_;
};

const TClassInfo& TLoggedComponent::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TLoggedComponent, TComponent>("TLoggedComponent");
    return info;
}

TEST(ComponentOwnership, TheOwnerDestroysItsComponentsLastInsertedFirst) {
    std::vector<std::string> log;
    {
        TLoggedComponent owner(nullptr, "owner", log);
        auto* a = new TLoggedComponent(&owner, "A", log);
        new TLoggedComponent(a, "A1", log);
        new TLoggedComponent(&owner, "B", log);
        new TLoggedComponent(&owner, "C", log);
        EXPECT_EQ(owner.ComponentCount(), 3);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"owner", "C", "B", "A", "A1"}));
}

TEST(ComponentOwnership, MarkingDestroyingReachesEveryDepth) {
    TTestForm form(nullptr);
    auto* child = new TTestChild(&form);
    auto* grandChild = new TTestChild(child);
    form.MarkDestroying();
    EXPECT_TRUE(child->HasState(stateDestroying));
    EXPECT_TRUE(grandChild->HasState(stateDestroying));
}

// Records the notifications it receives.
class TWatcher : public TComponent {
    ORVALIS_TYPE_INFO(TWatcher)

    explicit TWatcher(TComponent* owner) : TComponent(owner) {}
    std::vector<std::pair<TComponent*, TOperation>> seen;

protected:
    void Notification(TComponent& component, TOperation operation) override {
        seen.emplace_back(&component, operation);
        TComponent::Notification(component, operation);
    }
};

const TClassInfo& TWatcher::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TWatcher, TComponent>("TWatcher");
    return info;
}

TEST(ComponentOwnership, InsertionAndRemovalAreToldToTheOwnerAndItsComponents) {
    TWatcher owner(nullptr);
    auto* sibling = new TWatcher(&owner);
    auto* child = new TTestChild(&owner);
    owner.RemoveComponent(*child);
    EXPECT_EQ(child->Owner(), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 1);
    const std::vector<std::pair<TComponent*, TOperation>> expected = {
        {sibling, operationInsert}, {child, operationInsert}, {child, operationRemove}};
    EXPECT_EQ(owner.seen, expected);
    EXPECT_EQ(sibling->seen, (std::vector<std::pair<TComponent*, TOperation>>{expected[1], expected[2]}));
    delete child;
}

TEST(ComponentDesignPosition, LeftAndTopAreTheHalvesOfOneWord) {
    TTestTimer timer(nullptr);
    timer.SetDesignLeft(280);
    timer.SetDesignTop(112);
    EXPECT_EQ(timer.DesignInfo(), (112 << 16) | 280);
    timer.SetDesignLeft(-5);
    EXPECT_EQ(timer.DesignLeft(), -5);
    EXPECT_EQ(timer.DesignTop(), 112);
}

TEST(StringList, AddsInsertsDeletesAndFinds) {
    TStringList list;
    list.Add("Continu");
    list.Add("Arrêt sur image");
    list.Insert(0, "Premier");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Strings(1), "Continu");
    EXPECT_EQ(list.IndexOf("CONTINU"), 1);
    EXPECT_EQ(list.IndexOf("Absent"), -1);
    list.Delete(0);
    EXPECT_EQ(list.Text(), "Continu\nArrêt sur image\n");
    list.SetText("un\r\ndeux\rtrois\nquatre");
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(3), "quatre");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

class ChangeCounter : public TObject {
public:
    void Changed(TObject*) { ++count; }
    int count = 0;
};

TEST(StringList, NotifiesChangesOnceUpdatesEnd) {
    TStringList list;
    ChangeCounter counter;
    list.SetOnChange(TNotifyEvent(&counter, &ChangeCounter::Changed));
    list.Add("a");
    EXPECT_EQ(counter.count, 1);
    list.BeginUpdate();
    list.Add("b");
    list.Add("c");
    list.BeginUpdate();
    list.EndUpdate();
    EXPECT_EQ(counter.count, 1);
    list.EndUpdate();
    EXPECT_EQ(counter.count, 2);
}

TEST(CopyFromObject, CopiesKnownSourcesAndRefusesOthersByName) {
    TStringList source;
    source.Add("x");
    source.Add("y");
    TStringList copy;
    copy.Add("old");
    copy.CopyFromObject(&source);
    EXPECT_EQ(copy.Text(), "x\ny\n");

    TTestFont font;
    EXPECT_EQ(MessageOf<EConvertError>([&] { copy.CopyFromObject(&font); }),
              "Impossible d'affecter TTestFont à TStringList");
    EXPECT_EQ(MessageOf<EConvertError>([&] { copy.CopyFromObject(nullptr); }),
              "Impossible d'affecter nil à TStringList");
    EXPECT_EQ(MessageOf<EConvertError>([&] { font.CopyFromObject(&copy); }),
              "Impossible d'affecter TStringList à TTestFont");
}

TEST(Collection, OwnsItsItemsAndForgetsThoseDestroyed) {
    TCollection collection(TTestItem::StaticClassInfo());
    TCollectionItem* first = collection.Add();
    TCollectionItem* second = collection.Add();
    EXPECT_EQ(second->Index(), 1);
    delete first;
    EXPECT_EQ(collection.Count(), 1);
    EXPECT_EQ(second->Index(), 0);
    collection.Delete(0);
    EXPECT_EQ(collection.Count(), 0);
    collection.Add();
    collection.Clear();
    EXPECT_EQ(collection.Count(), 0);
}

}  // namespace
}  // namespace orvalis::test
