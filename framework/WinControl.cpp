#include "framework/WinControl.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "classes/ClassBuilder.h"
#include "framework/Application.h"
#include "framework/ControlCanvas.h"
#include "framework/Form.h"
#include "framework/Screen.h"
#include "graphics/CanvasReleaseHooks.h"
#include "graphics/SystemColours.h"
#include "platform/CairoPointers.h"
#include "platform/Focus.h"
#include "platform/MessageQueue.h"
#include "platform/Painting.h"
#include "platform/VirtualKeys.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeGuard.h"
#include "runtime/ScopedValue.h"

namespace orvalis {
namespace {

// The window class named after a control class, registered when first needed.
void EnsureWindowClass(const std::string& name, std::uint32_t style) {
    if (platform::IsWindowClassRegistered(name)) return;
    if (!platform::RegisterWindowClass({name, style})) throw EOutOfResources(ResId::WindowClassCreation);
}

// Which kind of key a dialog key is, as the dialog code names it; 0 for other keys.
std::uint32_t DialogKeyKind(std::uint16_t key) {
    switch (key) {
        case platform::VK_TAB: return DLGC_WANTTAB;
        case platform::VK_LEFT:
        case platform::VK_RIGHT:
        case platform::VK_UP:
        case platform::VK_DOWN: return DLGC_WANTARROWS;
        case platform::VK_RETURN:
        case platform::VK_ESCAPE:
        case platform::VK_CANCEL:
        case platform::VK_EXECUTE: return DLGC_WANTALLKEYS;
        default: return 0;
    }
}

}  // namespace

const TClassInfo& TWinControl::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TWinControl, TControl>("TWinControl");
    return info;
}

TWinControl* FindControl(HWND window) {
    return window ? dynamic_cast<TWinControl*>(platform::GetWindowProcedure(window)) : nullptr;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    if (TCustomForm* form = Parent() ? GetParentForm(*this) : nullptr) form->ControlDestroyed(*this);
    if (Screen) Screen->ControlDestroyed(*this);
    while (!controls_.empty()) delete controls_.back();
    if (Parent()) std::erase(Parent()->tabList_, this);
    DestroyHandle();
}

TControl* TWinControl::Controls(int index) const {
    assert(index >= 0 && index < ControlCount());
    return controls_[static_cast<std::size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (; control; control = control->Parent())
        if (control == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint point, bool allowDisabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* control = *it;
        if (dynamic_cast<TWinControl*>(control) || !control->Visible()) continue;
        if (!control->Enabled() && !allowDisabled) continue;
        const TRect bounds = control->BoundsRect();
        if (point.X >= bounds.Left && point.X < bounds.Right && point.Y >= bounds.Top && point.Y < bounds.Bottom)
            return control;
    }
    return nullptr;
}

void TWinControl::InsertControl(TControl& control) {
    control.parent_ = this;
    controls_.push_back(&control);
    if (auto* windowed = dynamic_cast<TWinControl*>(&control)) {
        tabList_.push_back(windowed);
        if (handle_) windowed->HandleNeeded();
    }
    if (!control.HasState(stateReading)) {
        if (control.ParentColor()) control.Perform(CM_PARENTCOLORCHANGED);
        if (control.ParentFont()) control.Perform(CM_PARENTFONTCHANGED);
    }
    control.Invalidate();
    if (control.Align() != alNone) Realign();
}

void TWinControl::RemoveControl(TControl& control) {
    if (auto* windowed = dynamic_cast<TWinControl*>(&control)) {
        std::erase(tabList_, windowed);
        windowed->DestroyHandle();
    } else {
        control.InvalidateInParent(control.BoundsRect(), true);
    }
    std::erase(controls_, &control);
    control.parent_ = nullptr;
    if (control.Align() != alNone) Realign();
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded() {
    if (!handle_) CreateHandle();
}

void TWinControl::CreateParams(platform::CreateWindowParams& params) {
    assert(Parent() && "a windowed control other than a form is shown inside its parent");
    params.className = std::string(ClassName());
    params.text = Text().ToStdString();
    std::uint32_t style = platform::WS_CHILD | platform::WS_CLIPSIBLINGS;
    if (Visible()) style |= platform::WS_VISIBLE;
    if (!Enabled()) style |= platform::WS_DISABLED;
    if (tabStop_) style |= platform::WS_TABSTOP;
    params.style = style;
    params.bounds = {Left(), Top(), Left() + Width(), Top() + Height()};
    params.parent = Parent()->Handle();
    params.procedure = this;
}

void TWinControl::CreateHandle() {
    platform::CreateWindowParams params;
    CreateParams(params);
    const std::uint32_t classStyle = (ControlStyle() & csDoubleClicks) ? std::uint32_t{platform::CS_DBLCLKS} : 0u;
    EnsureWindowClass(params.className, classStyle);
    const HWND window = platform::CreateWindow(params);
    if (!window) throw EOutOfResources(ResId::OutOfSystemResources);
    handle_ = window;
    // The children come to the front one after the other, in their order.
    for (TControl* control : controls_)
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) windowed->HandleNeeded();
    Realign();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    const HWND window = handle_;
    handle_ = 0;
    platform::SetWindowProcedure(window, nullptr);
    platform::DestroyWindow(window);
}

TPoint TWinControl::ClientToScreen(TPoint point) const {
    const platform::Point screen =
        platform::ClientToScreen(const_cast<TWinControl*>(this)->Handle(), {point.X, point.Y});
    return {screen.x, screen.y};
}

void TWinControl::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    ConstrainSize(width, height);
    if (left == Left() && top == Top() && width == Width() && height == Height()) {
        RememberAnchorOrigin();
        return;
    }
    const bool resized = width != Width() || height != Height();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    RememberAnchorOrigin();
    // The window answers with WM_MOVE and WM_SIZE, which lay the children out. It may
    // keep other bounds than those asked for (a window is never narrower than its menu
    // bar): the control takes the window's.
    if (handle_) {
        platform::MoveWindow(handle_, {left, top, left + width, top + height});
        if (platform::IsWindow(handle_)) UpdateBoundsFromWindow();
    } else if (resized)
        Realign();
    RequestAlign();
}

