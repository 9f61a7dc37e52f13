// TPicture: the graphic it holds and copies, the forced types, the change and progress
// it passes on, the form property "Data" of a picture and of a graphic, the file-format
// and clipboard registries, DrawScaled, and TGraphic's abstract operations.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BitmapTestSupport.h"
#include "classes/ClassBuilder.h"
#include "graphics/Bitmap.h"
#include "graphics/ClipboardFormats.h"
#include "graphics/FileFormats.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "runtime/Exceptions.h"
#include "tests/support/StoredData.h"

namespace orvalis {

// A graphic of another format, as the JPEG image is to the picture.
class TSampleGraphic : public TGraphic {
    ORVALIS_TYPE_INFO(TSampleGraphic)

    TSampleGraphic() = default;
    void CopyFromObject(TPersistent* source) override {
        if (auto* sample = dynamic_cast<TSampleGraphic*>(source))
            value = sample->value;
        else
            TGraphic::CopyFromObject(source);
    }
    void Draw(TCanvas&, const TRect& rect) override { drawnInto = rect; }
    bool Empty() const override { return value == 0; }
    std::int32_t Width() const override { return value; }
    std::int32_t Height() const override { return 2 * value; }
    void LoadStream(TStream& stream) override { stream.ReadBuffer(&value, sizeof value); }
    void SaveStream(TStream& stream) override { stream.WriteBuffer(&value, sizeof value); }
    void ReportProgress() { Progress(this, progressRunning, 42, true, {1, 2, 3, 4}, "mi-chemin"); }

    std::int32_t value = 0;
    TRect drawnInto;
};

class TSampleGraphicChild : public TSampleGraphic {
    ORVALIS_TYPE_INFO(TSampleGraphicChild)
};

const TClassInfo& TSampleGraphic::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TSampleGraphic, TGraphic>("TSampleGraphic");
    return info;
}

const TClassInfo& TSampleGraphicChild::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TSampleGraphicChild, TSampleGraphic>("TSampleGraphicChild");
    return info;
}

namespace {

using test::Bitmap32;
using test::HasDataToWrite;
using test::Pixels;
using test::ReadStoredData;
using test::StoredData;
using Rows = std::vector<std::vector<std::uint32_t>>;

struct Listener {
    int changes = 0;
    int notices = 0;
    TObject* sender = nullptr;
    TProgressStage stage = progressStarting;
    std::uint8_t percent = 0;
    bool redraw = false;
    TRect rect;
    String message;

    void Changed(TObject* from) {
        ++changes;
        sender = from;
    }
    void Progress(TObject* from, TProgressStage s, std::uint8_t p, bool r, const TRect& area, const String& m) {
        sender = from, stage = s, percent = p, redraw = r, rect = area, message = m;
    }
};

struct Notifier : IChangeNotifier {
    Listener* listener = nullptr;
    int calls = 0;
    int changesSeenFirst = 0;
    void Changed() override {
        ++calls;
        changesSeenFirst = listener->changes;
    }
};

TEST(Picture, ANewPictureHoldsNothingAndHasNoSize) {
    TPicture picture;
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
}

TEST(Picture, ABitmapGivenIsSharedAndItsLaterChangesAreNotSeen) {
    auto bitmap = Bitmap32({{0x111111, 0x222222}});
    TPicture picture;
    picture.CopyFromObject(bitmap.get());
    auto* held = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(held, nullptr);
    EXPECT_NE(held, bitmap.get());
    EXPECT_EQ(&held->ImageRecord(), &bitmap->ImageRecord());
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.Height(), 1);

    reinterpret_cast<std::uint32_t*>(bitmap->RowPointer(0))[0] = 0x999999;
    EXPECT_EQ(Pixels(*held), (Rows{{0x111111, 0x222222}}));
}

TEST(Picture, CopyingNothingDestroysTheGraphicWithOneChange) {
    TPicture picture;
    auto bitmap = Bitmap32({{1}});
    picture.CopyFromObject(bitmap.get());
    Listener listener;
    picture.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
    picture.CopyFromObject(nullptr);
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(listener.sender, &picture);
}

TEST(Picture, CopiesAreOfTheSourcesExactClass) {
    TPicture source;
    TSampleGraphicChild child;
    child.value = 7;
    source.CopyFromObject(&child);
    EXPECT_EQ(&source.Graphic()->ClassInfo(), &TSampleGraphicChild::StaticClassInfo());

    TPicture copy;
    copy.CopyFromObject(&source);
    ASSERT_NE(copy.Graphic(), nullptr);
    EXPECT_NE(copy.Graphic(), source.Graphic());
    EXPECT_EQ(&copy.Graphic()->ClassInfo(), &TSampleGraphicChild::StaticClassInfo());
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_EQ(copy.Height(), 14);
}

