#include "platform/Menu.h"
#include "platform/NonClientMetrics.h"
#include "platform/Timers.h"
#include "platform/headless/Inspection.h"
#include "tests/platform/PlatformFixture.h"

namespace orvalis::platform::testing {
namespace {

using headless::WindowTarget;

class WindowTest : public PlatformTest {};

// Whom a click reaches, and where in that window.
struct ClickCase {
    Point at;
    const char* window;
    Point local;
};

class HitTestTest : public PlatformTest {
protected:
    HitTestTest() {
        form = TopLevel({100, 100, 300, 300}, WS_POPUP | WS_VISIBLE, "Form");
        names[form] = "form";
        names[left = Child(form, {10, 10, 110, 110})] = "left";
        names[inner = Child(left, {0, 0, 20, 20})] = "inner";
        names[right = Child(form, {50, 50, 150, 150})] = "right";  // created last: in front of left
        Drain();
    }

    // Clicks and reports the window that got the button-down, with its point.
    std::pair<std::string, Point> ClickAt(Point at) {
        recorder.log.clear();
        script.Click(WindowTarget::Handle(form), at);
        RunScript();
        auto downs = recorder.Only({WM_LBUTTONDOWN});
        if (downs.size() != 1) return {"nobody", {}};
        return {names[downs[0].window], PointFromLParam(downs[0].lParam)};
    }

    HWND form, left, inner, right;
    std::map<HWND, std::string> names;
};

TEST_F(HitTestTest, TheDeepestVisibleEnabledWindowInFrontGetsTheClick) {
    const ClickCase cases[] = {
        {{60, 60}, "right", {10, 10}},  // right lies over left
        {{15, 15}, "inner", {5, 5}},    // a grandchild, inside left
        {{30, 30}, "left", {20, 20}},
        {{190, 10}, "form", {190, 10}},  // outside every child
    };
    for (const ClickCase& c : cases) {
        auto [who, where] = ClickAt(c.at);
        EXPECT_EQ(who, c.window) << c.at.x << "," << c.at.y;
        EXPECT_EQ(where, c.local) << c.at.x << "," << c.at.y;
    }
}

TEST_F(HitTestTest, DisabledAndHiddenChildrenLetTheClickThrough) {
    EnableWindow(right, false);
    EXPECT_EQ(ClickAt({60, 60}), std::make_pair(std::string("left"), Point{50, 50}));
    ShowWindow(left, SW_HIDE);
    EXPECT_EQ(ClickAt({15, 15}), std::make_pair(std::string("form"), Point{15, 15}));
}

TEST_F(HitTestTest, CaptureTakesEveryClickInItsOwnCoordinates) {
    SetCapture(inner);
    EXPECT_EQ(ClickAt({190, 190}), std::make_pair(std::string("inner"), Point{180, 180}));
    ReleaseCapture();
    auto changed = recorder.Only({WM_CAPTURECHANGED});
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].window, inner);
    EXPECT_EQ(ClickAt({190, 190}), std::make_pair(std::string("form"), Point{190, 190}));
}

TEST_F(HitTestTest, ADisabledWindowGetsNoInputAtAll) {
    SetFocus(inner);
    EnableWindow(form, false);
    EXPECT_EQ(GetFocus(), 0u);  // disabling took the focus away
    EXPECT_EQ(ClickAt({60, 60}).first, "nobody");
    recorder.log.clear();
    script.Type("x");
    RunScript();
    EXPECT_TRUE(recorder.Only({WM_KEYDOWN, WM_CHAR, WM_KEYUP}).empty());
    // Input queued before a window is disabled does not reach it either.
    EnableWindow(form, true);
    native::KeyEvent('Y', U'y', 0, true);
    EnableWindow(form, false);
    recorder.log.clear();
    Drain();
    EXPECT_TRUE(recorder.Only({WM_KEYDOWN}).empty());
}

