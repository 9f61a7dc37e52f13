#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/ColourCount.h"
#include "app/ColourTally.h"
#include "tests/app/ReferenceColourCount.h"

using namespace orvalis;
using orvalis::test::ReferenceCount;

namespace {

using Image = std::vector<std::vector<std::uint32_t>>;

std::vector<ClasseCouleur> Count(const Image& image) {
    const int width = image.empty() ? 0 : static_cast<int>(image[0].size());
    return CountColours(width, static_cast<int>(image.size()),
                        [&](int y) { return image[static_cast<std::size_t>(y)].data(); });
}

std::optional<std::vector<ClasseCouleur>> CountInBands(const Image& image, int bands) {
    std::vector<const std::uint32_t*> rows;
    for (const auto& row : image) rows.push_back(row.data());
    return CountColoursInBands(image.empty() ? 0 : static_cast<int>(image[0].size()), rows, bands);
}

void ExpectSameAsReference(const Image& image, const std::vector<ClasseCouleur>& actual) {
    const auto expected = ReferenceCount(image);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].r, expected[i].r) << "class " << i + 1;
        EXPECT_EQ(actual[i].v, expected[i].v) << "class " << i + 1;
        EXPECT_EQ(actual[i].b, expected[i].b) << "class " << i + 1;
        EXPECT_EQ(actual[i].nb, expected[i].nb) << "class " << i + 1;
    }
}

void ExpectSameAsReference(const Image& image) { ExpectSameAsReference(image, Count(image)); }

std::uint32_t Rgb(int r, int g, int b) { return static_cast<std::uint32_t>(r << 16 | g << 8 | b); }

}  // namespace

TEST(ColourCount, TolerancesAndTheDarkPixelRule) {
    // One pixel per case; the expected class is the 1-based number in the report.
    const std::vector<std::uint32_t> row = {
        Rgb(0, 0, 0),                     // class 1: |30 - 0| = 30 < 31
        Rgb(61, 0, 0),                    // fits nothing, sum 61 < 200: class 1 all the same
        Rgb(255, 255, 255),               // class 2: |250 - 255| = 5 < 6
        Rgb(255, 255, 243),               // |250 - 243| = 7: new class 17
        Rgb(100, 100, 0),                 // sum 200, fits nothing: new class 18
        Rgb(105, 95, 5),                  // differences 5, 5, 5: class 18
        Rgb(110, 100, 0),                 // difference 10: new class 19
        0xFF000000u | Rgb(250, 152, 65),  // top byte ignored: class 3
    };
    const auto classes = Count({row});
    ASSERT_EQ(classes.size(), 19u);
    EXPECT_EQ(classes[0].nb, 2);
    EXPECT_EQ(classes[1].nb, 1);
    EXPECT_EQ(classes[2].nb, 1);
    EXPECT_EQ((std::vector<int>{classes[16].r, classes[16].v, classes[16].b, classes[16].nb}),
              (std::vector<int>{255, 255, 243, 1}));
    EXPECT_EQ((std::vector<int>{classes[17].r, classes[17].v, classes[17].b, classes[17].nb}),
              (std::vector<int>{100, 100, 0, 2}));
    EXPECT_EQ((std::vector<int>{classes[18].r, classes[18].v, classes[18].b, classes[18].nb}),
              (std::vector<int>{110, 100, 0, 1}));
}

TEST(ColourCount, DarkPixelFittingAClassFoundEarlierGoesToThatClass) {
    // (100, 100, 0) starts class 17; (95, 95, 5) has a sum of 195 but fits class 17.
    const auto classes = Count({{Rgb(100, 100, 0), Rgb(95, 95, 5)}});
    ASSERT_EQ(classes.size(), 17u);
    EXPECT_EQ(classes[16].nb, 2);
    EXPECT_EQ(classes[0].nb, 0);
}

TEST(ColourCount, DarkColourSeenBeforeIsTriedAgainstClassesAddedSince) {
    // (95, 95, 5) first fits nothing and goes to class 1; once (100, 100, 0) has made
    // class 17, the same colour fits it. A memo that kept "class 1" would be wrong.
    const auto classes = Count({{Rgb(95, 95, 5), Rgb(100, 100, 0), Rgb(95, 95, 5)}});
    ASSERT_EQ(classes.size(), 17u);
    EXPECT_EQ(classes[0].nb, 1);
    EXPECT_EQ(classes[16].nb, 2);
}

TEST(ColourCount, AgreesWithThePlainLinearSearchOnNoisyImages) {
    std::mt19937 random(12345);
    for (int palette : {8, 64, 4096}) {
        std::vector<std::uint32_t> colours;
        for (int i = 0; i < palette; ++i) colours.push_back(random() & 0xFFFFFFu);
        Image image(40, std::vector<std::uint32_t>(50));
        for (auto& row : image)
            for (auto& pixel : row) pixel = colours[random() % colours.size()] | (random() & 0xFF000000u);
        ExpectSameAsReference(image);
    }
}

