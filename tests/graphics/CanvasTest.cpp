// The canvas on cairo image surfaces: the system colour table, text measured with the
// fixed font set-up, the drawing operations read back pixel by pixel, copies between
// canvases, the change announcements, the context made on demand, and the lock.

#include <cairo.h>
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "graphics/Canvas.h"
#include "graphics/SystemColours.h"
#include "runtime/Exceptions.h"

namespace orvalis {
namespace {

// A canvas bound to an image surface of its own when it first needs a context, as a
// bitmap's canvas binds to its image.
class SurfaceCanvas : public TCanvas {
public:
    SurfaceCanvas(int width, int height) : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)) {
        cairo_t* context = cairo_create(surface_);
        cairo_set_source_rgb(context, 1, 1, 1);
        cairo_paint(context);
        cairo_destroy(context);
    }
    ~SurfaceCanvas() override {
        FreeHandle();
        cairo_surface_destroy(surface_);
    }

    // 0x00RRGGBB, as the surface stores it.
    std::uint32_t Pixel(int x, int y) {
        cairo_surface_flush(surface_);
        const unsigned char* row =
            cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
        return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
    }
    // The pixels of row y from x0 to x1 (excluded) that are not white.
    std::vector<int> InkedColumns(int y, int x0, int x1) {
        std::vector<int> inked;
        for (int x = x0; x < x1; ++x)
            if (Pixel(x, y) != 0xFFFFFF) inked.push_back(x);
        return inked;
    }
    int handlesMade = 0;

protected:
    void CreateHandle() override {
        ++handlesMade;
        cairo_t* context = cairo_create(surface_);
        SetHandle(context);
        cairo_destroy(context);
    }

private:
    cairo_surface_t* surface_;
};

TEST(SystemColours, ResolvesTheTableAndLeavesExplicitColoursAlone) {
    struct Case {
        TColor color;
        TColor rgb;
    };
    const Case cases[] = {
        {clBtnFace, 0xF0F0F0},        {clWindowText, 0x000000}, {clWindow, 0xFFFFFF},   {clHighlight, 0xD77800},
        {clInfoBk, 0xE1FFFF},         {clBtnShadow, 0xA0A0A0},  {clGrayText, 0x6D6D6D}, {clRed, clRed},
        {0x123456, 0x123456},         {clNone, clNone},         {clDefault, clDefault}, {SystemColour(25), clBlack},
        {SystemColour(200), clBlack},
    };
    for (const Case& c : cases) EXPECT_EQ(ColourToRGB(c.color), c.rgb) << std::hex << c.color;
    EXPECT_EQ(RedOf(0x00332211), 0x11);
    EXPECT_EQ(GreenOf(0x00332211), 0x22);
    EXPECT_EQ(BlueOf(0x00332211), 0x33);
}

TEST(Font, SizeAndHeightAreTheSameMeasureAt96PixelsPerInch) {
    TFont font;
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.SetSize(12);
    EXPECT_EQ(font.Height(), -16);
    font.SetHeight(-13);
    EXPECT_EQ(font.Size(), 10);
}

TEST(Font, CopyingAnotherFontAnnouncesOneChange) {
    struct Counter : TObject {
        void Count(TObject*) { ++changes; }
        int changes = 0;
    } counter;
    TFont source;
    source.SetName("Courier New");
    source.SetStyle(FontStyleBit(fsBold) | FontStyleBit(fsItalic));
    source.SetColor(clRed);
    TFont font;
    font.SetOnChange(TNotifyEvent(&counter, &Counter::Count));
    font.CopyFromObject(&source);
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(font.Name(), "Courier New");
    EXPECT_TRUE(font.HasStyle(fsItalic));
    EXPECT_EQ(font.Color(), clRed);
    font.SetColor(clRed);  // no change, no announcement
    EXPECT_EQ(counter.changes, 1);
}

TEST(Font, TheFormsFontIsCondensedAndNamesTheMachineMayLackAreDrawnInDejaVuSans) {
    TFont font;
    EXPECT_EQ(FontFamilyFor(font), "DejaVu Sans Condensed") << "MS Sans Serif";
    font.SetName("ms sans serif");
    EXPECT_EQ(FontFamilyFor(font), "DejaVu Sans Condensed");
    font.SetName("Arial Narrow Special");
    EXPECT_EQ(FontFamilyFor(font), "DejaVu Sans");
    font.SetPitch(fpFixed);
    EXPECT_EQ(FontFamilyFor(font), "DejaVu Sans Mono");
    font.SetName("times new roman");
    EXPECT_EQ(FontFamilyFor(font), "DejaVu Serif");
}