TEST_F(WindowTest, ActivationAndFocusMessagesComeInTheOriginalOrder) {
    HWND hidden = TopLevel({0, 0, 0, 0});  // a utility window, never shown
    HWND first = TopLevel({0, 0, 100, 100});
    HWND second = TopLevel({0, 0, 100, 100});
    recorder.log.clear();

    ShowWindow(first, SW_SHOW);
    ShowWindow(second, SW_SHOW);
    ShowWindow(second, SW_HIDE);
    DestroyWindow(first);

    std::vector<std::tuple<HWND, std::uint32_t, WPARAM>> seen;
    for (const Received& r : recorder.Only({WM_ACTIVATE, WM_ACTIVATEAPP, WM_SETFOCUS, WM_KILLFOCUS}))
        seen.emplace_back(r.window, r.message, r.message == WM_ACTIVATE ? LoWord(r.wParam) : r.wParam);
    std::vector<std::tuple<HWND, std::uint32_t, WPARAM>> expected{
        // Showing the first window activates the application, then the window.
        {second, WM_ACTIVATEAPP, 1},
        {first, WM_ACTIVATEAPP, 1},
        {hidden, WM_ACTIVATEAPP, 1},
        {first, WM_ACTIVATE, WA_ACTIVE},
        {first, WM_SETFOCUS, 0},
        // Showing the second moves activation, then focus.
        {first, WM_ACTIVATE, WA_INACTIVE},
        {second, WM_ACTIVATE, WA_ACTIVE},
        {first, WM_KILLFOCUS, second},
        {second, WM_SETFOCUS, first},
        // Hiding the active window activates the next visible one.
        {second, WM_ACTIVATE, WA_INACTIVE},
        {first, WM_ACTIVATE, WA_ACTIVE},
        {second, WM_KILLFOCUS, first},
        {first, WM_SETFOCUS, second},
        // Destroying the last one deactivates the application.
        {first, WM_ACTIVATE, WA_INACTIVE},
        {first, WM_ACTIVATEAPP, 0},
        {second, WM_ACTIVATEAPP, 0},
        {hidden, WM_ACTIVATEAPP, 0},
        {first, WM_KILLFOCUS, 0},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(GetActiveWindow(), 0u);
    EXPECT_EQ(GetFocus(), 0u);
}

TEST_F(WindowTest, FocusingAChildActivatesItsForm) {
    HWND form = TopLevel({0, 0, 100, 100}, WS_POPUP | WS_VISIBLE);
    HWND edit = Child(form, {0, 0, 50, 20});
    HWND other = TopLevel({0, 0, 100, 100}, WS_POPUP | WS_VISIBLE);
    ASSERT_EQ(GetActiveWindow(), other);
    SetFocus(edit);
    EXPECT_EQ(GetActiveWindow(), form);
    EXPECT_EQ(GetFocus(), edit);
    // Hiding the focus window gives the focus to its parent.
    ShowWindow(edit, SW_HIDE);
    EXPECT_EQ(GetFocus(), form);
    EXPECT_EQ(SetFocus(edit), 0u);  // hidden windows take no focus
}

TEST_F(WindowTest, ClickingAnInactiveWindowActivatesIt) {
    HWND back = TopLevel({0, 0, 100, 100}, WS_POPUP | WS_VISIBLE, "Arrière");
    HWND front = TopLevel({200, 0, 300, 100}, WS_POPUP | WS_VISIBLE, "Avant");
    Drain();
    ASSERT_EQ(GetActiveWindow(), front);
    script.Click(WindowTarget::Captioned("Arrière"), {5, 5});
    RunScript();
    EXPECT_EQ(GetActiveWindow(), back);
    auto activations = recorder.Only({WM_ACTIVATE});
    ASSERT_FALSE(activations.empty());
    EXPECT_EQ(activations.back().window, back);
    EXPECT_EQ(LoWord(activations.back().wParam), WA_CLICKACTIVE);
}

// A top-level window belongs to another top-level window: a child asked for names its
// top-level window, a child or the window itself owns nothing; the backend is told once
// the window is shown, and an owner that goes owns nothing.
TEST_F(WindowTest, ATopLevelWindowIsOwnedByAnotherTopLevelWindow) {
    HWND main = TopLevel({0, 0, 200, 200});
    HWND button = Child(main, {0, 0, 10, 10});
    HWND dialog = TopLevel({20, 20, 120, 120});
    struct Case {
        HWND window, owner, expected;
    } cases[] = {
        {dialog, button, main}, {dialog, dialog, 0}, {button, main, 0}, {dialog, 0, 0}, {dialog, main, main},
    };
    for (const Case& c : cases) {
        SetWindowOwner(c.window, c.owner);
        EXPECT_EQ(GetWindowOwner(c.window), c.expected) << c.window << " owned by " << c.owner;
    }
    ShowWindow(dialog, SW_SHOW);
    ASSERT_NE(backend.NativeWindow(dialog), nullptr);
    EXPECT_EQ(backend.NativeWindow(dialog)->owner, main);
    SetWindowOwner(dialog, 0);
    EXPECT_EQ(backend.NativeWindow(dialog)->owner, 0u);
    SetWindowOwner(dialog, main);
    DestroyWindow(main);
    EXPECT_EQ(GetWindowOwner(dialog), 0u);
}

TEST_F(WindowTest, DestroyingAWindowDestroysItsChildrenParentFirst) {
    HWND form = TopLevel({0, 0, 100, 100});
    HWND panel = Child(form, {0, 0, 50, 50});
    HWND button = Child(panel, {0, 0, 10, 10});
    PostMessage(button, WM_USER, 0, 0);
    recorder.log.clear();
    DestroyWindow(form);
    std::vector<std::pair<HWND, std::uint32_t>> seen;
    for (const Received& r : recorder.Only({WM_DESTROY, WM_NCDESTROY})) seen.emplace_back(r.window, r.message);
    EXPECT_EQ(seen, (std::vector<std::pair<HWND, std::uint32_t>>{{form, WM_DESTROY},
                                                                 {panel, WM_DESTROY},
                                                                 {button, WM_DESTROY},
                                                                 {button, WM_NCDESTROY},
                                                                 {panel, WM_NCDESTROY},
                                                                 {form, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(panel) || IsWindow(button));
    Message message;
    EXPECT_FALSE(PeekMessage(message));
}

TEST_F(WindowTest, CloseDestroysByDefaultAndTheCloseBoxGoesThroughTheSystemCommand) {
    HWND form = TopLevel({0, 0, 100, 100}, WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Orvalis");
    Drain();
    script.CloseWindow(WindowTarget::Captioned("Orvalis"));
    RunScript();
    auto closing = recorder.Only({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY});
    ASSERT_EQ(closing.size(), 3u);
    EXPECT_EQ(closing[0].wParam, SC_CLOSE);
    EXPECT_EQ(closing[1].message, WM_CLOSE);
    EXPECT_FALSE(IsWindow(form));
}

struct FrameCase {
    const char* name;
    std::uint32_t style;
    bool menu;
    Size client;  // of a 696 × 480 window
};

TEST_F(WindowTest, TheVirtualFrameKeepsTheOriginalMetrics) {
    const FrameCase cases[] = {
        {"sizeable with menu", WS_OVERLAPPEDWINDOW, true, {688, 434}},
        {"sizeable", WS_OVERLAPPEDWINDOW, false, {688, 453}},
        {"dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, false, {690, 455}},
        {"application window", 0x84CA0000, false, {690, 455}},
        {"thin border", WS_POPUP | WS_BORDER, false, {694, 478}},
        {"no frame", WS_POPUP, false, {696, 480}},
    };
    for (const FrameCase& c : cases) {
        HWND window = TopLevel({237, 205, 237 + 696, 205 + 480}, c.style);
        if (c.menu) SetMenu(window, MenuBar{{MenuItem{.id = 1, .caption = "&Fichier"}}});
        EXPECT_EQ(GetClientRect(window).Extent(), c.client) << c.name;
        Rect outer = AdjustWindowRect(Rect::FromOriginAndSize({}, c.client), c.style, c.menu);
        EXPECT_EQ(outer.Extent(), (Size{696, 480})) << c.name;
        EXPECT_EQ(GetWindowRect(window), (Rect{237, 205, 933, 685})) << c.name;
    }
}

TEST_F(WindowTest, AddingTheMenuBarShrinksTheClientAreaAndSaysSo) {
    HWND form = TopLevel({0, 0, 696, 480}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    recorder.log.clear();
    SetMenu(form, MenuBar{{MenuItem{.id = 1, .caption = "Fichier"}}});
    auto sizes = recorder.Only({WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(PointFromLParam(sizes[0].lParam), (Point{688, 434}));
    ASSERT_NE(backend.NativeWindow(form), nullptr);
    EXPECT_EQ(backend.NativeWindow(form)->clientSize, (Size{688, 434}));
    EXPECT_EQ(backend.NativeWindow(form)->outerBounds, (Rect{0, 0, 696, 480}));
}

// The original platform wraps a narrow window's menu bar onto more lines; here the window
// keeps the width of the bar's items, whoever sizes it.
TEST_F(WindowTest, AWindowIsNeverNarrowerThanItsMenuBar) {
    HWND form = TopLevel({0, 0, 24, 100}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const MenuBar viewerMenu{{MenuItem{.id = 1, .caption = "&Fichier"}, MenuItem{.id = 2, .caption = "&Options"},
                              MenuItem{.id = 3, .caption = "&Traitement PNG"}}};
    const MenuBar oneItem{{MenuItem{.id = 1, .caption = "&Fichier"}}};
    SetMenu(form, viewerMenu);
    const int barWidth = GetMenuBarWidth(form);
    SetMenu(form, oneItem);
    EXPECT_LT(GetMenuBarWidth(form), barWidth / 2) << "the captions are measured";
    EXPECT_GT(GetMenuBarWidth(form), 16 + 30);
    SetMenu(form, viewerMenu);
    EXPECT_EQ(GetClientRect(form).Extent(), (Size{barWidth, 100 - 4 - 4 - 19 - 19})) << "widened by the bar";

    recorder.log.clear();
    SetWindowPos(form, HWND_TOP, 0, 0, 8 + 16, 38 + 8 + 16, SWP_NOZORDER);
    EXPECT_EQ(GetClientRect(form).Extent(), (Size{barWidth, 16})) << "the height follows";
    EXPECT_EQ(backend.NativeWindow(form)->clientSize, (Size{barWidth, 16}));
    auto sizes = recorder.Only({WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(PointFromLParam(sizes[0].lParam), (Point{barWidth, 16}));

    // The user makes the native window narrower: the platform keeps the width and says so.
    recorder.log.clear();
    native::WindowResized(form, {10, 30});
    Drain();
    EXPECT_EQ(GetClientRect(form).Extent(), (Size{barWidth, 30}));
    EXPECT_EQ(backend.NativeWindow(form)->clientSize, (Size{barWidth, 30}));

    // Without the bar the window may be as narrow as it likes again.
    SetMenu(form, std::nullopt);
    EXPECT_EQ(GetMenuBarWidth(form), 0);
    MoveWindow(form, {0, 0, 8 + 16, 100});
    EXPECT_EQ(GetClientRect(form).Width(), 16);
}

TEST_F(WindowTest, MovingAndSizingSendMoveThenSize) {
    HWND form = TopLevel({0, 0, 200, 200});
    HWND child = Child(form, {10, 10, 60, 60});
    recorder.log.clear();
    MoveWindow(child, {20, 30, 120, 80});
    MoveWindow(child, {20, 30, 120, 80});  // unchanged: nothing sent
    auto sent = recorder.Only({WM_MOVE, WM_SIZE});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, WM_MOVE);
    EXPECT_EQ(PointFromLParam(sent[0].lParam), (Point{20, 30}));
    EXPECT_EQ(sent[1].message, WM_SIZE);
    EXPECT_EQ(PointFromLParam(sent[1].lParam), (Point{100, 50}));
    EXPECT_EQ(ClientToScreen(child, {1, 2}), (Point{21, 32}));
}

TEST_F(WindowTest, MenuChoicesPostTheirCommand) {
    HWND form = TopLevel({0, 0, 696, 480}, WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Orvalis");
    MenuItem file{.caption = "&Fichier"};
    file.items = {MenuItem{.id = 11, .caption = "&Ouvrir"}, MenuItem{.id = 12, .caption = "Quitter"}};
    MenuItem png{.caption = "Traitement PNG"};
    png.items = {MenuItem{.id = 21, .caption = "Comptage couleurs "},
                 MenuItem{.id = 22, .caption = "Modif. couleurs", .enabled = false}};
    SetMenu(form, MenuBar{{file, MenuItem{.id = 3, .caption = "Options"}, png}});
    Drain();
    script.ChooseMenu(WindowTarget::Captioned("Orvalis"), {"Fichier", "Ouvrir"})
        .ChooseMenu(WindowTarget::Active(), {"Traitement PNG", "Modif. couleurs"})  // disabled: nothing
        .ChooseMenu(WindowTarget::Active(), {"&Options"})
        .Check([] { PostQuitMessage(0); });
    RunLoop();
    std::vector<WPARAM> commands;
    for (const Received& r : recorder.Only({WM_COMMAND})) commands.push_back(r.wParam);
    EXPECT_EQ(commands, (std::vector<WPARAM>{11, 3}));
}

TEST(MenuCaptions, AcceleratorMarksAreNotShown) {
    const std::pair<const char*, const char*> cases[] = {{"&Fichier", "Fichier"},
                                                         {"O&uvrir", "Ouvrir"},
                                                         {"Tom && Jerry", "Tom & Jerry"},
                                                         {"fin&", "fin"},
                                                         {"Comptage couleurs ", "Comptage couleurs "}};
    for (auto [caption, shown] : cases) EXPECT_EQ(StripAccelerator(caption), shown) << caption;
}

TEST_F(WindowTest, TextGoesThroughSetTextAndTitlesTheNativeWindow) {
    HWND form = TopLevel({0, 0, 100, 100}, WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Orvalis");
    SetWindowText(form, "Fichier /plans/vue Dessin de la vue n° 3");
    EXPECT_EQ(GetWindowText(form), "Fichier /plans/vue Dessin de la vue n° 3");
    EXPECT_EQ(backend.NativeWindow(form)->title, "Fichier /plans/vue Dessin de la vue n° 3");
    EXPECT_EQ(recorder.Only({WM_SETTEXT}).size(), 1u);
}

TEST_F(WindowTest, MaximisingFillsTheScreenAndRestoringComesBack) {
    HWND form = TopLevel({237, 205, 933, 685}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    recorder.log.clear();
    ShowWindow(form, SW_SHOWMAXIMIZED);
    EXPECT_TRUE(IsZoomed(form));
    EXPECT_EQ(GetWindowRect(form), (Rect{0, 0, 1280, 1024}));
    auto sizes = recorder.Only({WM_SIZE});
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].wParam, SIZE_MAXIMIZED);
    ShowWindow(form, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(form));
    EXPECT_EQ(GetWindowRect(form), (Rect{237, 205, 933, 685}));
    ShowWindow(form, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(form));
    EXPECT_EQ(GetActiveWindow(), 0u);  // a minimised window gives the activation away
    EXPECT_TRUE(backend.NativeWindow(form)->minimized);
}

TEST_F(WindowTest, ChildrenAreListedFrontFirstAndRestack) {
    HWND form = TopLevel({0, 0, 100, 100});
    HWND a = Child(form, {0, 0, 10, 10}, "a");
    HWND b = Child(form, {0, 0, 10, 10}, "b");
    EXPECT_EQ(GetChildWindows(form), (std::vector<HWND>{b, a}));
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetChildWindows(form), (std::vector<HWND>{a, b}));
    EXPECT_EQ(headless::FindChildWindow(form, "b"), b);
    EXPECT_EQ(GetParent(b), form);
    EXPECT_EQ(GetTopLevelWindow(b), form);
}

}  // namespace
}  // namespace orvalis::platform::testing
