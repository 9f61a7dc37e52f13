// The class registry: registration with ancestors, lookups without regard to case,
// groups, aliases and the class finder.

#include <gtest/gtest.h>

#include "classes/ClassBuilder.h"
#include "classes/ClassRegistry.h"
#include "runtime/Exceptions.h"
#include "tests/classes/TestClasses.h"
#include "tests/support/Messages.h"

namespace orvalis::test {
namespace {

// Another class that calls itself TTestChild.
class TImpostor : public TComponent {
    ORVALIS_TYPE_INFO(TImpostor)

    explicit TImpostor(TComponent* owner) : TComponent(owner) {}
};

const TClassInfo& TImpostor::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TImpostor, TComponent>("TTestChild");
    return info;
}

TEST(ClassRegistry, RegistersTheClassAndItsAncestorsAndFindsThemWithoutRegardToCase) {
    TRegGroups registry;
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());
    EXPECT_EQ(registry.LookupClass("ttestCHILD"), &TTestChild::StaticClassInfo());
    EXPECT_EQ(registry.LookupClass("TComponent"), &TComponent::StaticClassInfo());
    EXPECT_EQ(registry.LookupClass("TPersistent"), &TPersistent::StaticClassInfo());
    EXPECT_EQ(registry.LookupClass("TObject"), nullptr) << "registration stops after TPersistent";
    EXPECT_EQ(registry.LookupClass("TTestTimer"), nullptr);
    EXPECT_EQ(MessageOf<EClassNotFound>([&] { registry.RequireClass("TTestTimer"); }), "Classe TTestTimer non trouvée");
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());  // again: nothing happens
}

TEST(ClassRegistry, ADifferentClassOfATakenNameIsRefused) {
    TRegGroups registry;
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());
    EXPECT_EQ(MessageOf<EFilerError>([&] { registry.RegisterStreamClass(TImpostor::StaticClassInfo()); }),
              "Une classe nommée TTestChild existe déjà");
    EXPECT_EQ(registry.LookupClass("TTestChild"), &TTestChild::StaticClassInfo());
}

TEST(ClassRegistry, AClassGoesToTheGroupOfItsMostDerivedGroupClassTheLaterOnATie) {
    TRegGroups registry;
    registry.StartClassGroup(TComponent::StaticClassInfo());
    registry.RegisterStreamClass(TTestTimer::StaticClassInfo());
    registry.StartClassGroup(TComponent::StaticClassInfo());
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());
    const TRegGroup* timerGroup = registry.GroupHolding(TTestTimer::StaticClassInfo());
    const TRegGroup* childGroup = registry.GroupHolding(TTestChild::StaticClassInfo());
    const TRegGroup* persistentGroup = registry.GroupHolding(TPersistent::StaticClassInfo());
    ASSERT_NE(timerGroup, nullptr);
    ASSERT_NE(childGroup, nullptr);
    EXPECT_NE(timerGroup, childGroup) << "the group started later takes the tie";
    EXPECT_NE(timerGroup, persistentGroup) << "TComponent is more derived than TPersistent";
    EXPECT_EQ(registry.GroupHolding(TComponent::StaticClassInfo()), timerGroup);
}

TEST(ClassRegistry, InactiveGroupsAreSkippedByLookupsButNotByTheirClassFinders) {
    TRegGroups registry;
    registry.StartClassGroup(TTestChild::StaticClassInfo());
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());
    EXPECT_EQ(registry.ActivateClassGroup(TTestTimer::StaticClassInfo()), nullptr);
    EXPECT_EQ(registry.LookupClass("TTestChild"), nullptr);
    EXPECT_EQ(registry.LookupClass("TComponent"), &TComponent::StaticClassInfo()) << "the first group stays";
    EXPECT_EQ(TClassFinder(TTestChild::StaticClassInfo(), registry).Find("ttestchild"), &TTestChild::StaticClassInfo());
    EXPECT_EQ(TClassFinder(TTestTimer::StaticClassInfo(), registry).Find("TTestChild"), nullptr);
    EXPECT_EQ(registry.ActivateClassGroup(TTestChild::StaticClassInfo()), &TTestTimer::StaticClassInfo());
    EXPECT_EQ(registry.LookupClass("TTestChild"), &TTestChild::StaticClassInfo());
}

TEST(ClassRegistry, AliasesNameRegisteredClasses) {
    TRegGroups registry;
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());
    registry.RegisterAlias(TTestChild::StaticClassInfo(), "TBouton");
    EXPECT_EQ(registry.LookupClass("tbouton"), &TTestChild::StaticClassInfo());
}

TEST(ClassRegistry, MovesDescendantsIntoTheGroupOfAnotherClass) {
    TRegGroups registry;
    registry.RegisterStreamClass(TTestChild::StaticClassInfo());
    registry.StartClassGroup(TTestTimer::StaticClassInfo());
    registry.GroupDescendentsWith(TTestChild::StaticClassInfo(), TTestTimer::StaticClassInfo());
    const TRegGroup* group = registry.GroupHolding(TTestChild::StaticClassInfo());
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(group->InGroup(TTestTimer::StaticClassInfo()));
    EXPECT_FALSE(group->Holds(TComponent::StaticClassInfo()));
    EXPECT_EQ(MessageOf<EFilerError>(
                  [&] { registry.GroupDescendentsWith(TTestChild::StaticClassInfo(), TObject::StaticClassInfo()); }),
              "TObject n'est pas dans un groupe de recensement de classes");
}

TEST(ClassRegistry, TheProcessRegistryStartsWithThePersistentGroup) {
    RegisterStreamClass(TTestTimer::StaticClassInfo());
    EXPECT_EQ(LookupClass("TTESTTIMER"), &TTestTimer::StaticClassInfo());
    EXPECT_EQ(&RequireClass("TComponent"), &TComponent::StaticClassInfo());
    EXPECT_EQ(MessageOf<EClassNotFound>([] { RequireClass("TInconnue"); }), "Classe TInconnue non trouvée");
}

}  // namespace
}  // namespace orvalis::test