TEST(Picture, WhatNeitherSideKnowsIsTheAssignErrorAndChangesNothing) {
    TPicture picture;
    TSampleGraphic sample;
    sample.value = 3;
    picture.CopyFromObject(&sample);
    TGraphic* held = picture.Graphic();
    TPersistent stranger;
    try {
        picture.CopyFromObject(&stranger);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Impossible d'affecter TPersistent à TPicture");
    }
    EXPECT_EQ(picture.Graphic(), held);

    // Into a bitmap: only a picture that holds a bitmap can be copied.
    TBitmap bitmap;
    try {
        bitmap.CopyFromObject(&picture);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Impossible d'affecter TPicture à TBitmap");
    }
    auto source = Bitmap32({{0x0A0B0C}});
    picture.CopyFromObject(source.get());
    bitmap.CopyFromObject(&picture);
    EXPECT_EQ(&bitmap.ImageRecord(), &source->ImageRecord());
}

// Icons and metafiles hold no picture here, but a picture can be given one, and one
// picture can be copied into another, like any graphic.
TEST(Picture, IconsAndMetafilesAreCopiedLikeOtherGraphics) {
    TIcon icon;
    TMetafile metafile;
    metafile.SetTransparent(true);
    for (TGraphic* source : std::initializer_list<TGraphic*>{&icon, &metafile}) {
        SCOPED_TRACE(source->ClassName());
        TPicture picture;
        Listener listener;
        picture.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
        picture.CopyFromObject(source);
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_NE(picture.Graphic(), source);
        EXPECT_EQ(&picture.Graphic()->ClassInfo(), &source->ClassInfo());
        EXPECT_EQ(picture.Graphic()->Transparent(), source->Transparent());
        EXPECT_TRUE(picture.Graphic()->Empty());
        EXPECT_EQ(listener.changes, 1);

        TPicture copy;
        copy.CopyFromObject(&picture);
        ASSERT_NE(copy.Graphic(), nullptr);
        EXPECT_EQ(&copy.Graphic()->ClassInfo(), &source->ClassInfo());
        EXPECT_EQ(copy.Graphic()->Transparent(), source->Transparent());

        // Back out of the picture into a graphic of the class, and a change of the copy
        // is announced once.
        std::unique_ptr<TPersistent> out = source->ClassInfo().Create();
        auto* graphic = dynamic_cast<TGraphic*>(out.get());
        Listener outListener;
        graphic->SetOnChange(TNotifyEvent(&outListener, &Listener::Changed));
        graphic->CopyFromObject(&copy);
        EXPECT_EQ(graphic->Transparent(), source->Transparent());
        EXPECT_EQ(outListener.changes, 1);
        graphic->CopyFromObject(nullptr);
        EXPECT_EQ(outListener.changes, 2);
    }

    // Between the two classes, and from a bitmap, nothing is known: the assign error.
    try {
        metafile.CopyFromObject(&icon);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Impossible d'affecter TIcon à TMetafile");
    }
    TBitmap bitmap;
    EXPECT_THROW(icon.CopyFromObject(&bitmap), EConvertError);
}

TEST(Picture, ForcingABitmapReplacesAnotherGraphicOnce) {
    TPicture picture;
    TSampleGraphic sample;
    sample.value = 4;
    picture.CopyFromObject(&sample);
    Listener listener;
    picture.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));

    TBitmap& bitmap = picture.Bitmap();
    EXPECT_EQ(picture.Graphic(), &bitmap);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(listener.changes, 1);
    EXPECT_EQ(&picture.Bitmap(), &bitmap);
    EXPECT_EQ(listener.changes, 1);

    TIcon& icon = picture.Icon();
    EXPECT_EQ(picture.Graphic(), &icon);
    EXPECT_EQ(listener.changes, 2);
}

TEST(Picture, TheGraphicsChangesAndProgressArePassedOn) {
    TPicture picture;
    Listener listener;
    Notifier notifier;
    notifier.listener = &listener;
    picture.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
    picture.SetOnProgress(TProgressEvent(&listener, &Listener::Progress));
    picture.SetNotifier(&notifier);

    picture.Bitmap().SetWidth(3);
    EXPECT_EQ(listener.changes, 2);  // the new bitmap, then its width
    EXPECT_EQ(listener.sender, &picture);
    EXPECT_EQ(notifier.calls, 2);
    EXPECT_EQ(notifier.changesSeenFirst, 2);

    TSampleGraphic sample;
    picture.CopyFromObject(&sample);
    static_cast<TSampleGraphic*>(picture.Graphic())->ReportProgress();
    EXPECT_EQ(listener.sender, picture.Graphic());
    EXPECT_EQ(listener.stage, progressRunning);
    EXPECT_EQ(listener.percent, 42);
    EXPECT_TRUE(listener.redraw);
    EXPECT_EQ(listener.rect, (TRect{1, 2, 3, 4}));
    EXPECT_EQ(listener.message, "mi-chemin");
}

