// TImage: where the picture goes (TargetRect), painting in a form, the opaque style, the
// size taken from the picture, the transparency passed to the graphic, the palette
// check, progress, what the class publishes and how a form resource sets it, anchors
// and constraints on a resize of the form, and the right click.

#include <cstring>

#include "classes/ClassBuilder.h"
#include "classes/ClassInfo.h"
#include "classes/ClassRegistry.h"
#include "classes/Loading.h"
#include "classes/Writer.h"
#include "framework/Form.h"
#include "framework/FrameworkClasses.h"
#include "framework/Image.h"
#include "framework/Menu.h"
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "platform/headless/Inspection.h"
#include "runtime/Resources.h"
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

// The form of tests/framework/forms/ImageProperties.form, with a handler for each event
// that its image binds; the handlers note what they were given.
class TImageProperties : public TForm {
    ORVALIS_TYPE_INFO(TImageProperties)

    explicit TImageProperties(TComponent* owner) : TForm(owner) {}

    TImage* Image1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Copier1 = nullptr;

    void Image1ContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) {
        popups.push_back({Sender, MousePos});
        Handled = true;
    }
    void Image1DragDrop(TObject*, TObject*, std::int32_t, std::int32_t) {}
    void Image1DragOver(TObject*, TObject*, std::int32_t, std::int32_t, TDragState, bool&) {}
    void Image1EndDock(TObject*, TObject*, std::int32_t, std::int32_t) {}
    void Image1EndDrag(TObject*, TObject*, std::int32_t, std::int32_t) {}
    void Image1StartDock(TObject*, TDragDockObject*&) {}
    void Image1StartDrag(TObject*, TDragObject*&) {}

    std::vector<std::pair<TObject*, TPoint>> popups;
};

const TClassInfo& TImageProperties::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TImageProperties, TForm>("TImageProperties")
                                       .Field("Image1", &TImageProperties::Image1)
                                       .Field("PopupMenu1", &TImageProperties::PopupMenu1)
                                       .Field("Copier1", &TImageProperties::Copier1)
                                       .Method("Image1ContextPopup", &TImageProperties::Image1ContextPopup)
                                       .Method("Image1DragDrop", &TImageProperties::Image1DragDrop)
                                       .Method("Image1DragOver", &TImageProperties::Image1DragOver)
                                       .Method("Image1EndDock", &TImageProperties::Image1EndDock)
                                       .Method("Image1EndDrag", &TImageProperties::Image1EndDrag)
                                       .Method("Image1StartDock", &TImageProperties::Image1StartDock)
                                       .Method("Image1StartDrag", &TImageProperties::Image1StartDrag);
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
    } ordinals[] = {{"Align", alNone},      {"Anchors", 0b0011}, {"AutoSize", 0},
                    {"Center", 0},          {"DragCursor", -12}, {"DragKind", dkDrag},
                    {"DragMode", dmManual}, {"Enabled", 1},      {"IncrementalDisplay", 0},
                    {"ParentShowHint", 1},  {"Proportional", 0}, {"ShowHint", 0},
                    {"Stretch", 0},         {"Transparent", 0},  {"Visible", 1}};
    for (const auto& property : ordinals) {
        const TPropInfo* info = FindProperty(TImage::StaticClassInfo(), property.name);
        ASSERT_NE(info, nullptr) << property.name;
        EXPECT_EQ(info->Default(), property.defaultValue) << property.name;
        EXPECT_EQ(std::get<std::int64_t>(info->Get(image)), property.defaultValue) << property.name;
    }
    for (const char* name :
         {"Constraints", "Picture",     "PopupMenu", "OnClick",     "OnContextPopup", "OnDblClick", "OnDragDrop",
          "OnDragOver",  "OnEndDock",   "OnEndDrag", "OnMouseDown", "OnMouseMove",    "OnMouseUp",  "OnProgress",
          "OnStartDock", "OnStartDrag", "Left",      "Top",         "Width",          "Height"})
        EXPECT_NE(FindProperty(TImage::StaticClassInfo(), name), nullptr) << name;
    EXPECT_EQ(FindProperty(TImage::StaticClassInfo(), "Picture")->Kind(), kindClass);
    EXPECT_EQ(image.PopupMenu(), nullptr);
    for (const std::int32_t limit : {image.Constraints()->MaxHeight(), image.Constraints()->MaxWidth(),
                                     image.Constraints()->MinHeight(), image.Constraints()->MinWidth()})
        EXPECT_EQ(limit, 0) << "no limit";
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
        {false, true, false, 400, 100, 300, 50, {0, 0, 200, 50}},    // wide: the height limits
        {false, true, false, 100, 400, 50, 300, {0, 0, 50, 200}},    // tall: the width limits
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
    using TImage::CanAutoSize;
    using TImage::TImage;
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