void TWinControl::UpdateBoundsFromWindow() {
    const platform::Rect bounds = platform::GetWindowBounds(handle_);
    left_ = bounds.left;
    top_ = bounds.top;
    width_ = bounds.Width();
    height_ = bounds.Height();
}

void TWinControl::Invalidate() {
    if (handle_) platform::InvalidateRect(handle_, nullptr, (ControlStyle() & csOpaque) == 0);
}

void TWinControl::Update() {
    if (handle_) platform::UpdateWindow(handle_);
}

void TWinControl::Realign() {
    if (aligning_ || HasState(stateLoading)) return;
    ScopedValue aligning(aligning_, true);
    AlignControls(ClientRect());
}

void TWinControl::AlignControls(TRect rect) {
    // The controls that are not aligned follow the whole client area with their anchors
    // (those still being read take their place when they are finished).
    for (TControl* control : controls_)
        if (control->Align() == alNone && control->Anchors() != kDefaultAnchors && !control->HasState(stateLoading)) {
            const TRect bounds = control->AnchoredBounds(rect.Width(), rect.Height());
            control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        }
    static constexpr TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign align : kOrder) {
        for (TControl* control : controls_) {
            if (control->Align() != align || !control->Visible()) continue;
            const std::int32_t width = control->Width();
            const std::int32_t height = control->Height();
            switch (align) {
                case alTop:
                    control->SetBounds(rect.Left, rect.Top, rect.Width(), height);
                    rect.Top += height;
                    break;
                case alBottom:
                    control->SetBounds(rect.Left, rect.Bottom - height, rect.Width(), height);
                    rect.Bottom -= height;
                    break;
                case alLeft:
                    control->SetBounds(rect.Left, rect.Top, width, rect.Height());
                    rect.Left += width;
                    break;
                case alRight:
                    control->SetBounds(rect.Right - width, rect.Top, width, rect.Height());
                    rect.Right -= width;
                    break;
                default: control->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); break;
            }
        }
    }
}

bool TWinControl::Focused() const { return handle_ && platform::GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
    const TCustomForm* form = GetParentForm(*this);
    if (!form) return false;
    for (const TControl* control = this; control != form; control = control->Parent())
        if (!control->Visible() || !control->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* form = GetParentForm(*this))
        form->FocusControl(this);
    else
        platform::SetFocus(Handle());
}

std::int32_t TWinControl::TabOrder() const {
    if (tabOrder_ >= 0 || !Parent()) return tabOrder_;
    const auto& list = Parent()->tabList_;
    return static_cast<std::int32_t>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(std::int32_t tabOrder) {
    // While the form is read, the order is only noted: the parent sorts its children
    // once they are all there.
    if (HasState(stateLoading)) {
        tabOrder_ = std::max(tabOrder, 0);
        return;
    }
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    std::erase(list, this);
    const auto position =
        static_cast<std::size_t>(std::clamp<std::int32_t>(tabOrder, 0, static_cast<std::int32_t>(list.size())));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(position), this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* control : tabList_) {
        list.push_back(control);
        control->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    const auto count = list.size();
    auto found = std::find(list.begin(), list.end(), current);
    std::size_t start =
        found != list.end() ? static_cast<std::size_t>(found - list.begin()) : (forward ? count - 1 : 0);
    std::size_t i = start;
    do {
        i = forward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* candidate = list[i];
        if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop()) &&
            (!checkParent || candidate->Parent() == this))
            return candidate;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
    if (TWinControl* next = FindNextControl(current, forward, checkTabStop, !checkTabStop)) next->SetFocus();
}

