#include "framework/Form.h"

#include <algorithm>
#include <cassert>

#include "classes/ClassBuilder.h"
#include "classes/Loading.h"
#include "classes/Reader.h"
#include "classes/Writer.h"
#include "framework/AccessibleTree.h"
#include "framework/Application.h"
#include "framework/Menu.h"
#include "framework/Screen.h"
#include "framework/TaskModalScope.h"
#include "platform/Focus.h"
#include "platform/Menu.h"
#include "platform/MessageQueue.h"
#include "platform/NonClientMetrics.h"
#include "platform/VirtualKeys.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeGuard.h"
#include "runtime/ScopedValue.h"

namespace orvalis {
namespace {

// The frame of each border style; the minimise and maximise boxes only go with the
// captioned styles that a user resizes or moves as a main window.
struct BorderStyleFrame {
    TFormBorderStyle borderStyle;
    std::uint32_t style;
    std::uint32_t exStyle;
    bool boxes;
};
constexpr BorderStyleFrame kBorderStyleFrames[] = {
    {bsNone, platform::WS_POPUP, 0, false},
    {bsSingle, platform::WS_CAPTION, 0, true},
    {bsSizeable, platform::WS_CAPTION | platform::WS_THICKFRAME, 0, true},
    {bsDialog, platform::WS_POPUP | platform::WS_CAPTION, 0, false},
    {bsToolWindow, platform::WS_CAPTION, platform::WS_EX_TOOLWINDOW, false},
    {bsSizeToolWin, platform::WS_CAPTION | platform::WS_THICKFRAME, platform::WS_EX_TOOLWINDOW, false},
};

const BorderStyleFrame& FrameOf(TFormBorderStyle borderStyle) {
    for (const BorderStyleFrame& frame : kBorderStyleFrames)
        if (frame.borderStyle == borderStyle) return frame;
    return kBorderStyleFrames[static_cast<std::size_t>(bsSizeable)];
}

bool IsKeyDown(int virtualKey) { return platform::GetKeyState(virtualKey) < 0; }

// The focus stayed where it was while a notification ran.
bool SendFocusMessage(HWND window, std::uint32_t message) {
    const HWND focus = platform::GetFocus();
    platform::SendMessage(window, message);
    return platform::GetFocus() == focus;
}

}  // namespace

const TClassInfo& TCustomForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TCustomForm, TWinControl>("TCustomForm");
    return info;
}

const TClassInfo& TForm::StaticClassInfo() {
    static const TClassInfo info =
        DescribeClass<TForm, TCustomForm>("TForm")
            .Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
            .Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons)
            .Type(kBorderIconsType)
            .Default(BorderIconBit(biSystemMenu) | BorderIconBit(biMinimize) | BorderIconBit(biMaximize))
            .Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle)
            .Default(bsSizeable)
            .Property("Caption", &TControl::Caption, &TControl::SetCaption)
            .Property("ClientHeight", &TCustomForm::ClientHeightProperty, &TCustomForm::SetClientHeightProperty)
            .Stored(false)
            .Property("ClientWidth", &TCustomForm::ClientWidthProperty, &TCustomForm::SetClientWidthProperty)
            .Stored(false)
            .Property("Color", &TControl::Color, &TControl::SetColor)
            .Type(kColorType)
            .Stored(&TControl::IsColorStored)
            .Default(clBtnFace)
            .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
            .Default(true)
            .Property("Font", &TControl::Font, &TControl::SetFont)
            .Property("Hint", &TControl::Hint, &TControl::SetHint)
            .Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
            .Default(false)
            .Property("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu)
            .Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
            .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
            .Default(false)
            .Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
            .Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition)
            .Default(poDesigned)
            .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
            .Default(false)
            .Property("Visible", &TControl::Visible, &TControl::SetVisible)
            .Default(false)
            .Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState)
            .Default(wsNormal)
            .Property("OnActivate", &TCustomForm::OnActivate)
            .Property("OnClick", &TControl::OnClick)
            .Property("OnClose", &TCustomForm::OnClose)
            .Property("OnCloseQuery", &TCustomForm::OnCloseQuery)
            .Property("OnCreate", &TCustomForm::OnCreate)
            .Property("OnDblClick", &TControl::OnDblClick)
            .Property("OnDeactivate", &TCustomForm::OnDeactivate)
            .Property("OnDestroy", &TCustomForm::OnDestroy)
            .Property("OnHide", &TCustomForm::OnHide)
            .Property("OnKeyDown", &TWinControl::OnKeyDown)
            .Property("OnKeyPress", &TWinControl::OnKeyPress)
            .Property("OnKeyUp", &TWinControl::OnKeyUp)
            .Property("OnMouseDown", &TControl::OnMouseDown)
            .Property("OnMouseMove", &TControl::OnMouseMove)
            .Property("OnMouseUp", &TControl::OnMouseUp)
            .Property("OnPaint", &TCustomForm::OnPaint)
            .Property("OnShortCut", &TCustomForm::OnShortCut)
            .Property("OnShow", &TCustomForm::OnShow);
    return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>(*this)) {
    assert(Screen && "forms live on the program's screen (Program.h)");
    SetBounds(0, 0, 320, 240);
    visible_ = false;
    parentFont_ = false;
    SetColor(clBtnFace);
    pixelsPerInch_ = Screen->PixelsPerInch();
    Screen->AddForm(*this);
}