TEST(Picture, StreamsGoThroughABitmap) {
    auto bitmap = Bitmap32({{0x102030}});
    TMemoryStream stream;
    bitmap->SaveStream(stream);
    stream.SetPosition(0);
    TPicture picture;
    TSampleGraphic sample;
    sample.value = 1;
    picture.CopyFromObject(&sample);
    picture.LoadStream(stream);
    auto* read = dynamic_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(Pixels(*read), (Rows{{0x102030}}));
    TMemoryStream saved;
    picture.SaveStream(saved);
    EXPECT_EQ(saved.Size(), stream.Size());
}

TEST(PictureData, IsTheClassNameThenTheGraphicsStoredData) {
    TPicture picture;
    EXPECT_FALSE(HasDataToWrite(picture, nullptr));
    EXPECT_EQ(StoredData(picture), (std::vector<std::uint8_t>{0}));

    auto bitmap = Bitmap32({{0x445566}});
    picture.CopyFromObject(bitmap.get());
    EXPECT_TRUE(HasDataToWrite(picture, nullptr));
    const std::vector<std::uint8_t> data = StoredData(picture);
    ASSERT_GT(data.size(), 12u);
    EXPECT_EQ(data[0], 7);
    EXPECT_EQ(std::string(data.begin() + 1, data.begin() + 8), "TBitmap");
    std::uint32_t length = 0;
    std::memcpy(&length, &data[8], 4);
    EXPECT_EQ(length, data.size() - 12);
    EXPECT_EQ(data[12], 'B');

    TPicture read;
    Listener listener;
    read.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
    ReadStoredData(read, data);
    EXPECT_EQ(listener.changes, 1);
    auto* readBitmap = dynamic_cast<TBitmap*>(read.Graphic());
    ASSERT_NE(readBitmap, nullptr);
    EXPECT_EQ(Pixels(*readBitmap), (Rows{{0x445566}}));
}

TEST(PictureData, AClassThatIsNotRegisteredReadsAsNoGraphic) {
    TPicture picture;
    picture.CopyFromObject(Bitmap32({{1}}).get());
    std::vector<std::uint8_t> data = StoredData(picture);
    data[1] = 't';  // "tBitmap": names are compared with their letter case
    Listener listener;
    picture.SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
    ReadStoredData(picture, data);
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(listener.changes, 1);
}

TEST(PictureData, IsWrittenWhenItDiffersFromTheAncestors) {
    auto bitmap = Bitmap32({{1, 2}});
    TPicture picture;
    picture.CopyFromObject(bitmap.get());
    TPicture same;
    same.CopyFromObject(bitmap.get());
    TPicture other;
    other.CopyFromObject(Bitmap32({{1, 3}}).get());
    TPicture empty;
    TPersistent stranger;

    EXPECT_FALSE(HasDataToWrite(picture, &same));
    EXPECT_TRUE(HasDataToWrite(picture, &other));
    EXPECT_TRUE(HasDataToWrite(picture, &empty));
    EXPECT_TRUE(HasDataToWrite(picture, &stranger));
    EXPECT_FALSE(HasDataToWrite(empty, &empty));
    EXPECT_TRUE(HasDataToWrite(empty, &picture));
}