TEST(CanvasText, MeasuresTheFormsFontTheSameEverywhere) {
    SurfaceCanvas canvas(10, 10);
    canvas.Font().SetHeight(-11);
    // DejaVu Sans Condensed at 11 pixels: ascent plus descent make 13 pixels, the text
    // height the forms were designed with, and the options dialog's label, 8 pixels from
    // the edge, ends before its edit box at 128.
    EXPECT_EQ(canvas.TextHeight("Ag"), 13);
    EXPECT_EQ(canvas.TextExtent("Délai entre chaque vue"), (TSize{114, 13}));
    EXPECT_LE(8 + canvas.TextWidth("Délai entre chaque vue"), 128);
    EXPECT_EQ(canvas.TextWidth("Orvalis"), 35);
    EXPECT_EQ(canvas.TextWidth(""), 0);
    const std::int32_t plain = canvas.TextWidth("Orvalis");
    canvas.Font().SetName("DejaVu Sans Condensed");
    EXPECT_EQ(canvas.TextWidth("Orvalis"), plain) << "MS Sans Serif is DejaVu Sans Condensed";
    // DejaVu Sans has the same height but would run the label into the edit box.
    canvas.Font().SetName("DejaVu Sans");
    EXPECT_EQ(canvas.TextExtent("Délai entre chaque vue"), (TSize{128, 13}));
    canvas.Font().SetName("MS Sans Serif");
    canvas.Font().SetStyle(FontStyleBit(fsBold));
    EXPECT_GT(canvas.TextWidth("Orvalis"), plain) << "a font change reaches the next measure";
    canvas.Font().SetStyle(0);
    canvas.Font().SetHeight(-22);
    EXPECT_EQ(canvas.TextHeight("Ag"), 26);
    // A positive height is the cell: 13 pixels of cell is the 11-pixel font.
    canvas.Font().SetHeight(13);
    EXPECT_EQ(canvas.TextHeight("Ag"), 13);
    EXPECT_EQ(canvas.TextWidth("Orvalis"), plain);
}

