#include <gtest/gtest.h>

#include "runtime/Exceptions.h"
#include "runtime/Format.h"

using namespace orvalis;

TEST(Format, ConversionsAsTheDocumentsUseThem) {
    struct Case {
        const char* pattern;
        std::initializer_list<FormatArg> args;
        const char* expected;
    };
    const Case cases[] = {
        {"N° %3d r=%3d v=%3d b=%3d nb=%d", {3, 250, 152, 65, 12}, "N°   3 r=250 v=152 b= 65 nb=12"},
        {"%3d", {1234}, "1234"},
        {"%X-%X", {static_cast<signed char>(0x89), 0x50}, "FFFFFF89-50"},
        {"%X-%X", {-1, static_cast<signed char>(0xD8)}, "FFFFFFFF-FFFFFFD8"},
        {"%s_%d", {"Options", 1}, "Options_1"},
        {"100%%", {}, "100%"},
        {"%d", {-11}, "-11"},
    };
    for (const Case& c : cases) EXPECT_EQ(Format(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(Exception, MessagesComeFromTheResourceTable) {
    EXPECT_EQ(EReadError(ResId::StreamRead).Message(), "Erreur de lecture du flux");
    EXPECT_EQ(EResNotFound(ResId::ResourceNotFound, {"TOPTIONS"}).Message(), "Ressource TOPTIONS non trouvée");
    EXPECT_EQ(EComponentError(ResId::InvalidComponentName, {"1abc"}).Message(),
              "''1abc'' n'est pas un nom de composant correct");
    EXPECT_EQ(EJPEG(41).Message(), "Erreur JPEG #41");
    EXPECT_EQ(EOSError(5, "Accès refusé").Message(), "Erreur système.  Code : 5.\r\nAccès refusé");
}

TEST(Exception, HierarchyLetsCallersCatchByFamily) {
    try {
        throw EJPEG(41);
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(static_cast<const EJPEG&>(e).ErrorCode(), 41);
    }
    EXPECT_THROW(throw EReadError(ResId::StreamRead), EStreamError);
    EXPECT_THROW(throw EClassNotFound(ResId::ClassNotFound, {"TFoo"}), EFilerError);
    EXPECT_THROW(Abort(), EAbort);
}