// The form resource sets each property the image publishes beyond the main window's;
// what the form reads, the writer writes back byte for byte. After reading, its
// anchors and constraints act on a resize, and a right click reaches OnContextPopup.
TEST_F(Images, AResourceSettingEveryPropertyLoadsAndWritesBackTheSameBytes) {
    RegisterFrameworkClasses();
    TImageProperties* form = nullptr;
    Run([&](TApplication& application) {
        application.CreateAppForm(form);
        TImage* image = form->Image1;
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Anchors(), 0b1111);
        EXPECT_EQ(image->Constraints()->MaxHeight(), 150);
        EXPECT_EQ(image->Constraints()->MaxWidth(), 250);
        EXPECT_EQ(image->Constraints()->MinHeight(), 40);
        EXPECT_EQ(image->Constraints()->MinWidth(), 60);
        EXPECT_EQ(image->DragCursor(), crHandPoint);
        EXPECT_EQ(image->DragKind(), dkDock);
        EXPECT_EQ(image->DragMode(), dmAutomatic);
        EXPECT_FALSE(image->ParentShowHint());
        EXPECT_TRUE(image->ShowHint());
        EXPECT_EQ(image->PopupMenu(), form->PopupMenu1);
        ASSERT_NE(form->Copier1, nullptr);
        EXPECT_EQ(form->PopupMenu1->Items().Items(0), form->Copier1);
        EXPECT_EQ(image->OnContextPopup, TContextPopupEvent(form, &TImageProperties::Image1ContextPopup));
        EXPECT_EQ(image->OnDragDrop, TDragDropEvent(form, &TImageProperties::Image1DragDrop));
        EXPECT_EQ(image->OnDragOver, TDragOverEvent(form, &TImageProperties::Image1DragOver));
        EXPECT_EQ(image->OnEndDock, TEndDragEvent(form, &TImageProperties::Image1EndDock));
        EXPECT_EQ(image->OnEndDrag, TEndDragEvent(form, &TImageProperties::Image1EndDrag));
        EXPECT_EQ(image->OnStartDock, TStartDockEvent(form, &TImageProperties::Image1StartDock));
        EXPECT_EQ(image->OnStartDrag, TStartDragEvent(form, &TImageProperties::Image1StartDrag));

        TMemoryStream written;
        {
            TWriter writer(written);
            writer.WriteRootComponent(*form);
        }
        TResourceStream resource("TIMAGEPROPERTIES");
        const std::string_view expected(reinterpret_cast<const char*>(resource.Memory()), resource.Size());
        const std::string_view actual(reinterpret_cast<const char*>(written.Memory()), written.Size());
        EXPECT_EQ(actual, expected);

        // The anchors start from the bounds read with the form's client size read.
        const TRect read = image->BoundsRect();
        EXPECT_EQ(read, (TRect{8, 16, 128, 106}));
        form->SetClientWidth(form->ClientWidth() + 40);
        form->SetClientHeight(form->ClientHeight() - 30);
        EXPECT_EQ(image->BoundsRect(), (TRect{8, 16, 168, 76})) << "stretched with the form";
        form->SetClientWidth(form->ClientWidth() + 200);
        form->SetClientHeight(form->ClientHeight() - 100);
        EXPECT_EQ(image->BoundsRect(), (TRect{8, 16, 258, 56})) << "within the constraints";
        form->SetClientWidth(form->ClientWidth() - 240);
        form->SetClientHeight(form->ClientHeight() + 130);
        EXPECT_EQ(image->BoundsRect(), read) << "back where it was";

        form->Show();
        script
            .Click(platform::headless::WindowTarget::Handle(form->Handle()), {18, 26},
                   platform::native::MouseButton::Right)
            .Click(platform::headless::WindowTarget::Handle(form->Handle()), {20, 30})
            .Check([&] {
                ASSERT_EQ(form->popups.size(), 1u) << "the right button only";
                EXPECT_EQ(form->popups[0].first, image);
                EXPECT_EQ(form->popups[0].second, (TPoint{10, 10}));
            });
        PumpUntilScriptEnds();

        // The menu goes: the image forgets it.
        delete form->PopupMenu1;
        EXPECT_EQ(image->PopupMenu(), nullptr);
    });
}

