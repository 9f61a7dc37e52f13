#include <gtest/gtest.h>

#include "runtime/String.h"

using orvalis::String;

TEST(String, EmptyTextHoldsNoBuffer) {
    String empty;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.ShareCount(), 0);
    EXPECT_STREQ(empty.CStr(), "");
    EXPECT_TRUE(String("").IsEmpty());
}

TEST(String, CopiesShareUntilOneChanges) {
    String a("vue12");
    String b = a;
    EXPECT_TRUE(a.SharesBufferWith(b));
    EXPECT_EQ(a.ShareCount(), 2);

    b.Data()[0] = 'V';
    EXPECT_FALSE(a.SharesBufferWith(b));
    EXPECT_EQ(a, "vue12");
    EXPECT_EQ(b, "Vue12");
    EXPECT_EQ(a.ShareCount(), 1);
}

TEST(String, AppendingLeavesOtherHoldersUnchanged) {
    String base("C:/plans/vue");
    String name = base;
    name += "3.jpg";
    EXPECT_EQ(base, "C:/plans/vue");
    EXPECT_EQ(name, "C:/plans/vue3.jpg");
    EXPECT_EQ(base + "1" + ".jpg", "C:/plans/vue1.jpg");
}

TEST(String, SubstringAndEmbeddedZeros) {
    String text(std::string_view("a\0b", 3));
    EXPECT_EQ(text.Length(), 3u);
    EXPECT_EQ(text.Substring(2), "b");
    EXPECT_TRUE(text.Substring(5).IsEmpty());
}