LRESULT TWinControl::WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (!handle_) handle_ = window;  // WM_CREATE comes before CreateWindow returns
    TMessage m{message, wParam, lParam, 0};
    try {
        WndProc(m);
    } catch (...) {
        HandleUncaughtException(this);
    }
    // The control may be gone by now (a form released itself): nothing of it is used.
    FreeDeviceContexts();
    RunCanvasReleaseHooks();
    return m.Result;
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case platform::WM_PAINT: Paint(); return;
        case platform::WM_ERASEBKGND:
            EraseBackground(reinterpret_cast<cairo_t*>(message.WParam));
            message.Result = 1;
            return;
        case platform::WM_SETFOCUS: {
            TCustomForm* form = GetParentForm(*this);
            if (form && !form->SetFocusedControl(this)) return;
            break;
        }
        case platform::WM_MOVE: UpdateBoundsFromWindow(); break;
        case platform::WM_SIZE:
            UpdateBoundsFromWindow();
            Realign();
            break;
        case platform::WM_NCDESTROY:
            DefaultHandler(message);
            handle_ = 0;
            return;
        case platform::WM_KEYDOWN:
        case platform::WM_SYSKEYDOWN:
            if (DoKeyDown(message)) return;
            break;
        case platform::WM_CHAR:
            if (DoKeyPress(message)) return;
            break;
        case platform::WM_KEYUP:
        case platform::WM_SYSKEYUP:
            if (DoKeyUp(message)) return;
            break;
        case CN_KEYDOWN:
        case CN_SYSKEYDOWN: message.Result = TakeReflectedKeyDown(message) ? 1 : 0; return;
        case CN_CHAR: {
            // The form may take the character as a mnemonic, unless the control wants characters.
            TCustomForm* form = GetParentForm(*this);
            message.Result = (Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0 && form &&
                                     form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0
                                 ? 1
                                 : 0;
            return;
        }
        case CN_KEYUP:
        case CN_SYSKEYUP:
        case CN_SYSCHAR:
        case CM_WANTSPECIALKEY:
        case WM_GETDLGCODE: message.Result = 0; return;
        case CM_DIALOGKEY:
        case CM_DIALOGCHAR: BroadcastToChildren(message); return;
        case CM_CHILDKEY:
            if (Parent()) Parent()->WndProc(message);
            return;
        case CM_ENTER: DoEnter(); return;
        case CM_EXIT: DoExit(); return;
        default:
            if (platform::IsMouseMessage(message.Msg) && RouteMouseToChild(message)) return;
            break;
    }
    TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (handle_) message.Result = platform::DefWindowProc(handle_, message.Msg, message.WParam, message.LParam);
}

bool TWinControl::RouteMouseToChild(TMessage& message) {
    const platform::Point point = platform::PointFromLParam(message.LParam);
    TControl* target = nullptr;
    if (platform::GetCapture() == handle_) {
        // The window holds the capture for itself or for one of its windowless children.
        TControl* capture = CaptureControl();
        if (capture && capture != this && capture->Parent() == this) target = capture;
    } else {
        target = ControlAtPos({point.x, point.y}, false);
    }
    if (!target) return false;
    message.Result = target->Perform(message.Msg, message.WParam,
                                     platform::MakeLParam(point.x - target->Left(), point.y - target->Top()));
    return true;
}

