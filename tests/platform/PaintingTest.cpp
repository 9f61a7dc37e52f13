#include "platform/Painting.h"
#include "platform/headless/Inspection.h"
#include "tests/platform/PlatformFixture.h"

namespace orvalis::platform::testing {
namespace {

constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kYellow = 0xFFFF00;

// Each window paints its whole client area (and far beyond) in its own colour.
class PaintingTest : public PlatformTest {
protected:
    PaintingTest() {
        recorder.handlers[WM_PAINT] = [this](HWND window, WPARAM, LPARAM) {
            PaintStruct paint;
            cairo_t* context = BeginPaint(window, paint);
            painted.emplace_back(window, paint.paint);
            std::uint32_t colour = colours[window];
            cairo_set_source_rgb(context, ((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                                 (colour & 0xFF) / 255.0);
            cairo_rectangle(context, -500, -500, 1000, 1000);
            cairo_fill(context);
            EndPaint(window, paint);
            return 0;
        };
        form = TopLevel({0, 0, 100, 100}, WS_POPUP);
        colours[form] = kBlue;
        back = Child(form, {10, 10, 60, 60});
        colours[back] = kRed;
        front = Child(form, {40, 40, 80, 80});  // in front of back, overlapping it
        colours[front] = kGreen;
        ShowWindow(form, SW_SHOW);
        Drain();
    }

    HWND form, back, front;
    std::map<HWND, std::uint32_t> colours;
    std::vector<std::pair<HWND, Rect>> painted;
};

TEST_F(PaintingTest, EachWindowPaintsOnlyThePartOfItThatShows) {
    EXPECT_EQ(headless::PixelAt(form, {5, 5}), kBlue);
    EXPECT_EQ(headless::PixelAt(form, {20, 20}), kRed);
    EXPECT_EQ(headless::PixelAt(form, {45, 45}), kGreen);  // front covers back there
    EXPECT_EQ(headless::PixelAt(form, {59, 30}), kRed);
    EXPECT_EQ(headless::PixelAt(form, {90, 90}), kBlue);   // the children's overflow was clipped
    EXPECT_EQ(headless::PixelAt(back, {35, 35}), kGreen);  // child coordinates, read on the form's surface
    EXPECT_GT(backend.PresentCount(form), 0);
}

TEST_F(PaintingTest, AnInvalidAreaRepaintsOnlyThatArea) {
    colours[back] = kYellow;
    painted.clear();
    Rect corner{0, 0, 10, 10};
    InvalidateRect(back, &corner, false);
    Drain();
    ASSERT_EQ(painted.size(), 1u);
    EXPECT_EQ(painted[0], std::make_pair(back, corner));
    EXPECT_EQ(headless::PixelAt(back, {5, 5}), kYellow);
    EXPECT_EQ(headless::PixelAt(back, {15, 15}), kRed);
    EXPECT_EQ(headless::PixelAt(form, {5, 5}), kBlue);
}

TEST_F(PaintingTest, HidingOrMovingAChildRepaintsWhatItUncovers) {
    ShowWindow(front, SW_HIDE);
    Drain();
    EXPECT_EQ(headless::PixelAt(form, {45, 45}), kRed);
    EXPECT_EQ(headless::PixelAt(form, {70, 70}), kBlue);
    MoveWindow(back, {50, 50, 100, 100});
    Drain();
    EXPECT_EQ(headless::PixelAt(form, {20, 20}), kBlue);
    EXPECT_EQ(headless::PixelAt(form, {60, 60}), kRed);
}

TEST_F(PaintingTest, EraseComesFirstWithTheSameContext) {
    recorder.handlers[WM_ERASEBKGND] = [&](HWND, WPARAM context, LPARAM) -> LRESULT {
        EXPECT_NE(reinterpret_cast<cairo_t*>(context), nullptr);
        return 1;  // erased
    };
    InvalidateRect(form, nullptr, true);
    recorder.log.clear();
    Drain();
    auto sent = recorder.Only({WM_ERASEBKGND, WM_PAINT});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, WM_PAINT);
    EXPECT_EQ(sent[1].message, WM_ERASEBKGND);  // sent by BeginPaint, inside WM_PAINT
}

TEST_F(PaintingTest, ResizingKeepsThePixelsAndRepaintsEverything) {
    painted.clear();
    MoveWindow(form, {0, 0, 150, 120});
    cairo_surface_t* surface = GetWindowSurface(form);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 150);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 120);
    EXPECT_EQ(cairo_image_surface_get_format(surface), CAIRO_FORMAT_RGB24);
    EXPECT_EQ(headless::PixelAt(form, {20, 20}), kRed);  // kept before any repaint
    Drain();
    EXPECT_EQ(headless::PixelAt(form, {140, 110}), kBlue);
    EXPECT_EQ(painted.size(), 3u);
}

TEST_F(PaintingTest, AWindowLargerThanTheScreenIsPaintedAndKeptAsFarAsTheScreenGoes) {
    // The screen is 1280 x 1024; a window without frame has its bounds as client area.
    painted.clear();
    MoveWindow(form, {0, 0, 5000, 3000});
    Drain();
    cairo_surface_t* surface = GetWindowSurface(form);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 1280);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 1024);
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.front(), std::make_pair(form, Rect{0, 0, 1280, 1024})) << "the part on the screen only";

    // Partly left of and above the screen: the part that comes onto it is painted too.
    painted.clear();
    MoveWindow(form, {-2000, -500, 3000, 2500});
    Drain();
    surface = GetWindowSurface(form);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 3280);   // 1280 + 2000
    EXPECT_EQ(cairo_image_surface_get_height(surface), 1524);  // 1024 + 500
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.front(), std::make_pair(form, Rect{0, 0, 3280, 1524}));
}

TEST_F(PaintingTest, AContextOutsidePaintingIsClippedTheSameWay) {
    cairo_t* context = GetDC(back);
    cairo_set_source_rgb(context, 1, 1, 0);
    cairo_paint(context);
    ReleaseDC(back, context);
    EXPECT_EQ(headless::PixelAt(form, {20, 20}), kYellow);
    EXPECT_EQ(headless::PixelAt(form, {45, 45}), kGreen);
    EXPECT_EQ(headless::PixelAt(form, {5, 5}), kBlue);
    Rect update;
    EXPECT_FALSE(GetUpdateRect(back, update));
}

// A window painted as soon as it shows, on a high-density screen: drawn once, at the
// screen's density, not first at one device pixel per unit and then again.
class HighDensityPaintingTest : public PlatformTest {
protected:
    HighDensityPaintingTest() : PlatformTest(ScreenMetrics{.deviceScale = 2}) {}
};

TEST_F(HighDensityPaintingTest, AWindowIsDrawnAtTheScreensDensityFromItsFirstPaint) {
    std::vector<int> paintedAtScale;
    recorder.handlers[WM_PAINT] = [&](HWND window, WPARAM, LPARAM) {
        PaintStruct paint;
        BeginPaint(window, paint);
        paintedAtScale.push_back(GetWindowScale(window));
        EndPaint(window, paint);
        return 0;
    };
    HWND form = TopLevel({0, 0, 100, 80});
    ShowWindow(form, SW_SHOW);
    UpdateWindow(form);
    Drain();

    EXPECT_EQ(paintedAtScale, std::vector<int>{2});
    cairo_surface_t* surface = GetWindowSurface(form);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 200);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 160);
}

}  // namespace
}  // namespace orvalis::platform::testing