TCustomForm::TCustomForm(TComponent* owner, TNoResource) : TCustomForm(owner) { readsResource_ = false; }

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(*this);
    if (Application) Application->FormDestroyed(*this);
    if (menu_) menu_->DetachForm(*this);
    menu_ = nullptr;
    // The window goes first, with its children's: no message may reach the handlers of
    // the derived form, which is gone by now.
    DestroyHandle();
    activeControl_ = nullptr;
    focusedControl_ = nullptr;
    DestroyComponents();
    canvas_.reset();
}

void TCustomForm::AfterConstruction() {
    {
        TNameSpaceWriteGuard guard;
        if (readsResource_ && &ClassInfo() != &TForm::StaticClassInfo()) {
            {
                ScopedValue creating(creating_, true);
                if (!LoadInheritedResources(*this, TForm::StaticClassInfo()))
                    throw EResNotFound(ResId::ResourceNotFound, {ClassName()});
            }
            if (oldCreateOrder_) DoCreate();
        }
    }
    ConstructionBody();
    if (!oldCreateOrder_) DoCreate();
    if (formState_ & fsActivated) {
        formState_ &= ~fsActivated;
        Activate();
    }
}

void TCustomForm::ConstructionBody() {}

void TCustomForm::DoCreate() {
    if (OnCreate) OnCreate(this);
    if (formState_ & fsVisible) {
        formState_ &= ~fsVisible;
        SetVisible(true);
    }
}

void DestroyForm(TCustomForm* form) {
    try {
        if (form->OnDestroy) form->OnDestroy(form);
    } catch (...) {
        HandleUncaughtException(form);
    }
    delete form;
}

void TCustomForm::RequestClose() {
    if (formState_ & fsModal) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = closeHide;
    DoClose(action);
    if (action == closeNone) return;
    // The primary form ends the program; it is neither hidden nor freed here.
    if (Application && Application->PrimaryForm() == this) {
        Application->RequestQuit();
        return;
    }
    switch (action) {
        case closeHide: Hide(); break;
        case closeMinimize: SetWindowState(wsMinimized); break;
        case closeFree: ReleaseLater(); break;
        default: break;
    }
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

TModalResult TCustomForm::ShowAsModal() {
    if (Visible() || !Enabled() || (formState_ & fsModal)) throw EInvalidOperation(ResId::CannotShowModal);
    assert(Application && "a modal loop runs the application's loop");
    if (const HWND capture = platform::GetCapture()) {
        platform::SendMessage(capture, platform::WM_CANCELMODE);
        platform::ReleaseCapture();
    }
    formState_ |= fsModal;
    const ScopeGuard endModal([this] { formState_ &= ~fsModal; });
    // Whatever happens, the other windows, the focused form and the activation come back.
    TTaskModalScope modal(Application, TTaskModalScope::TGivesBack::Activation);
    // The dialog belongs to the window it is opened from: the desktop keeps it over it.
    platform::SetWindowOwner(Handle(), modal.ActiveWindow());
    Screen->PushFocusedForm(*this);
    const ScopeGuard popFocusedForm([] { Screen->PopFocusedForm(); });

    {
        const ScopeGuard hide([this] { Hide(); });
        Show();
        platform::SendMessage(Handle(), CM_ACTIVATE);
        modalResult_ = mrNone;
        do {
            Application->PumpOne();
            if (Application->QuitRequested())
                modalResult_ = mrCancel;
            else if (modalResult_ != mrNone)
                CloseModal();
        } while (modalResult_ == mrNone);
        platform::SendMessage(Handle(), CM_DEACTIVATE);
        if (platform::GetActiveWindow() != Handle()) modal.LeaveActivation();
    }
    return modalResult_;
}

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = closeNone;
        if (CloseQuery()) {
            action = closeHide;
            DoClose(action);
        }
        if (action == closeNone)
            modalResult_ = mrNone;
        else if (action == closeFree)
            ReleaseLater();
    } catch (...) {
        modalResult_ = mrNone;
        Application->HandleUncaught(this);
    }
}