bool TWinControl::TakeReflectedKeyDown(TMessage& message) {
    TWMKey key{message.Msg, static_cast<std::uint16_t>(message.WParam), static_cast<std::int32_t>(message.LParam)};
    TCustomForm* form = GetParentForm(*this);
    // The shortcuts first: the form's, then the application's.
    if (!HasState(stateDesigning)) {
        if (form && form->IsShortCut(key)) return true;
        if (Application &&
            platform::SendMessage(Application->Handle(), CM_APPKEYDOWN, message.WParam, message.LParam) != 0)
            return true;
    }
    if (Perform(CM_CHILDKEY, message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return true;
    // A dialog key goes to the form unless the control handles that kind of key itself.
    const std::uint32_t kind = DialogKeyKind(key.CharCode);
    return kind != 0 && Perform(CM_WANTSPECIALKEY, message.WParam, message.LParam) == 0 &&
           (Perform(WM_GETDLGCODE) & kind) == 0 && form &&
           form->Perform(CM_DIALOGKEY, message.WParam, message.LParam) != 0;
}

bool TWinControl::DoKeyDown(TMessage& message) {
    TCustomForm* form = GetParentForm(*this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(message)) return true;
    auto key = static_cast<std::uint16_t>(message.WParam);
    KeyDown(key, KeyboardShiftState());
    if (key == 0) return true;
    message.WParam = key;
    return false;
}

bool TWinControl::DoKeyPress(TMessage& message) {
    TCustomForm* form = GetParentForm(*this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(message)) return true;
    auto key = static_cast<char32_t>(message.WParam);
    KeyPress(key);
    if (key == 0) return true;
    message.WParam = key;
    return false;
}

bool TWinControl::DoKeyUp(TMessage& message) {
    TCustomForm* form = GetParentForm(*this);
    if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(message)) return true;
    auto key = static_cast<std::uint16_t>(message.WParam);
    KeyUp(key, KeyboardShiftState());
    if (key == 0) return true;
    message.WParam = key;
    return false;
}

void TWinControl::KeyDown(std::uint16_t& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char32_t& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::KeyUp(std::uint16_t& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::Paint() {
    platform::PaintStruct paint;
    cairo_t* context = platform::BeginPaint(handle_, paint);
    const ScopeGuard endPaint([window = handle_, &paint] { platform::EndPaint(window, paint); });
    if (!context) return;
    PaintWindow(context);
    PaintControls(context, paint.paint);
}

void TWinControl::PaintWindow(cairo_t*) {}

void TWinControl::PaintControls(cairo_t* context, const platform::Rect& area) {
    for (TControl* control : controls_) {
        if (dynamic_cast<TWinControl*>(control) || !control->Visible()) continue;
        const TRect bounds = control->BoundsRect();
        const platform::Rect target{bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
        if (target.Intersect(area).IsEmpty()) continue;
        cairo_save(context);
        const ScopeGuard restore([context] { cairo_restore(context); });
        cairo_translate(context, bounds.Left, bounds.Top);
        cairo_rectangle(context, 0, 0, bounds.Width(), bounds.Height());
        cairo_clip(context);
        control->Perform(platform::WM_PAINT, reinterpret_cast<WPARAM>(context));
    }
}

void TWinControl::EraseBackground(cairo_t* context) {
    const TRect client = ClientRect();
    const cairo_rectangle_int_t whole{0, 0, client.Width(), client.Height()};
    const platform::RegionPtr owned(cairo_region_create_rectangle(&whole));
    cairo_region_t* region = owned.get();
    for (const TControl* control : controls_) {
        if (dynamic_cast<const TWinControl*>(control) || !control->Visible() || !(control->ControlStyle() & csOpaque))
            continue;
        const cairo_rectangle_int_t covered{control->Left(), control->Top(), control->Width(), control->Height()};
        cairo_region_subtract_rectangle(region, &covered);
    }
    cairo_save(context);
    const TColor rgb = ColourToRGB(Color());
    cairo_set_source_rgb(context, RedOf(rgb) / 255.0, GreenOf(rgb) / 255.0, BlueOf(rgb) / 255.0);
    for (int i = 0; i < cairo_region_num_rectangles(region); ++i) {
        cairo_rectangle_int_t part;
        cairo_region_get_rectangle(region, i, &part);
        cairo_rectangle(context, part.x, part.y, part.width, part.height);
    }
    cairo_fill(context);
    cairo_restore(context);
}

void TWinControl::BroadcastToChildren(TMessage& message) {
    for (TControl* control : controls_) {
        control->WndProc(message);
        if (message.Result != 0) return;
    }
}

void TWinControl::NotifyChildren(std::uint32_t message) {
    for (TControl* control : controls_) control->Perform(message);
}

void TWinControl::VisibleChanged() {
    if (handle_) platform::ShowWindow(handle_, Visible() ? platform::SW_SHOW : platform::SW_HIDE);
}

void TWinControl::EnabledChanged() {
    if (handle_) platform::EnableWindow(handle_, Enabled());
    Invalidate();
}

void TWinControl::TextChanged() {
    if (handle_) platform::SetWindowText(handle_, Text().View());
    TControl::TextChanged();
}

void TWinControl::ColorChanged() {
    Invalidate();
    NotifyChildren(CM_PARENTCOLORCHANGED);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    NotifyChildren(CM_PARENTFONTCHANGED);
}

void TWinControl::LoadingFinished() {
    TControl::LoadingFinished();
    // The tab order read from the resource: children without one keep their place after.
    std::stable_sort(tabList_.begin(), tabList_.end(), [](const TWinControl* a, const TWinControl* b) {
        const auto key = [](const TWinControl* c) { return c->tabOrder_ >= 0 ? c->tabOrder_ : INT32_MAX; };
        return key(a) < key(b);
    });
    for (TWinControl* control : tabList_) control->tabOrder_ = -1;
    Realign();
}

void TWinControl::EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) {
    for (TControl* control : controls_)
        if (control->Owner() == &root) visit(*control);
}

}  // namespace orvalis
