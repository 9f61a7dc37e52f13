// Progress of a JPEG image's decode and encode, on a platform clock that moves 100 ms
// each time it is read, so that the library's hook reports as the rows come: the stages
// in order, cancelling with EAbort (the rows decoded so far stay), other failures.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "JPEGImageFiles.h"
#include "codecs/JPEGImage.h"
#include "platform/Backend.h"
#include "platform/Platform.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

using test::Bytes;
using test::ColourPicture;
using test::PixelOf;
using test::ReferenceDecode;
using test::Rgb;
using test::SampleOf;
using test::Samples;
using test::WriteJpeg;

// A backend without windows whose clock moves on by itself.
class TickingBackend final : public platform::Backend {
public:
    void CreateNativeWindow(platform::HWND, const platform::NativeWindowState&) override {}
    void DestroyNativeWindow(platform::HWND) override {}
    void ShowNativeWindow(platform::HWND, bool) override {}
    void SetNativeTitle(platform::HWND, std::string_view) override {}
    void SetNativeGeometry(platform::HWND, const platform::Rect&, platform::Size) override {}
    void SetNativeMenu(platform::HWND, const platform::MenuBar*) override {}
    void EnableNativeWindow(platform::HWND, bool) override {}
    void MinimizeNativeWindow(platform::HWND, bool) override {}
    void ActivateNativeWindow(platform::HWND) override {}
    void SetNativeOwner(platform::HWND, platform::HWND) override {}
    int MenuBarWidth(const platform::MenuBar&) override { return 0; }
    void PresentSurface(platform::HWND, cairo_surface_t*, const platform::Rect&) override {}
    std::uint64_t Now() override { return now_ += 100; }
    void WaitForEvents(std::optional<std::uint64_t>, int) override {}
    void ShowMessageBox(int, const platform::MessageBoxRequest&) override {}
    void CloseMessageBox(int) override {}
    void ShowOpenFileDialog(int, const platform::OpenFileRequest&, const platform::FileDialogState&) override {}
    void RefuseOpenFileChoice(int, const platform::FileDialogRefusal&) override {}
    void CloseOpenFileDialog(int) override {}
    void Beep() override {}
    bool SetClipboardText(std::string_view) override { return false; }
    std::optional<std::string> GetClipboardText() override { return std::nullopt; }
    platform::ScreenMetrics Screen() override { return {}; }

private:
    std::uint64_t now_ = 0;
};

struct Report {
    TObject* sender;
    TProgressStage stage;
    int percent;
    bool redraw;
    TRect rect;
};

// Records every report; raises what it is told to at the chosen one.
class Listener {
public:
    void Progress(TObject* sender, TProgressStage stage, std::uint8_t percent, bool redraw, const TRect& rect,
                  const String& message) {
        EXPECT_TRUE(message.IsEmpty());
        reports.push_back({sender, stage, percent, redraw, rect});
        if (raiseAt && raiseAt(reports.back())) raise();
    }
    void Changed(TObject*) { ++changes; }

    std::vector<Report> reports;
    std::function<bool(const Report&)> raiseAt;
    std::function<void()> raise = [] { Abort(); };
    int changes = 0;
};

class JPEGImageProgress : public ::testing::Test {
protected:
    JPEGImageProgress() {
        platform::InstallBackend(std::make_unique<TickingBackend>());
        image_.SetOnProgress(TProgressEvent(&listener_, &Listener::Progress));
        image_.SetOnChange(TNotifyEvent(&listener_, &Listener::Changed));
    }
    ~JPEGImageProgress() override { platform::RemoveBackend(); }

    Listener listener_;
    TJPEGImage image_;
};

TEST_F(JPEGImageProgress, ADecodeReportsItsStartItsRowsAndItsEnd) {
    test::LoadBytes(image_, WriteJpeg(ColourPicture(64, 200)));
    listener_.changes = 0;
    image_.DecodeToBitmap();

    const std::vector<Report>& reports = listener_.reports;
    ASSERT_GE(reports.size(), 4u);
    EXPECT_EQ(reports.front().stage, progressStarting);
    EXPECT_EQ(reports.front().percent, 0);
    EXPECT_EQ(reports.back().stage, progressEnding);
    EXPECT_EQ(reports.back().percent, 100);
    EXPECT_TRUE(reports.back().redraw);  // the load set PaletteModified
    int lastPercent = 0;
    int lastRow = 0;
    for (std::size_t i = 1; i + 1 < reports.size(); ++i) {
        const Report& report = reports[i];
        EXPECT_EQ(report.sender, &image_);
        EXPECT_EQ(report.stage, progressRunning);
        EXPECT_GT(report.percent, lastPercent);
        EXPECT_EQ(report.rect.Top, lastRow);  // each report covers the rows since the last
        EXPECT_EQ(report.rect.Right, 64);
        EXPECT_EQ(report.redraw, report.rect.Height() >= 4);
        lastPercent = report.percent;
        lastRow = report.rect.Bottom;
    }
    EXPECT_EQ(listener_.changes, 1);
}