TEST(GraphicData, IsWrittenForANonEmptyGraphicOrOneThatDiffersFromTheAncestor) {
    auto bitmap = Bitmap32({{1}});
    auto same = Bitmap32({{1}});
    auto other = Bitmap32({{2}});
    TBitmap empty;
    TPersistent stranger;
    EXPECT_TRUE(HasDataToWrite(*bitmap, nullptr));
    EXPECT_FALSE(HasDataToWrite(empty, nullptr));
    EXPECT_FALSE(HasDataToWrite(*bitmap, same.get()));
    EXPECT_TRUE(HasDataToWrite(*bitmap, other.get()));
    EXPECT_TRUE(HasDataToWrite(empty, &stranger));
    EXPECT_EQ(StoredData(empty), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(Registries, HoldTheGraphicsLayersFormatsInOrder) {
    TPicture picture;  // makes them
    TFileFormatsList& formats = FileFormats();
    ASSERT_GE(formats.Count(), 4u);
    const struct {
        const char* extension;
        const char* description;
        const TClassInfo& graphicClass;
    } expected[] = {
        {"wmf", "Métafichiers", TMetafile::StaticClassInfo()},
        {"emf", "Métafichiers évolués", TMetafile::StaticClassInfo()},
        {"ico", "Icônes", TIcon::StaticClassInfo()},
        {"bmp", "Bitmaps", TBitmap::StaticClassInfo()},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(formats.Entry(i).extension, expected[i].extension);
        EXPECT_EQ(formats.Entry(i).description, expected[i].description);
        EXPECT_EQ(formats.Entry(i).graphicClass, &expected[i].graphicClass);
        EXPECT_EQ(formats.Entry(i).descriptionResId, 0);
    }
    TClipboardFormats& clipboard = ClipboardFormats();
    ASSERT_GE(clipboard.Count(), 3u);
    EXPECT_EQ(clipboard.Format(0), 3);
    EXPECT_EQ(&clipboard.GraphicClass(0), &TMetafile::StaticClassInfo());
    EXPECT_EQ(clipboard.Format(1), 14);
    EXPECT_EQ(&clipboard.GraphicClass(1), &TMetafile::StaticClassInfo());
    EXPECT_EQ(clipboard.Format(2), CF_BITMAP);
    EXPECT_EQ(&clipboard.GraphicClass(2), &TBitmap::StaticClassInfo());
}

TEST(Registries, LookUpByExactClassNameAndRemoveAClassWithItsDescendants) {
    TFileFormatsList& formats = FileFormats();
    EXPECT_EQ(formats.LookUpClassByName("TBitmap"), &TBitmap::StaticClassInfo());
    EXPECT_EQ(formats.LookUpClassByName("tbitmap"), nullptr);
    EXPECT_EQ(formats.LookUpClassByName("TBitmaps"), nullptr);

    const std::size_t before = formats.Count();
    TPicture::AddFileFormat("SMP", "Échantillon", TSampleGraphic::StaticClassInfo());
    TPicture::AddFileFormat("smc", "Échantillon dérivé", TSampleGraphicChild::StaticClassInfo());
    ClipboardFormats().Add(0xC001, TSampleGraphicChild::StaticClassInfo());
    EXPECT_EQ(formats.Entry(before).extension, "smp");
    EXPECT_EQ(formats.LookUpClassByName("TSampleGraphicChild"), &TSampleGraphicChild::StaticClassInfo());

    TPicture::RemoveGraphicClass(TSampleGraphic::StaticClassInfo());
    EXPECT_EQ(formats.Count(), before);
    EXPECT_EQ(formats.LookUpClassByName("TSampleGraphic"), nullptr);
    EXPECT_EQ(formats.LookUpClassByName("TSampleGraphicChild"), nullptr);
    EXPECT_EQ(ClipboardFormats().Count(), 3u);
    EXPECT_EQ(formats.LookUpClassByName("TBitmap"), &TBitmap::StaticClassInfo());
}

TEST(DrawScaled, DrawsAGraphicBetweenTheAnnouncementsOfTheCanvas) {
    test::SurfaceTarget target(2, 2);
    Listener listener;
    target.Canvas().SetOnChange(TNotifyEvent(&listener, &Listener::Changed));
    DrawScaled(target.Canvas(), {0, 0, 2, 2}, nullptr);
    EXPECT_EQ(listener.changes, 0);

    TSampleGraphic sample;
    DrawScaled(target.Canvas(), {0, 0, 2, 1}, &sample);
    EXPECT_EQ(sample.drawnInto, (TRect{0, 0, 2, 1}));
    EXPECT_EQ(listener.changes, 1);

    auto bitmap = Bitmap32({{0x00FF00}});
    DrawScaled(target.Canvas(), {0, 0, 2, 2}, bitmap.get());
    EXPECT_EQ(target.Pixel(1, 1), 0x00FF00u);

    TCanvas unbound;
    try {
        DrawScaled(unbound, {0, 0, 1, 1}, &sample);
        FAIL();
    } catch (const EInvalidOperation& error) {
        EXPECT_STREQ(error.what(), "Le canevas ne permet pas de dessiner");
    }
}

TEST(Graphic, AbstractOperationsRaiseTheAbstractError) {
    TGraphic graphic;
    EXPECT_EQ(graphic.Palette(), nullptr);
    EXPECT_FALSE(graphic.Transparent());
    graphic.SetTransparent(true);
    EXPECT_TRUE(graphic.Transparent());
    EXPECT_TRUE(graphic.ChangedFlag());
    try {
        graphic.Width();
        FAIL();
    } catch (const EAbstractError& error) {
        EXPECT_STREQ(error.what(), "Erreur abstraite");
    }
    TMemoryStream stream;
    EXPECT_THROW(graphic.Empty(), EAbstractError);
    EXPECT_THROW(graphic.SetHeight(1), EAbstractError);
    EXPECT_THROW(graphic.SaveStream(stream), EAbstractError);
    EXPECT_THROW(graphic.ReadStoredData(stream), EAbstractError);  // through LoadStream
    EXPECT_THROW(graphic.SaveClipboardData(), EAbstractError);
    TIcon icon;
    EXPECT_TRUE(icon.Empty());
    EXPECT_THROW(icon.LoadStream(stream), EAbstractError);
}

}  // namespace
}  // namespace orvalis