void TCustomForm::ReleaseLater() { platform::PostMessage(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::SetVisible(bool visible) {
    // A visibility asked for while the resource is read is applied after OnCreate.
    if (creating_) {
        formState_ = visible ? (formState_ | fsVisible) : (formState_ & ~fsVisible);
        return;
    }
    if (visible == Visible()) return;
    visible_ = visible;
    if (visible) {
        HandleNeeded();
        if (!(formState_ & fsShown)) {
            formState_ |= fsShown;
            ApplyPosition();
        }
        if (OnShow) OnShow(this);
        platform::ShowWindow(Handle(), windowState_ == wsMaximized   ? platform::SW_SHOWMAXIMIZED
                                       : windowState_ == wsMinimized ? platform::SW_SHOWMINIMIZED
                                                                     : platform::SW_SHOWNORMAL);
    } else {
        if (OnHide) OnHide(this);
        if (HandleAllocated()) platform::ShowWindow(Handle(), platform::SW_HIDE);
    }
}

void TCustomForm::ApplyPosition() {
    const TRect screen{0, 0, Screen->Width(), Screen->Height()};
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter: CenterOn(screen); break;
        case poMainFormCenter: {
            TCustomForm* primary = Application ? Application->PrimaryForm() : nullptr;
            CenterOn(primary && primary != this ? primary->BoundsRect() : screen);
            break;
        }
        case poOwnerFormCenter: {
            auto* owner = dynamic_cast<TCustomForm*>(Owner());
            CenterOn(owner ? owner->BoundsRect() : screen);
            break;
        }
        default: break;
    }
}

void TCustomForm::CenterOn(const TRect& area) {
    SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::SetActive(bool active) {
    active_ = active;
    if (!active) return;
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
    const HWND focus = activeControl_ && activeControl_->CanFocus() ? activeControl_->Handle() : Handle();
    platform::SetFocus(focus);
}

void TCustomForm::SetFocus() {
    if (!active_ && Visible() && Enabled()) SetWindowFocus();
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (control == activeControl_) return;
    // Named in the resource: checked once the form is read.
    if (HasState(stateLoading)) {
        activeControl_ = control;
        return;
    }
    // Only a control of this form that can take the focus becomes its active control.
    if (control && (control == this || GetParentForm(*control) != this || !control->CanFocus())) return;
    activeControl_ = control;
    if (active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control) {
    const bool wasActive = active_;
    SetActiveControl(control);
    if (!wasActive) SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
    activeControl_ = control != this ? control : nullptr;
    Screen->FocusMoved(*this, control);
    if (control->HasControlState(csFocusing)) return false;
    control->IncludeControlState(csFocusing);
    const ScopeGuard focusing([control] { control->ExcludeControlState(csFocusing); });

    if (Screen->FocusedForm() != this) {
        if (TCustomForm* previous = Screen->FocusedForm()) {
            const HWND window = previous->HandleAllocated() ? previous->Handle() : 0;
            Screen->SetFocusedForm(nullptr);
            if (!SendFocusMessage(window, CM_DEACTIVATE)) return false;
        }
        Screen->SetFocusedForm(this);
        if (!SendFocusMessage(Handle(), CM_ACTIVATE)) return false;
    }
    if (!focusedControl_) focusedControl_ = this;
    // Out of the controls that do not hold the new one, then into those that do.
    while (focusedControl_ && !focusedControl_->ContainsControl(control)) {
        const HWND window = focusedControl_->Handle();
        focusedControl_ = focusedControl_->Parent();
        if (!SendFocusMessage(window, CM_EXIT)) return false;
    }
    while (focusedControl_ && focusedControl_ != control) {
        TWinControl* next = control;
        while (next->Parent() != focusedControl_) next = next->Parent();
        focusedControl_ = next;
        if (!SendFocusMessage(next->Handle(), CM_ENTER)) return false;
    }
    return true;
}

void TCustomForm::ControlDestroyed(TWinControl& control) {
    if (activeControl_ == &control) activeControl_ = nullptr;
    if (focusedControl_ == &control) focusedControl_ = nullptr;
}

void TCustomForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

bool TCustomForm::IsShortCut(TWMKey& key) {
    bool handled = false;
    if (OnShortCut) OnShortCut(key, handled);
    if (!handled && menu_ && HandleAllocated()) handled = menu_->IsShortCut(key);
    return handled;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle borderStyle) {
    if (borderStyle == borderStyle_) return;
    borderStyle_ = borderStyle;
    if (HandleAllocated()) platform::SetWindowStyle(Handle(), WindowStyle());
}

void TCustomForm::SetBorderIcons(TBorderIcons borderIcons) {
    if (borderIcons == borderIcons_) return;
    borderIcons_ = borderIcons;
    if (HandleAllocated()) platform::SetWindowStyle(Handle(), WindowStyle());
}

void TCustomForm::SetWindowState(TWindowState windowState) {
    if (windowState == windowState_) return;
    windowState_ = windowState;
    if (HandleAllocated() && Visible())
        platform::ShowWindow(Handle(), windowState == wsMinimized   ? platform::SW_MINIMIZE
                                       : windowState == wsMaximized ? platform::SW_SHOWMAXIMIZED
                                                                    : platform::SW_RESTORE);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_) return;
    if (menu_) menu_->DetachForm(*this);
    menu_ = menu;
    if (menu_) menu_->AttachForm(*this);
    MenuChanged();
}

void TCustomForm::MenuChanged() {
    if (!HandleAllocated()) return;
    platform::SetMenu(Handle(), menu_ ? std::optional(menu_->BuildMenuBar()) : std::nullopt);
}

bool TCustomForm::HasMenuBar() const { return menu_ != nullptr; }

std::uint32_t TCustomForm::WindowStyle() const {
    const BorderStyleFrame& frame = FrameOf(borderStyle_);
    std::uint32_t style = frame.style | platform::WS_CLIPCHILDREN;
    if (borderStyle_ != bsNone && (borderIcons_ & BorderIconBit(biSystemMenu))) style |= platform::WS_SYSMENU;
    if (frame.boxes && (borderIcons_ & BorderIconBit(biMinimize))) style |= platform::WS_MINIMIZEBOX;
    if (frame.boxes && (borderIcons_ & BorderIconBit(biMaximize))) style |= platform::WS_MAXIMIZEBOX;
    return style;
}

std::uint32_t TCustomForm::WindowExStyle() const { return FrameOf(borderStyle_).exStyle; }

TRect TCustomForm::ClientRect() const {
    const platform::FrameInsets insets = platform::NonClientInsets(WindowStyle(), HasMenuBar());
    return {0, 0, std::max(0, Width() - insets.left - insets.right),
            std::max(0, Height() - insets.top - insets.bottom)};
}

void TCustomForm::SetClientWidth(std::int32_t width) {
    if (HasState(stateReading)) {
        pendingClientWidth_ = width;
        return;
    }
    ApplyClientSize(width, ClientHeight());
}

void TCustomForm::SetClientHeight(std::int32_t height) {
    if (HasState(stateReading)) {
        pendingClientHeight_ = height;
        return;
    }
    ApplyClientSize(ClientWidth(), height);
}

void TCustomForm::ApplyClientSize(std::int32_t width, std::int32_t height) {
    const platform::FrameInsets insets = platform::NonClientInsets(WindowStyle(), HasMenuBar());
    SetBounds(Left(), Top(), width + insets.left + insets.right, height + insets.top + insets.bottom);
}

void TCustomForm::CreateParams(platform::CreateWindowParams& params) {
    params.className = std::string(ClassName());
    params.text = Caption().ToStdString();
    params.style = WindowStyle();
    params.exStyle = WindowExStyle();
    params.bounds = {Left(), Top(), Left() + Width(), Top() + Height()};
    params.parent = 0;
    params.procedure = this;
}

void TCustomForm::CreateHandle() {
    TWinControl::CreateHandle();
    // The menu bar takes its height from the client area; the outer bounds stay.
    MenuChanged();
}

void TCustomForm::PaintWindow(cairo_t* context) {
    canvas_->PaintOn(context, [this] {
        if (OnPaint) OnPaint(this);
    });
}

void TCustomForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case platform::WM_ACTIVATE:
            // The form gives the focus itself (to its active control).
            SetActive(platform::LoWord(message.WParam) != platform::WA_INACTIVE);
            return;
        case platform::WM_CLOSE: RequestClose(); return;
        case platform::WM_COMMAND:
            if (menu_)
                if (TMenuItem* item = menu_->FindItem(static_cast<std::uint32_t>(message.WParam))) item->Click();
            return;
        case platform::WM_SIZE:
            windowState_ = message.WParam == platform::SIZE_MINIMIZED   ? wsMinimized
                           : message.WParam == platform::SIZE_MAXIMIZED ? wsMaximized
                                                                        : wsNormal;
            break;
        case CM_ACTIVATE:
            // While the resource is read, the activation waits for the end of construction.
            if (creating_)
                formState_ |= fsActivated;
            else
                Activate();
            return;
        case CM_DEACTIVATE: Deactivate(); return;
        case CM_RELEASE: DestroyForm(this); return;
        case platform::WM_GETOBJECT:
            DescribeForm(*this, *reinterpret_cast<platform::AccessibleElement*>(message.LParam));
            return;
        case platform::WM_ACCESSIBLEREQUEST:
            RouteAccessibleRequest(*this, *reinterpret_cast<const platform::AccessibleRequest*>(message.LParam));
            return;
        case CM_DIALOGKEY:
            if (!IsKeyDown(platform::VK_MENU)) {
                const auto key = static_cast<int>(message.WParam);
                if (key == platform::VK_TAB && !IsKeyDown(platform::VK_CONTROL)) {
                    SelectNext(activeControl_, !IsKeyDown(platform::VK_SHIFT), true);
                    message.Result = 1;
                    return;
                }
                if (key == platform::VK_LEFT || key == platform::VK_RIGHT || key == platform::VK_UP ||
                    key == platform::VK_DOWN) {
                    if (activeControl_ && activeControl_->Parent()) {
                        activeControl_->Parent()->SelectNext(
                            activeControl_, key == platform::VK_RIGHT || key == platform::VK_DOWN, false);
                        message.Result = 1;
                    }
                    return;
                }
            }
            break;
        default: break;
    }
    TWinControl::WndProc(message);
}

