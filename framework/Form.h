#pragma once
// TCustomForm and TForm: a top-level window built from its form resource.
//
// Construction: the bare form (320 × 240 at 0, 0, hidden, sizeable, with system menu,
// minimise and maximise boxes, the screen's pixels per inch, known to the screen), then,
// once the most derived constructor has finished (AfterConstruction, the only point at
// which the form has its full class, fields and handlers), the resources of its class
// chain below TForm, base classes first; without any, EResNotFound "Ressource %s non
// trouvée". The derived class's own construction step (ConstructionBody) runs after
// the resource, then OnCreate (before it when the resource sets OldCreateOrder), then
// the visibility that the resource asked for, then the activation that came meanwhile.
// TForm itself reads no resource; neither does a form made with kNoResource.
//
// Declaring a form class:
//
//     class TOptions : public TForm {
//         ORVALIS_TYPE_INFO(TOptions)
//     public:
//         explicit TOptions(TComponent* owner) : TForm(owner) {}
//         TButton* OK = nullptr;                 // set when the child "OK" is named
//         void OKClick(TObject* Sender);         // bound by name from the resource
//     };
//     // DescribeClass<TOptions, TForm>("TOptions").Field("OK", &TOptions::OK)
//     //     .Method("OKClick", &TOptions::OKClick)
//
// and it is made through TApplication::CreateAppForm (or its class's CreateComponent).
//
// Closing (RequestClose), the modal loop (ShowAsModal), self-destruction after the
// current message (ReleaseLater), activation (OnActivate when the form becomes the
// screen's FocusedForm) and the shortcut check (OnShortCut, then the main menu) follow
// the application's rules (Application.h).
//
// Rescaling: the stored PixelsPerInch and TextHeight are kept but positions and fonts
// are not rescaled. Fonts are in pixels, the platform's screen has 96 pixels per inch,
// and DejaVu Sans Condensed (their "MS Sans Serif") at the forms' -11 has the text
// height of 13 the forms were made with.

#include <cstdint>
#include <memory>
#include <string_view>

#include "classes/Events.h"
#include "classes/TypeInfo.h"
#include "framework/ControlCanvas.h"
#include "framework/WinControl.h"

namespace orvalis {

class TMainMenu;
class TReader;

enum TFormBorderStyle : std::uint8_t {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin,
    kFormBorderStyleCount
};
inline constexpr std::string_view kFormBorderStyleNames[] = {"bsNone",   "bsSingle",     "bsSizeable",
                                                             "bsDialog", "bsToolWindow", "bsSizeToolWin"};
inline constexpr TTypeInfo kFormBorderStyleType =
    EnumerationType<kFormBorderStyleCount>("TFormBorderStyle", kFormBorderStyleNames);
inline const TTypeInfo& DescribeType(TypeTag<TFormBorderStyle>) { return kFormBorderStyleType; }

enum TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp, kBorderIconCount };
inline constexpr std::string_view kBorderIconNames[] = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
inline constexpr TTypeInfo kBorderIconType = EnumerationType<kBorderIconCount>("TBorderIcon", kBorderIconNames);
using TBorderIcons = std::uint8_t;
inline constexpr TTypeInfo kBorderIconsType = SetType("TBorderIcons", kBorderIconType);
constexpr TBorderIcons BorderIconBit(TBorderIcon icon) { return static_cast<TBorderIcons>(1u << icon); }

// Where the form appears when first shown: as designed, the platform's choice (here as
// designed), or centred on the screen, on the primary form or on its owner form.
enum TPosition : std::uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter,
    kPositionCount
};
inline constexpr std::string_view kPositionNames[] = {"poDesigned",        "poDefault",        "poDefaultPosOnly",
                                                      "poDefaultSizeOnly", "poScreenCenter",   "poDesktopCenter",
                                                      "poMainFormCenter",  "poOwnerFormCenter"};
inline constexpr TTypeInfo kPositionType = EnumerationType<kPositionCount>("TPosition", kPositionNames);
inline const TTypeInfo& DescribeType(TypeTag<TPosition>) { return kPositionType; }

enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized, kWindowStateCount };
inline constexpr std::string_view kWindowStateNames[] = {"wsNormal", "wsMinimized", "wsMaximized"};
inline constexpr TTypeInfo kWindowStateType = EnumerationType<kWindowStateCount>("TWindowState", kWindowStateNames);
inline const TTypeInfo& DescribeType(TypeTag<TWindowState>) { return kWindowStateType; }

// 0 while a modal form runs; 2 for cancel (closing the form, the application quitting).
using TModalResult = std::int32_t;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;

// Makes a form without reading any resource (a form built in code).
struct TNoResource {};
inline constexpr TNoResource kNoResource{};

class TCustomForm : public TWinControl {
    ORVALIS_TYPE_INFO(TCustomForm)

public:
    explicit TCustomForm(TComponent* owner);
    TCustomForm(TComponent* owner, TNoResource);
    // Forgets the form everywhere (screen, application, menu), then destroys its
    // components and its window. OnDestroy is DestroyForm's (below).
    ~TCustomForm() override;

    // Reads the resources, runs ConstructionBody, OnCreate, the requested visibility and
    // activation.
    void AfterConstruction() override;

