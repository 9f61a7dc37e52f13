// A series of views within a view's memory: each new picture takes the pages of the one
// it replaces instead of fresh ones, the rows of a progressive view are made at the
// advance once the view before has let go of its picture, and views of one scan and
// progressive ones follow each other in any order, each shown as it is. The views are
// large enough (2.4 MB) for their pages to be kept for the next; which buffer a picture
// got is read from its DIB.

#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "app/MainOrvalis.h"
#include "framework/Image.h"
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "platform/VirtualKeys.h"
#include "platform/raster/RecycledPixels.h"
#include "tests/app/ViewerTest.h"

namespace orvalis::test {
namespace {

constexpr int kWidth = 1024, kHeight = 800;
constexpr std::uint32_t kColours[] = {0xE01010, 0x10C010, 0x1010E0};

const std::uint8_t* ShownPixels() {
    auto* shown = dynamic_cast<TBitmap*>(Orvalis->Image1->Picture()->Graphic());
    EXPECT_NE(shown, nullptr);
    if (!shown) return nullptr;
    EXPECT_EQ(&shown->ImageRecord(), &Orvalis->BitmapCourant->ImageRecord()) << "the working bitmap is shown";
    return shown->ImageRecord().DIBHandle()->Bits();
}

using enum JpegScans;
constexpr int kNone = -1;

// The views 1 to 3, and the steps: "Ouvrir" of view 1, then three ticks (view 1 again,
// views 2 and 3). `sameAs[step]`: the earlier step whose picture's pages the step's
// picture took. A progressive view takes those of the view it replaces, at the advance;
// a view of one scan, prepared while the view before is shown, those of the picture let
// go of at the advance before (none after a progressive view, which took them itself).
struct SeriesCase {
    const char* what;
    std::array<JpegScans, 3> views;
    std::array<int, 4> sameAs;
};

class ViewPictureMemory : public ViewerTest, public ::testing::WithParamInterface<SeriesCase> {
protected:
    // Pages kept from an earlier test would be taken by the first picture.
    ViewPictureMemory() { platform::raster::ReleaseRecycledPixels(); }
};

TEST_P(ViewPictureMemory, EachPictureTakesThePagesOfAPictureLetGoOf) {
    const SeriesCase& c = GetParam();
    for (int view = 0; view < 3; ++view)
        WriteSolidJpeg(folder / ("vue" + std::to_string(view + 1) + ".jpg"), kWidth, kHeight, kColours[view],
                       c.views[static_cast<std::size_t>(view)]);
    std::vector<const std::uint8_t*> pixels;
    int taken = 0;
    auto checkView = [&](int view) {
        script.Check([&, view] {
            const int step = static_cast<int>(pixels.size());
            EXPECT_NEAR_COLOUR(MainPixel(kWidth / 2, kHeight / 2), kColours[view - 1]);
            // "Ouvrir" takes the file selected in the dialog, each tick the next view.
            EXPECT_EQ(Orvalis->NextView().PicturesTaken(), ++taken) << "step " << step << ": prepared";
            // The next view's preparation ends (its picture made) before pages are compared.
            Orvalis->NextView().WaitUntilDone();
            pixels.push_back(ShownPixels());
            if (const int same = c.sameAs[static_cast<std::size_t>(step)]; same != kNone) {
                EXPECT_EQ(pixels.back(), pixels[static_cast<std::size_t>(same)]) << "step " << step;
            }
        });
    };
    script.AnswerFileDialog(folder / "vue1.jpg");
    checkView(1);
    for (int view : {1, 2, 3}) {
        script.Advance(3000);
        checkView(view);
    }
    script.Press(platform::VK_ESCAPE);
    EXPECT_EQ(RunTheViewer(), 0);
    EXPECT_EQ(ErrorBoxes(), std::vector<Seen>{});
    EXPECT_EQ(pixels.size(), 4u);
}

// The case's words run together, as a test's name.
std::string CaseName(const ::testing::TestParamInfo<SeriesCase>& series) {
    std::string name;
    for (const char* p = series.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Series, ViewPictureMemory,
    ::testing::Values(SeriesCase{"one scan", {One, One, One}, {kNone, kNone, 0, 1}},
                      SeriesCase{"progressive", {Progressive, Progressive, Progressive}, {kNone, 0, 1, 2}},
                      SeriesCase{"one scan, progressive, one scan", {One, Progressive, One}, {kNone, kNone, 1, kNone}},
                      SeriesCase{
                          "progressive, one scan, progressive", {Progressive, One, Progressive}, {kNone, 0, kNone, 2}}),
    CaseName);

}  // namespace
}  // namespace orvalis::test
