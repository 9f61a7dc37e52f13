// TImage: where the picture goes (TargetRect), painting in a form, the opaque style, the
// size taken from the picture, the transparency passed to the graphic, the palette
// check, progress, and what the class publishes.

#include <cstring>

#include "framework/Form.h"
#include "framework/FrameworkClasses.h"
#include "framework/Image.h"
#include "framework/classes/ClassBuilder.h"
#include "framework/classes/ClassInfo.h"
#include "framework/classes/ClassRegistry.h"
#include "framework/classes/Loading.h"
#include "framework/classes/Writer.h"
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "platform/headless/Inspection.h"
#include "tests/framework/FrameworkTest.h"

namespace orvalis::test {

// A bitmap that reports progress when asked, as a decoder does.
class TProgressBitmap : public TBitmap {
    ORVALIS_TYPE_INFO(TProgressBitmap)

    void Report(bool redraw) { Progress(this, progressRunning, 50, redraw, {0, 0, 4, 4}, "moitié"); }
};

const TClassInfo& TProgressBitmap::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TProgressBitmap, TBitmap>("TProgressBitmap");
    return info;
}

namespace {

using platform::headless::PixelAt;

constexpr std::uint32_t kFormColour = 0xF0F0F0;  // clBtnFace

// A pl32Bit bitmap of one colour (0x00RRGGBB).
template <class B = TBitmap>
std::unique_ptr<B> Filled(std::int32_t width, std::int32_t height, std::uint32_t colour) {
    auto bitmap = std::make_unique<B>();
    bitmap->SetPixelLayout(pl32Bit);
    bitmap->SetWidth(width);
    bitmap->SetHeight(height);
    for (std::int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bitmap->RowPointer(y));
        for (std::int32_t x = 0; x < width; ++x) row[x] = colour;
    }
    return bitmap;
}

struct ProgressLog : TObject {
    void Progress(TObject* sender, TProgressStage, std::uint8_t percent, bool redraw, const TRect&, const String& m) {
        senders.push_back(sender);
        percents.push_back(percent);
        redraws.push_back(redraw);
        message = m;
    }
    std::vector<TObject*> senders;
    std::vector<int> percents;
    std::vector<bool> redraws;
    String message;
};

class Images : public FrameworkTest {
protected:
    TForm* MakeForm(TApplication& application) {
        TForm* form = nullptr;
        application.CreateAppForm(form);
        form->SetName("Fenetre");
        form->SetClientWidth(200);
        form->SetClientHeight(100);
        return form;
    }
    TImage* AddImage(TForm& form, TRect bounds) {
        auto* image = new TImage(&form);
        image->SetName("Image1");
        image->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        image->SetParent(&form);
        return image;
    }
};

TEST(Image, ANewImageHasAnEmptyPictureAndPublishesItsProperties) {
    TImage image(nullptr);
    EXPECT_EQ(image.Width(), 105);
    EXPECT_EQ(image.Height(), 105);
    EXPECT_EQ(image.Picture()->Graphic(), nullptr);
    EXPECT_EQ(image.TargetRect(), (TRect{0, 0, 0, 0}));
    EXPECT_EQ(image.Palette(), nullptr);

    const struct {
        const char* name;
        std::int64_t defaultValue;
    } booleans[] = {{"AutoSize", 0}, {"Center", 0},  {"Enabled", 1},     {"IncrementalDisplay", 0},
                    {"Proportional", 0}, {"ShowHint", 0}, {"Stretch", 0}, {"Transparent", 0}, {"Visible", 1}};
    for (const auto& property : booleans) {
        const TPropInfo* info = FindProperty(TImage::StaticClassInfo(), property.name);
        ASSERT_NE(info, nullptr) << property.name;
        EXPECT_EQ(info->Default(), property.defaultValue) << property.name;
        EXPECT_EQ(std::get<std::int64_t>(info->Get(image)), property.defaultValue) << property.name;
    }
    for (const char* name : {"Align", "Picture", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp",
                             "OnProgress", "Left", "Top", "Width", "Height"})
        EXPECT_NE(FindProperty(TImage::StaticClassInfo(), name), nullptr) << name;
    EXPECT_EQ(FindProperty(TImage::StaticClassInfo(), "Picture")->Kind(), kindClass);
}