TEST_F(JPEGImageProgress, EAbortFromAHandlerKeepsTheRowsDecodedSoFar) {
    const Bytes file = WriteJpeg(ColourPicture(64, 200));
    const Samples expected = ReferenceDecode(file);
    test::LoadBytes(image_, file);
    listener_.raiseAt = [](const Report& report) { return report.stage == progressRunning; };

    TBitmap* bitmap = nullptr;
    ASSERT_NO_THROW(bitmap = &image_.DecodeToBitmap());
    ASSERT_GE(listener_.reports.size(), 3u);
    const Report& cancelled = listener_.reports[1];
    EXPECT_EQ(listener_.reports.back().stage, progressEnding);
    EXPECT_EQ(listener_.reports.back().percent, 0);

    const int decodedRows = cancelled.rect.Bottom;
    ASSERT_GT(decodedRows, 0);
    ASSERT_LT(decodedRows, 200);
    ASSERT_EQ(bitmap->Height(), 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 64; x += 7) {
            if (y < decodedRows)
                ASSERT_EQ(PixelOf(*bitmap, x, y), SampleOf(expected, x, y)) << x << "," << y;
            else
                ASSERT_EQ(PixelOf(*bitmap, x, y), (Rgb{255, 255, 255})) << x << "," << y;  // never written
        }
    }

    // The bitmap is the image's picture from now on: no decode again.
    const std::size_t reports = listener_.reports.size();
    EXPECT_EQ(&image_.DecodeToBitmap(), bitmap);
    EXPECT_EQ(listener_.reports.size(), reports);
}

TEST_F(JPEGImageProgress, EAbortAtTheStartLeavesAnEmptyBitmap) {
    test::LoadBytes(image_, WriteJpeg(ColourPicture(16, 16)));
    listener_.raiseAt = [](const Report& report) { return report.stage == progressStarting; };
    ASSERT_NO_THROW(image_.DecodeToBitmap());
    EXPECT_TRUE(image_.DecodedBitmap()->Empty());
    ASSERT_EQ(listener_.reports.size(), 2u);
    EXPECT_EQ(listener_.reports.back().stage, progressEnding);
}

TEST_F(JPEGImageProgress, AnyOtherFailureOfAHandlerPassesOnAfterTheEndIsReported) {
    test::LoadBytes(image_, WriteJpeg(ColourPicture(64, 200)));
    listener_.raiseAt = [](const Report& report) { return report.stage == progressRunning; };
    listener_.raise = [] { throw EReadError(ResId::StreamRead); };
    EXPECT_THROW(image_.DecodeToBitmap(), EReadError);
    EXPECT_EQ(listener_.reports.back().stage, progressEnding);
    EXPECT_EQ(listener_.reports.back().percent, 0);
}

TEST_F(JPEGImageProgress, AProgressiveRedrawEndsWithTheFinalPicture) {
    DefaultJPEGSettings.ProgressiveRedraw = true;
    TJPEGImage image;
    DefaultJPEGSettings.ProgressiveRedraw = false;
    const Bytes file = WriteJpeg(ColourPicture(48, 40), {.progressive = true});
    const Samples expected = ReferenceDecode(file);
    test::LoadBytes(image, file);

    TBitmap& bitmap = image.DecodeToBitmap();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) ASSERT_EQ(PixelOf(bitmap, x, y), SampleOf(expected, x, y)) << x << "," << y;
}

TEST_F(JPEGImageProgress, AnEncodeReportsItsStartAndEndAndEAbortKeepsNoBytes) {
    TBitmap source;
    source.SetPixelLayout(pl24Bit);
    source.SetWidth(32);
    source.SetHeight(32);
    image_.CopyFromObject(&source);

    TMemoryStream saved;
    image_.SaveStream(saved);
    ASSERT_GE(listener_.reports.size(), 2u);
    EXPECT_EQ(listener_.reports.front().stage, progressStarting);
    EXPECT_EQ(listener_.reports.back().stage, progressEnding);
    EXPECT_EQ(listener_.reports.back().percent, 100);
    EXPECT_GT(saved.Size(), 0);

    TJPEGImage cancelled;
    cancelled.CopyFromObject(&source);
    Listener listener;
    listener.raiseAt = [](const Report& report) { return report.stage == progressStarting; };
    cancelled.SetOnProgress(TProgressEvent(&listener, &Listener::Progress));
    TMemoryStream nothing;
    ASSERT_NO_THROW(cancelled.SaveStream(nothing));
    EXPECT_EQ(nothing.Size(), 0);
    EXPECT_EQ(cancelled.Compressed().Stream(), nullptr);
    EXPECT_EQ(cancelled.Width(), 32);  // the picture stays
}

}  // namespace
}  // namespace orvalis