    // Closing and showing.
    void RequestClose();
    // Shows the form modally and runs the modal loop until ModalResult is set; returns it.
    // A form that is visible, disabled or modal already raises EInvalidOperation
    // "Impossible de rendre modale une fenêtre visible".
    TModalResult ShowAsModal();
    // Destroys the form once the current message has been handled.
    void ReleaseLater();
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void SetVisible(bool visible) override;
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool IsModal() const { return (formState_ & fsModal) != 0; }
    // Whether the form's window is the active window.
    bool Active() const { return active_; }
    // OnCloseQuery's answer (true without handler).
    virtual bool CloseQuery();

    // The focus within the form.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    void FocusControl(TWinControl* control);
    void SetFocus() override;
    // The window control `control` gets the focus: the screen's active form and control
    // follow, the form becomes the FocusedForm (CM_DEACTIVATE to the one before,
    // CM_ACTIVATE to this one) and the controls on the way get CM_EXIT and CM_ENTER.
    // False when the focus went elsewhere meanwhile.
    bool SetFocusedControl(TWinControl* control);
    // A control of the form is being destroyed: the form stops pointing at it.
    void ControlDestroyed(TWinControl& control);

    // OnShortCut, then the main menu's shortcuts; true when one took the key.
    bool IsShortCut(TWMKey& key);

    // Properties.
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle borderStyle);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons borderIcons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState windowState);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool keyPreview) { keyPreview_ = keyPreview; }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);
    bool OldCreateOrder() const { return oldCreateOrder_; }
    void SetOldCreateOrder(bool oldCreateOrder) { oldCreateOrder_ = oldCreateOrder; }
    std::int32_t PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(std::int32_t pixelsPerInch) { pixelsPerInch_ = pixelsPerInch; }
    std::int32_t TextHeight() const { return textHeight_; }
    TCanvas& Canvas() { return *canvas_; }
    // The client area of the window, whether or not it exists yet.
    TRect ClientRect() const override;
    // The window is resized at once so that its client area has that size; while the
    // resource is read, the size is applied once it has been read (with its menu).
    void SetClientWidth(std::int32_t width) override;
    void SetClientHeight(std::int32_t height) override;
    std::int32_t ClientWidthProperty() const { return ClientWidth(); }
    std::int32_t ClientHeightProperty() const { return ClientHeight(); }
    void SetClientWidthProperty(std::int32_t width) { SetClientWidth(width); }
    void SetClientHeightProperty(std::int32_t height) { SetClientHeight(height); }

    // Events.
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TShortCutEvent OnShortCut;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;

    void WndProc(TMessage& message) override;
    // A dialog (a modal form, or one with a dialog border) or a frame, named by its caption.
    bool DescribeAccessible(platform::AccessibleElement& element) override;
    // Reads the body, then applies a client size read from it.
    void ReadOwnState(TReader& reader) override;
    // Offers TextHeight and IgnoreFontProperty.
    void DeclareCustomProperties(TFiler& filer) override;
    // Makes the active control named in the resource the active control when it can
    // take the focus.
    void LoadingFinished() override;
    void EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) override;

protected:
    // The construction step of a derived form class: runs after the resource was read
    // (children exist, fields and handlers are bound) and before OnCreate. Nothing here.
    virtual void ConstructionBody();
    virtual void Activate();
    virtual void Deactivate();
    void DoClose(TCloseAction& action);
    void CreateParams(platform::CreateWindowParams& params) override;
    void CreateHandle() override;
    void PaintWindow(cairo_t* context) override;

private:
    friend void DestroyForm(TCustomForm* form);
    friend class TMainMenu;
    enum FormState : std::uint8_t { fsVisible = 0x2, fsModal = 0x4, fsActivated = 0x8, fsShown = 0x10 };

    void DoCreate();
    void SetActive(bool active);
    void SetWindowFocus();
    // The close step of the modal loop.
    void CloseModal();
    void ApplyPosition();
    std::uint32_t WindowStyle() const;
    std::uint32_t WindowExStyle() const;
    bool HasMenuBar() const;
    // The platform's menu bar follows the main menu (TMainMenu calls it on changes).
    void MenuChanged();
    void ApplyClientSize(std::int32_t width, std::int32_t height);
    void CenterOn(const TRect& area);

    std::unique_ptr<TControlCanvas> canvas_;
    bool readsResource_ = true;
    std::uint8_t formState_ = 0;
    bool creating_ = false;  // its resource is being read
    bool active_ = false;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;  // the control the form's focus is on (or the form)
    TModalResult modalResult_ = mrNone;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = BorderIconBit(biSystemMenu) | BorderIconBit(biMinimize) | BorderIconBit(biMaximize);
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    TMainMenu* menu_ = nullptr;
    bool oldCreateOrder_ = false;
    std::int32_t pixelsPerInch_ = 96;
    std::int32_t textHeight_ = 0;
    // A client size read from the resource, applied once the resource is read (0: none).
    std::int32_t pendingClientWidth_ = 0;
    std::int32_t pendingClientHeight_ = 0;
};

// The form class of the programs: publishes the form's properties and events.
class TForm : public TCustomForm {
    ORVALIS_TYPE_INFO(TForm)

public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
    TForm(TComponent* owner, TNoResource) : TCustomForm(owner, kNoResource) {}
};

// Fires the form's OnDestroy, then destroys it. The application destroys its forms this
// way, and ReleaseLater too; a form deleted otherwise gets no OnDestroy.
void DestroyForm(TCustomForm* form);

}  // namespace orvalis