TEST(Image, TheTargetRectangleFollowsStretchProportionalAndCenter) {
    struct Case {
        bool stretch, proportional, center;
        std::int32_t pictureWidth, pictureHeight, clientWidth, clientHeight;
        TRect expected;
    };
    const Case cases[] = {
        {false, false, false, 800, 600, 688, 434, {0, 0, 800, 600}},
        {false, true, false, 400, 200, 300, 300, {0, 0, 300, 150}},
        {false, true, true, 400, 200, 300, 300, {0, 75, 300, 225}},
        {false, true, false, 200, 400, 300, 300, {0, 0, 150, 300}},
        {false, true, false, 100, 50, 300, 300, {0, 0, 100, 50}},  // never enlarged by Proportional alone
        {true, true, false, 100, 50, 300, 300, {0, 0, 300, 150}},
        {false, false, true, 691, 10, 688, 10, {-1, 0, 690, 10}},
        {true, false, false, 10, 10, 300, 200, {0, 0, 300, 200}},
        {true, false, true, 10, 10, 300, 200, {0, 0, 300, 200}},
        {false, true, false, 400, 100, 300, 50, {0, 0, 200, 50}},   // wide: the height limits
        {false, true, false, 100, 400, 50, 300, {0, 0, 50, 200}},   // tall: the width limits
        {false, true, false, 300, 300, 200, 100, {0, 0, 100, 100}},  // square
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pictureWidth << " x " << c.pictureHeight << " in " << c.clientWidth
                                          << " x " << c.clientHeight);
        TImage image(nullptr);
        image.SetBounds(0, 0, c.clientWidth, c.clientHeight);
        image.Picture()->Bitmap().SetWidth(c.pictureWidth);
        image.Picture()->Bitmap().SetHeight(c.pictureHeight);
        image.SetStretch(c.stretch);
        image.SetProportional(c.proportional);
        image.SetCenter(c.center);
        EXPECT_EQ(image.TargetRect(), c.expected);
    }
}

TEST(Image, OnlyAStretchedOpaqueGraphicMakesTheImageOpaque) {
    TImage image(nullptr);
    image.Picture()->Bitmap().SetWidth(2);
    image.SetStretch(true);
    EXPECT_TRUE(image.ControlStyle() & csOpaque);
    image.SetProportional(true);
    EXPECT_FALSE(image.ControlStyle() & csOpaque);
    image.SetProportional(false);
    image.SetTransparent(true);
    EXPECT_TRUE(image.Picture()->Graphic()->Transparent()) << "the image's transparency reaches the graphic";
    EXPECT_FALSE(image.ControlStyle() & csOpaque);
    image.Picture()->CopyFromObject(nullptr);
    EXPECT_FALSE(image.ControlStyle() & csOpaque);

    // Icons and metafiles keep their own transparency.
    image.Picture()->Icon();
    EXPECT_FALSE(image.Picture()->Graphic()->Transparent());
}

// The image with its auto-size answer within reach.
struct AutoSizingImage : TImage {
    using TImage::TImage;
    using TImage::CanAutoSize;
};

TEST(Image, AutoSizeTakesThePicturesSizeInTheDimensionsTheAlignmentLeavesFree) {
    AutoSizingImage image(nullptr);
    image.SetBounds(3, 4, 50, 50);
    image.SetAutoSize(true);
    image.Picture()->CopyFromObject(Filled(30, 20, 0).get());
    EXPECT_EQ(image.BoundsRect(), (TRect{3, 4, 33, 24}));

    struct Case {
        TAlign align;
        std::int32_t width, height;
    };
    for (const Case& c : {Case{alNone, 30, 20}, Case{alTop, 7, 20}, Case{alBottom, 7, 20}, Case{alLeft, 30, 9},
                          Case{alRight, 30, 9}, Case{alClient, 7, 9}}) {
        image.SetAlign(c.align);
        std::int32_t width = 7, height = 9;
        EXPECT_TRUE(image.CanAutoSize(width, height));
        EXPECT_EQ(width, c.width) << int(c.align);
        EXPECT_EQ(height, c.height) << int(c.align);
    }
}

TEST(Image, ItsPictureTravelsThroughAFormResourceAsItsData) {
    RegisterFrameworkClasses();
    ASSERT_EQ(LookupClass("timage"), &TImage::StaticClassInfo());
    TComponent root(nullptr);
    root.SetName("Racine");
    auto* image = new TImage(&root);
    image->SetName("Image1");
    image->SetStretch(true);
    image->Picture()->CopyFromObject(Filled(3, 2, 0x123456).get());
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteRootComponent(root);
    }
    stream.SetPosition(0);
    TComponent copy(nullptr);
    ReadComponentFromStream(stream, &copy);
    auto* read = dynamic_cast<TImage*>(copy.FindComponent("Image1"));
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(read->Stretch());
    auto* bitmap = dynamic_cast<TBitmap*>(read->Picture()->Graphic());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), 3);
    ASSERT_EQ(bitmap->Height(), 2);
    bitmap->SetPixelLayout(pl32Bit);
    EXPECT_EQ(*reinterpret_cast<std::uint32_t*>(bitmap->RowPointer(1)) & 0xFFFFFF, 0x123456u);
}