TEST(CanvasText, DrawTextWrapsMeasuresAndTakesPrefixes) {
    SurfaceCanvas canvas(200, 100);
    const std::int32_t line = canvas.TextHeight("A");
    TRect rect{0, 0, 50, 0};
    // "un deux" is 39 pixels wide, "trois quatre" 57: three lines in 50.
    EXPECT_EQ(canvas.DrawText("un deux trois quatre", rect, DT_CALCRECT | DT_WORDBREAK), 3 * line);
    EXPECT_EQ(rect.Bottom, 3 * line);
    EXPECT_LE(rect.Right, 50);
    EXPECT_GT(rect.Right, 30);

    rect = {0, 0, 60, 0};
    canvas.DrawText("un deux trois quatre", rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.Right, canvas.TextWidth("un deux trois quatre"));
    EXPECT_EQ(rect.Bottom, line);

    rect = {0, 0, 200, 0};
    EXPECT_EQ(canvas.DrawText("ligne 1\nligne 2", rect, DT_CALCRECT), 2 * line);
    rect = {0, 0, 200, 0};
    EXPECT_EQ(canvas.DrawText("ligne 1\nligne 2", rect, DT_CALCRECT | DT_SINGLELINE), line);

    rect = {0, 0, 200, 0};
    canvas.DrawText("&Fichier", rect, DT_CALCRECT);
    EXPECT_EQ(rect.Right, canvas.TextWidth("Fichier"));
    rect = {0, 0, 200, 0};
    canvas.DrawText("&Fichier", rect, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(rect.Right, canvas.TextWidth("&Fichier"));
    rect = {0, 0, 200, 0};
    canvas.DrawText("A && B", rect, DT_CALCRECT);
    EXPECT_EQ(rect.Right, canvas.TextWidth("A & B"));

    rect = {0, 0, 200, 0};
    canvas.DrawText("a\tb", rect, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_GT(rect.Right, canvas.TextWidth("a b") + 20) << "a tab stop lies 8 average characters on";
}

TEST(CanvasText, DrawTextPlacesTheTextInsideItsRectangleOnly) {
    SurfaceCanvas canvas(200, 40);
    canvas.Font().SetColor(clBlack);
    TRect rect{100, 0, 200, 40};
    canvas.DrawText("Centre", rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    std::vector<int> inked;
    for (int y = 0; y < 40; ++y)
        for (int x : canvas.InkedColumns(y, 0, 200)) inked.push_back(x);
    ASSERT_FALSE(inked.empty());
    const int width = canvas.TextWidth("Centre");
    EXPECT_GE(*std::min_element(inked.begin(), inked.end()), 100 + (100 - width) / 2 - 1);
    EXPECT_LE(*std::max_element(inked.begin(), inked.end()), 100 + (100 + width) / 2);

    // Clipped to the rectangle unless told otherwise.
    SurfaceCanvas clipped(200, 40);
    TRect narrow{0, 0, 10, 40};
    clipped.DrawText("Une longue phrase", narrow, DT_SINGLELINE);
    EXPECT_TRUE(clipped.InkedColumns(8, 10, 200).empty());
    clipped.DrawText("Une longue phrase", narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_FALSE(clipped.InkedColumns(8, 10, 200).empty());
}

TEST(CanvasText, TextOutPaintsTheBrushBehindTheTextUnlessItIsClear) {
    SurfaceCanvas canvas(100, 40);
    canvas.Brush().SetColor(clBtnFace);
    canvas.TextOut(2, 3, "Ag");
    EXPECT_EQ(canvas.Pixel(2, 3), 0xF0F0F0u) << "the top-left corner of the text cell";
    EXPECT_EQ(canvas.Pixel(1, 3), 0xFFFFFFu);
    EXPECT_EQ(canvas.PenPos(), (TPoint{2 + canvas.TextWidth("Ag"), 3}));
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(2, 20, "Ag");
    EXPECT_EQ(canvas.Pixel(2, 20), 0xFFFFFFu);
}

TEST(CanvasShapes, FillsAndOutlinesHitExactPixels) {
    SurfaceCanvas canvas(20, 20);
    canvas.Brush().SetColor(clRed);
    canvas.FillRect({2, 2, 5, 4});
    EXPECT_EQ(canvas.Pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(4, 3), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(5, 3), 0xFFFFFFu) << "right edge excluded";
    EXPECT_EQ(canvas.Pixel(4, 4), 0xFFFFFFu) << "bottom edge excluded";

    canvas.Brush().SetColor(clBlue);
    canvas.Pen().SetColor(clLime);
    canvas.Rectangle(8, 8, 14, 12);
    EXPECT_EQ(canvas.Pixel(8, 8), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(13, 11), 0x00FF00u) << "the outline lies inside the rectangle";
    EXPECT_EQ(canvas.Pixel(14, 11), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(10, 10), 0x0000FFu) << "the inside takes the brush";

    canvas.Pen().SetColor(clBlack);
    canvas.MoveTo(0, 18);
    canvas.LineTo(6, 18);
    EXPECT_EQ(canvas.InkedColumns(18, 0, 20), (std::vector<int>{0, 1, 2, 3, 4, 5})) << "end point excluded";
    EXPECT_EQ(canvas.PenPos(), (TPoint{6, 18}));
    canvas.LineTo(3, 18);  // back over 6, 5 and 4
    EXPECT_EQ(canvas.InkedColumns(18, 0, 20), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    canvas.MoveTo(10, 0);
    canvas.LineTo(10, 3);
    EXPECT_EQ(canvas.Pixel(10, 2), 0x000000u);
    EXPECT_EQ(canvas.Pixel(10, 3), 0xFFFFFFu);

    SurfaceCanvas framed(10, 10);
    framed.Brush().SetColor(clBlack);
    framed.FrameRect({1, 1, 5, 5});
    EXPECT_EQ(framed.InkedColumns(1, 0, 10), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(framed.InkedColumns(2, 0, 10), (std::vector<int>{1, 4}));
    EXPECT_EQ(framed.InkedColumns(4, 0, 10), (std::vector<int>{1, 2, 3, 4}));
}

TEST(CanvasShapes, ClearToolsDrawNothingAndTheFocusFrameUndoesItself) {
    SurfaceCanvas canvas(20, 20);
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetStyle(psClear);
    canvas.Rectangle(0, 0, 20, 20);
    canvas.Ellipse(0, 0, 20, 20);
    const TPoint triangle[] = {{0, 0}, {19, 0}, {0, 19}};
    canvas.Polygon(triangle);
    for (int y = 0; y < 20; ++y) EXPECT_TRUE(canvas.InkedColumns(y, 0, 20).empty()) << y;

    canvas.DrawFocusRect({2, 2, 10, 10});
    EXPECT_EQ(canvas.Pixel(2, 2), 0x000000u);
    EXPECT_EQ(canvas.Pixel(3, 2), 0xFFFFFFu) << "dotted";
    EXPECT_EQ(canvas.Pixel(5, 5), 0xFFFFFFu);
    canvas.DrawFocusRect({2, 2, 10, 10});
    for (int y = 0; y < 20; ++y) EXPECT_TRUE(canvas.InkedColumns(y, 0, 20).empty()) << y;

    canvas.Brush().SetColor(clRed);  // a colour makes a clear brush solid again
    canvas.Polygon(triangle);
    EXPECT_EQ(canvas.Pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(18, 18), 0xFFFFFFu);
}

TEST(CanvasCopies, CopiesScalesAndMirrorsRectanglesOfAnotherCanvas) {
    SurfaceCanvas source(4, 2);
    source.Brush().SetColor(clRed);
    source.FillRect({0, 0, 1, 2});
    source.Brush().SetColor(clBlue);
    source.FillRect({3, 0, 4, 2});

    SurfaceCanvas dest(16, 8);
    EXPECT_EQ(dest.CopyMode(), cmSrcCopy);
    dest.CopyRect({0, 0, 8, 4}, source, {0, 0, 4, 2});
    EXPECT_EQ(dest.Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(dest.Pixel(1, 3), 0xFF0000u) << "scaled by two";
    EXPECT_EQ(dest.Pixel(2, 0), 0xFFFFFFu);
    EXPECT_EQ(dest.Pixel(7, 3), 0x0000FFu);
    EXPECT_EQ(dest.Pixel(8, 0), 0xFFFFFFu) << "nothing outside the destination";

    dest.CopyRect({8, 4, 12, 6}, source, {4, 0, 0, 2});
    EXPECT_EQ(dest.Pixel(8, 4), 0x0000FFu) << "mirrored";
    EXPECT_EQ(dest.Pixel(11, 5), 0xFF0000u);

    // Within one canvas, overlapping parts copy what was there before.
    dest.CopyRect({1, 0, 9, 4}, dest, {0, 0, 8, 4});
    EXPECT_EQ(dest.Pixel(1, 0), 0xFF0000u);
    EXPECT_EQ(dest.Pixel(2, 0), 0xFF0000u);
    EXPECT_EQ(dest.Pixel(3, 0), 0xFFFFFFu);
    EXPECT_EQ(dest.Pixel(8, 0), 0x0000FFu);

    dest.SetCopyMode(cmBlackness);
    dest.CopyRect({0, 7, 2, 8}, source, {0, 0, 1, 1});
    EXPECT_EQ(dest.Pixel(1, 7), 0x000000u);
    dest.SetCopyMode(cmDstInvert);
    dest.CopyRect({0, 7, 2, 8}, source, {0, 0, 1, 1});
    EXPECT_EQ(dest.Pixel(1, 7), 0xFFFFFFu);
}

TEST(CanvasContext, IsMadeOnDemandAndEachDrawingIsAnnounced) {
    struct Log : TObject {
        void Changing(TObject*) { events += "<"; }
        void Changed(TObject*) { events += ">"; }
        std::string events;
    } log;
    SurfaceCanvas canvas(10, 10);
    EXPECT_FALSE(canvas.HandleAllocated());
    canvas.SetOnChanging(TNotifyEvent(&log, &Log::Changing));
    canvas.SetOnChange(TNotifyEvent(&log, &Log::Changed));
    canvas.FillRect({0, 0, 1, 1});
    canvas.TextOut(0, 0, "x");
    canvas.MoveTo(0, 0);
    canvas.LineTo(3, 3);
    EXPECT_EQ(log.events, "<><><>");
    EXPECT_EQ(canvas.handlesMade, 1);
    canvas.FreeHandle();
    EXPECT_FALSE(canvas.HandleAllocated());
    canvas.TextWidth("x");
    EXPECT_EQ(canvas.handlesMade, 2);
    EXPECT_EQ(log.events, "<><><>") << "measuring draws nothing";
}

TEST(CanvasContext, ACanvasWithoutATargetCannotDraw) {
    TCanvas canvas;
    try {
        canvas.FillRect({0, 0, 1, 1});
        FAIL() << "drew without a context";
    } catch (const EInvalidOperation& error) {
        EXPECT_EQ(error.Message(), "Le canevas ne permet pas de dessiner");
    }
    EXPECT_THROW(canvas.TextWidth("x"), EInvalidOperation);

    // A context handed over is used, and kept alive by the canvas.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
    cairo_t* context = cairo_create(surface);
    canvas.SetHandle(context);
    cairo_destroy(context);
    canvas.Brush().SetColor(clLime);
    canvas.FillRect({0, 0, 4, 4});
    cairo_surface_flush(surface);
    EXPECT_EQ(*reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface)) & 0xFFFFFF, 0x00FF00u);
    canvas.SetHandle(nullptr);
    cairo_surface_destroy(surface);
}

TEST(CanvasContext, TheLockKeepsOtherThreadsOut) {
    TCanvas canvas;
    canvas.Lock();
    canvas.Lock();
    EXPECT_EQ(canvas.LockCount(), 2);
    EXPECT_FALSE(std::async(std::launch::async, [&] { return canvas.TryLock(); }).get());
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_TRUE(std::async(std::launch::async, [&] {
                    const bool locked = canvas.TryLock();
                    if (locked) canvas.Unlock();
                    return locked;
                }).get());
    EXPECT_EQ(canvas.LockCount(), 0);
}

}  // namespace
}  // namespace orvalis