bool TCustomForm::DescribeAccessible(platform::AccessibleElement& element) {
    const bool dialog = IsModal() || borderStyle_ == bsDialog;
    element.role = dialog ? platform::AccessibleRole::Dialog : platform::AccessibleRole::Frame;
    element.states.modal = IsModal();
    element.name = Caption().View();
    return true;
}

void TCustomForm::ReadOwnState(TReader& reader) {
    TWinControl::ReadOwnState(reader);
    // The size of the client area read with the form comes last, when its menu is known.
    if (pendingClientWidth_ > 0 || pendingClientHeight_ > 0) {
        ApplyClientSize(pendingClientWidth_ > 0 ? pendingClientWidth_ : ClientWidth(),
                        pendingClientHeight_ > 0 ? pendingClientHeight_ : ClientHeight());
        pendingClientWidth_ = 0;
        pendingClientHeight_ = 0;
    }
}

void TCustomForm::DeclareCustomProperties(TFiler& filer) {
    TWinControl::DeclareCustomProperties(filer);
    filer.OfferCustomProperty(
        "TextHeight", [this](TReader& reader) { textHeight_ = reader.ReadInteger(); },
        [this](TWriter& writer) { writer.WriteInteger(textHeight_); }, textHeight_ != 0);
    filer.OfferCustomProperty(
        "IgnoreFontProperty",
        [this](TReader& reader) {
            if (reader.ReadBoolean()) SetParentFont(true);
        },
        {}, false);
}

void TCustomForm::LoadingFinished() {
    TWinControl::LoadingFinished();
    if (TWinControl* control = activeControl_) {
        activeControl_ = nullptr;
        SetActiveControl(control);
    }
}

void TCustomForm::EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) {
    TWinControl::EnumerateChildren(visit, root);
    if (&root != this) return;
    // The components that no control or menu holds (timers, menus, dialogs).
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->ParentComponent() && !Components(i)->IsSubComponent()) visit(*Components(i));
}

}  // namespace orvalis