TEST_F(Images, TheBitmapIsPaintedAtItsSizeAtTheTopLeftAndClipped) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        TImage* image = AddImage(*form, {10, 10, 50, 40});
        form->Show();
        script
            .Check([&] {
                EXPECT_EQ(PixelAt(form->Handle(), {10, 10}), kFormColour) << "no graphic: nothing painted";
                image->Picture()->CopyFromObject(Filled(60, 20, 0x336699).get());
            })
            .Check([&] {
                EXPECT_EQ(PixelAt(form->Handle(), {10, 10}), 0x336699u);
                EXPECT_EQ(PixelAt(form->Handle(), {49, 29}), 0x336699u);
                EXPECT_EQ(PixelAt(form->Handle(), {50, 10}), kFormColour) << "clipped to the image";
                EXPECT_EQ(PixelAt(form->Handle(), {20, 30}), kFormColour) << "below the picture";
                image->SetStretch(true);
            })
            .Check([&] {
                EXPECT_EQ(PixelAt(form->Handle(), {20, 35}), 0x336699u) << "stretched to the whole image";
                EXPECT_EQ(PixelAt(form->Handle(), {49, 39}), 0x336699u);
                EXPECT_EQ(PixelAt(form->Handle(), {20, 40}), kFormColour);
                image->Picture()->CopyFromObject(nullptr);
            })
            .Check([&] { EXPECT_EQ(PixelAt(form->Handle(), {20, 20}), kFormColour); });
        PumpUntilScriptEnds();
    });
}

TEST_F(Images, AChangedPaletteIsRealisedOnlyThroughAnActiveForm) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        TImage* image = AddImage(*form, {0, 0, 20, 20});
        auto bitmap = Filled(2, 2, 0x123456);
        bitmap->SetPixelLayout(pl8Bit);  // a palette, PaletteModified
        image->Picture()->CopyFromObject(bitmap.get());
        TGraphic* graphic = image->Picture()->Graphic();
        EXPECT_TRUE(graphic->PaletteModified()) << "the form is not active yet: it stays to be realised";
        form->Show();
        script.Check([&] {
            ASSERT_TRUE(form->Active());
            image->SetStretch(true);  // runs PictureUpdated
            EXPECT_FALSE(graphic->PaletteModified());

            // Without a palette there is nothing to realise.
            image->Picture()->CopyFromObject(Filled(2, 2, 0).get());
            image->Picture()->Graphic()->SetPaletteModified(true);
            image->SetCenter(true);
            EXPECT_FALSE(image->Picture()->Graphic()->PaletteModified());

            // Nor for an image that is not visible.
            image->Picture()->CopyFromObject(bitmap.get());
            image->Picture()->Graphic()->SetPaletteModified(true);
            image->SetVisible(false);
            image->SetCenter(false);
            EXPECT_TRUE(image->Picture()->Graphic()->PaletteModified());
        });
        PumpUntilScriptEnds();
    });
}

TEST_F(Images, ProgressIsPassedOnAndPaintsAtOnceWithIncrementalDisplay) {
    Run([&](TApplication& application) {
        TForm* form = MakeForm(application);
        TImage* image = AddImage(*form, {0, 0, 20, 20});
        ProgressLog log;
        image->OnProgress = TProgressEvent(&log, &ProgressLog::Progress);
        form->Show();
        script.Check([&] {
            image->Picture()->CopyFromObject(Filled<TProgressBitmap>(20, 20, 0x00FF00).get());
            auto* graphic = static_cast<TProgressBitmap*>(image->Picture()->Graphic());
            graphic->Report(true);
            EXPECT_EQ(PixelAt(form->Handle(), {5, 5}), kFormColour) << "not painted without IncrementalDisplay";
            image->SetIncrementalDisplay(true);
            graphic->Report(false);
            EXPECT_EQ(PixelAt(form->Handle(), {5, 5}), kFormColour) << "nor without the redraw flag";
            graphic->Report(true);
            EXPECT_EQ(PixelAt(form->Handle(), {5, 5}), 0x00FF00u) << "painted at once";
            EXPECT_EQ(log.senders, (std::vector<TObject*>{graphic, graphic, graphic}));
            EXPECT_EQ(log.percents, (std::vector<int>{50, 50, 50}));
            EXPECT_EQ(log.redraws, (std::vector<bool>{true, false, true}));
            EXPECT_EQ(log.message, "moitié");
        });
        PumpUntilScriptEnds();
    });
}

}  // namespace
}  // namespace orvalis::test