// A noisy image of `palette` random colours; `nearDarkLimit` false leaves out the dark
// colours that a class made later could fit (R + G + B from 173 to 199).
Image NoisyImage(std::mt19937& random, int palette, int width, int height, bool nearDarkLimit) {
    std::vector<std::uint32_t> colours;
    while (static_cast<int>(colours.size()) < palette) {
        const std::uint32_t colour = random() & 0xFFFFFFu;
        const int sum = static_cast<int>((colour >> 16) + (colour >> 8 & 0xFF) + (colour & 0xFF));
        if (nearDarkLimit || sum < 173 || sum >= 200) colours.push_back(colour);
    }
    Image image(static_cast<std::size_t>(height), std::vector<std::uint32_t>(static_cast<std::size_t>(width)));
    for (auto& row : image)
        for (auto& pixel : row) pixel = colours[random() % colours.size()] | (random() & 0xFF000000u);
    return image;
}

TEST(ColourCountInBands, AgreesWithThePlainLinearSearchWheneverItGivesAResult) {
    std::mt19937 random(777);
    for (int bands : {1, 2, 3, 7}) {
        for (int palette : {8, 64, 4096}) {
            SCOPED_TRACE("bands " + std::to_string(bands) + ", palette " + std::to_string(palette));
            const Image clear = NoisyImage(random, palette, 50, 40, false);
            const auto classes = CountInBands(clear, bands);
            ASSERT_TRUE(classes.has_value()) << "no dark colour can change class here";
            ExpectSameAsReference(clear, *classes);
            const Image any = NoisyImage(random, palette, 50, 40, true);
            if (const auto mixed = CountInBands(any, bands)) ExpectSameAsReference(any, *mixed);
        }
    }
}

TEST(ColourCountInBands, GivesUpWhenADarkColourChangesClassAmongItsPixels) {
    // (95, 95, 5) fits nothing and counts in class 1 until (100, 100, 0) makes class 17,
    // which it fits: the tallies cannot tell how many pixels came before. Without the
    // last (95, 95, 5) nothing changes class, and the bands give the count.
    const Image changing = {{Rgb(95, 95, 5)}, {Rgb(100, 100, 0)}, {Rgb(95, 95, 5)}};
    EXPECT_FALSE(CountInBands(changing, 3).has_value());
    EXPECT_FALSE(CountInBands(changing, 1).has_value());
    const Image settled = {{Rgb(95, 95, 5)}, {Rgb(95, 95, 5)}, {Rgb(100, 100, 0)}};
    const auto classes = CountInBands(settled, 3);
    ASSERT_TRUE(classes.has_value());
    ExpectSameAsReference(settled, *classes);
}

TEST(ColourCount, ALargeImageIsCountedAsInOrderWhetherOrNotTheBandsCanGiveTheCount) {
    // A million pixels and more: the count goes through the bands, and back to the scan
    // in order when a dark colour changes class in the middle of the image.
    std::mt19937 random(4242);
    Image image = NoisyImage(random, 200, 1024, 1100, false);
    ExpectSameAsReference(image);
    image[0][0] = Rgb(95, 95, 5);
    image[600][0] = Rgb(100, 100, 0);
    image[1099][1023] = Rgb(95, 95, 5);
    ASSERT_FALSE(CountInBands(image, 2).has_value());
    ExpectSameAsReference(image);
}

TEST(ColourCount, EmptyImageReportsTheSixteenClasses) {
    const auto classes = CountColours(0, 0, [](int) -> const std::uint32_t* { return nullptr; });
    ASSERT_EQ(classes.size(), 16u);
    for (const auto& k : classes) EXPECT_EQ(k.nb, 0);
}

TEST(ColourCountReport, LinesAreRightAlignedAsTheLogExpects) {
    auto classes = PredefinedColourClasses();
    classes[2].nb = 12;
    classes.push_back({255, 255, 243, 10, 10, 10, 1234});
    const std::string report = FormatColourReport(classes).ToStdString();
    const std::string expectedStart =
        "\nFin de traitement\nN°   1 r= 30 v= 30 b= 30 nb=0\nN°   2 r=250 v=250 b=250 nb=0\n"
        "N°   3 r=250 v=152 b= 65 nb=12\n";
    EXPECT_EQ(report.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(report.find("\nN°  17 r=255 v=255 b=243 nb=1234\n"), std::string::npos);
    EXPECT_EQ(report.back(), '\n');
}