// Each combination of anchors on a form resized by the user, out and back; a control
// without either side of a dimension keeps its centre at the same proportion.
TEST_F(Images, AnchorsFollowTheFormsResizeWithinTheConstraints) {
    struct Case {
        const char* name;
        TAnchors anchors;
        std::int32_t minWidth, maxWidth, minHeight, maxHeight;
        TRect grown;   // the client area from 200 x 100 to 300 x 160
        TRect shrunk;  // to 100 x 50
    };
    const TAnchors left = AnchorBit(akLeft), top = AnchorBit(akTop), right = AnchorBit(akRight),
                   bottom = AnchorBit(akBottom);
    const Case cases[] = {
        {"left top", TAnchors(left | top), 0, 0, 0, 0, {20, 10, 70, 40}, {20, 10, 70, 40}},
        {"all four", TAnchors(left | top | right | bottom), 0, 0, 0, 0, {20, 10, 170, 100}, {20, 10, 20, 10}},
        {"right bottom", TAnchors(right | bottom), 0, 0, 0, 0, {120, 70, 170, 100}, {-80, -40, -30, -10}},
        {"left top right", TAnchors(left | top | right), 0, 0, 0, 0, {20, 10, 170, 40}, {20, 10, 20, 40}},
        {"none", 0, 0, 0, 0, 0, {43, 25, 93, 55}, {-3, -3, 47, 27}},
        {"all four, constrained",
         TAnchors(left | top | right | bottom),
         40,
         120,
         20,
         50,
         {20, 10, 140, 60},
         {20, 10, 60, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Run([&](TApplication& application) {
            TForm* form = MakeForm(application);
            TImage* image = AddImage(*form, {20, 10, 70, 40});
            image->Constraints()->SetMinWidth(c.minWidth);
            image->Constraints()->SetMaxWidth(c.maxWidth);
            image->Constraints()->SetMinHeight(c.minHeight);
            image->Constraints()->SetMaxHeight(c.maxHeight);
            image->SetAnchors(c.anchors);
            form->Show();
            const auto resize = [&](std::int32_t width, std::int32_t height) {
                return [&, width, height] { platform::native::WindowResized(form->Handle(), {width, height}); };
            };
            script.Check(resize(300, 160))
                .Check([&] { EXPECT_EQ(image->BoundsRect(), c.grown); })
                .Check(resize(100, 50))
                .Check([&] { EXPECT_EQ(image->BoundsRect(), c.shrunk); })
                .Check(resize(200, 100))
                .Check([&] {
                    EXPECT_EQ(image->BoundsRect(), (TRect{20, 10, 70, 40})) << "back where it was";
                });
            PumpUntilScriptEnds();
        });
    }
}

TEST(Image, ConstraintsLimitEveryChangeOfTheBoundsAndNeverContradictEachOther) {
    TImage image(nullptr);
    TSizeConstraints& constraints = *image.Constraints();
    constraints.SetMaxWidth(120);
    constraints.SetMinHeight(20);
    EXPECT_EQ(image.BoundsRect(), (TRect{0, 0, 105, 105})) << "within them already";
    constraints.SetMaxHeight(50);
    EXPECT_EQ(image.BoundsRect(), (TRect{0, 0, 105, 50})) << "applied when they change";
    image.SetBounds(3, 4, 500, 5);
    EXPECT_EQ(image.BoundsRect(), (TRect{3, 4, 123, 24}));

    constraints.SetMaxHeight(10);  // below the minimum: the minimum follows
    EXPECT_EQ(constraints.MinHeight(), 10);
    constraints.SetMinWidth(200);  // above the maximum: the maximum follows
    EXPECT_EQ(constraints.MaxWidth(), 200);
    EXPECT_EQ(image.BoundsRect(), (TRect{3, 4, 203, 14}));
    constraints.SetMinWidth(-5);  // no limit, as 0
    EXPECT_EQ(constraints.MinWidth(), 0);

    TSizeConstraints copy;
    copy.CopyFromObject(&constraints);
    EXPECT_EQ(copy.MaxWidth(), 200);
    EXPECT_EQ(copy.MaxHeight(), 10);
    EXPECT_EQ(copy.MinHeight(), 10);
    TPersistent stranger;
    EXPECT_THROW(copy.CopyFromObject(&stranger), EConvertError);
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
            .Check([&] {
                EXPECT_EQ(PixelAt(form->Handle(), {20, 20}), kFormColour);
            });
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
