#include "framework/MessageDialog.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <optional>
#include <span>

#include "classes/ClassBuilder.h"
#include "framework/Application.h"
#include "framework/Button.h"
#include "framework/DialogIcons.h"
#include "framework/HelpSystem.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/Screen.h"
#include "platform/Clipboard.h"
#include "platform/MessageBox.h"
#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace orvalis {

std::array<std::int32_t, kDialogButtonCount> ButtonWidthCache{};

namespace {

struct DialogKindEntry {
    std::optional<ResId> caption;  // none: the application's title
    std::optional<TDialogIcon> icon;
};
constexpr DialogKindEntry kDialogKinds[] = {
    {ResId::WarningCaption, TDialogIcon::Exclamation},
    {ResId::ErrorCaption, TDialogIcon::Stop},
    {ResId::InformationCaption, TDialogIcon::Information},
    {ResId::ConfirmationCaption, TDialogIcon::Question},
    {std::nullopt, std::nullopt},
};

struct DialogButtonEntry {
    std::string_view name;
    ResId caption;
    TModalResult result;
};
constexpr DialogButtonEntry kDialogButtons[kDialogButtonCount] = {
    {"Yes", ResId::YesButton, 6},         {"No", ResId::NoButton, 7},
    {"OK", ResId::OKButton, 1},           {"Cancel", ResId::CancelButton, 2},
    {"Abort", ResId::AbortButton, 3},     {"Retry", ResId::RetryButton, 4},
    {"Ignore", ResId::IgnoreButton, 5},   {"All", ResId::AllButton, 8},
    {"NoToAll", ResId::NoToAllButton, 9}, {"YesToAll", ResId::YesToAllButton, 10},
    {"Help", ResId::HelpButton, 0},
};

// The default button and the cancel button: the first of each list in the set.
constexpr TDialogButton kDefaultChoices[] = {dbOK, dbYes, dbRetry};
constexpr TDialogButton kCancelChoices[] = {dbCancel, dbNo, dbOK};

std::optional<TDialogButton> FirstIn(TDialogButtons set, std::span<const TDialogButton> choices) {
    for (TDialogButton button : choices)
        if (HasDialogButton(set, button)) return button;
    return std::nullopt;
}

// a × b / c rounded to the nearest integer, halves away from zero.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    const std::int64_t product = std::int64_t{a} * b;
    const std::int64_t half = c / 2;
    return static_cast<std::int32_t>((product >= 0 ? product + half : product - half) / c);
}

// The average width of a character (of the 52 letters) and the height of a line.
TSize AverageCharSize(TCanvas& canvas) {
    const TSize extent = canvas.TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {extent.cx / 52, extent.cy};
}

constexpr std::string_view kDashLine = "---------------------------\r\n";

// The margins and spacings of the dialog, in proportion to its font's average character.
struct DialogSpacing {
    std::int32_t horizontalMargin;
    std::int32_t verticalMargin;
    std::int32_t horizontalSpacing;
    std::int32_t verticalSpacing;
    std::int32_t buttonHeight;
    std::int32_t buttonSpacing;
};

DialogSpacing SpacingFor(TSize average) {
    return {MulDiv(8, average.cx, 4),  MulDiv(8, average.cy, 8),  MulDiv(10, average.cx, 4),
            MulDiv(10, average.cy, 8), MulDiv(14, average.cy, 8), MulDiv(4, average.cx, 4)};
}

// The width of every button of the set: the widest caption's (measured once per button
// kind), and at least 50 quarters of the average character.
std::int32_t ButtonWidth(TCanvas& canvas, TDialogButtons buttons, TSize average) {
    std::int32_t buttonWidth = MulDiv(50, average.cx, 4);
    for (int button = 0; button < kDialogButtonCount; ++button) {
        if (!HasDialogButton(buttons, static_cast<TDialogButton>(button))) continue;
        std::int32_t& cached = ButtonWidthCache[static_cast<std::size_t>(button)];
        if (cached == 0) {
            TRect rect{0, 0, 0, 0};
            canvas.DrawText(LoadResString(kDialogButtons[button].caption), rect, DT_CALCRECT | DT_LEFT | DT_SINGLELINE);
            cached = rect.Right - rect.Left + 8;
        }
        buttonWidth = std::max(buttonWidth, cached);
    }
    return buttonWidth;
}

// The size of the message, its lines broken at half the screen's width. It is shown as
// it is: a "&" in it (a file name) marks no accelerator.
TSize MessageExtent(TCanvas& canvas, std::string_view text) {
    TRect textRect{0, 0, Screen->Width() / 2, 0};
    canvas.DrawText(text, textRect, DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return {textRect.Right, textRect.Bottom};
}

void AddIcon(TMessageForm& form, TDialogIcon icon, const DialogSpacing& spacing) {
    auto* image = new TImage(&form);
    image->SetName("Image");
    image->SetParent(&form);
    PaintDialogIcon(image->Picture()->Bitmap(), icon);
    image->SetBounds(spacing.horizontalMargin, spacing.verticalMargin, kDialogIconSize, kDialogIconSize);
}

void AddMessage(TMessageForm& form, std::string_view text, TPoint origin, TSize size) {
    auto* message = new TLabel(&form);
    message->SetName("Message");
    message->SetParent(&form);
    message->SetShowAccelChar(false);
    message->SetWordWrap(true);
    message->SetCaption(String(text));
    message->SetBounds(origin.X, origin.Y, size.cx, size.cy);
}

// The buttons of the set in their order, side by side from `origin`; the default one
// has the focus.
void AddButtons(TMessageForm& form, TDialogButtons buttons, TPoint origin, TSize buttonSize, std::int32_t spacing) {
    const std::optional<TDialogButton> defaultButton = FirstIn(buttons, kDefaultChoices);
    const std::optional<TDialogButton> cancelButton = FirstIn(buttons, kCancelChoices);
    std::int32_t x = origin.X;
    for (int index = 0; index < kDialogButtonCount; ++index) {
        const auto buttonKind = static_cast<TDialogButton>(index);
        if (!HasDialogButton(buttons, buttonKind)) continue;
        const DialogButtonEntry& entry = kDialogButtons[index];
        auto* button = new TButton(&form);
        button->SetName(String(entry.name));
        button->SetParent(&form);
        button->SetCaption(String(LoadResString(entry.caption)));
        button->SetModalResult(entry.result);
        if (buttonKind == defaultButton) {
            button->SetDefault(true);
            // Enter presses the button that shows as the default one.
            form.SetActiveControl(button);
        }
        if (buttonKind == cancelButton) button->SetCancel(true);
        button->SetBounds(x, origin.Y, buttonSize.cx, buttonSize.cy);
        x += buttonSize.cx + spacing;
        if (buttonKind == dbHelp) button->OnClick = TNotifyEvent(&form, &TMessageForm::HelpButtonClick);
    }
}

}  // namespace

const TClassInfo& TMessageForm::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TMessageForm, TForm>("TMessageForm")
                                       .Field("Message", &TMessageForm::Message)
                                       .Method("HelpButtonClick", &TMessageForm::HelpButtonClick)
                                       .Method("CustomKeyDown", &TMessageForm::CustomKeyDown);
    return info;
}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner, kNoResource) {}

bool TMessageForm::DescribeAccessible(platform::AccessibleElement& element) {
    TForm::DescribeAccessible(element);
    // Its message is said from its label, once: as a description too it would be said twice.
    element.role = platform::AccessibleRole::Alert;
    return true;
}

String TMessageForm::DialogText() const {
    String buttons;
    for (int i = 0; i < ComponentCount(); ++i)
        if (const auto* button = dynamic_cast<const TButton*>(Components(i))) {
            buttons += button->Caption();
            buttons += "   ";
        }
    std::string withoutAmpersands(buttons.View());
    std::erase(withoutAmpersands, '&');
    String text(kDashLine);
    text += Caption();
    text += "\r\n";
    text += kDashLine;
    if (Message) text += Message->Caption();
    text += "\r\n";
    text += kDashLine;
    text += withoutAmpersands;
    text += "\r\n";
    text += kDashLine;
    return text;
}

void TMessageForm::HelpButtonClick(TObject*) { RequestHelp(helpContext_); }

void TMessageForm::CustomKeyDown(TObject*, std::uint16_t& Key, TShiftState Shift) {
    if ((Shift & (ssShift | ssCtrl | ssAlt)) != ssCtrl || Key != 'C') return;
    platform::MessageBeep();
    if (!platform::SetClipboardText(DialogText().View())) throw Exception(ResId::CannotOpenClipboard);
}

std::unique_ptr<TMessageForm> BuildMessageDialog(std::string_view text, TDialogKind kind, TDialogButtons buttons) {
    assert(Application && "a message dialog belongs to the application");
    auto form = std::make_unique<TMessageForm>(Application);
    form->AfterConstruction();
    form->SetBorderStyle(bsDialog);
    form->SetKeyPreview(true);
    form->OnKeyDown = TKeyEvent(form.get(), &TMessageForm::CustomKeyDown);
    TCanvas& canvas = form->Canvas();
    canvas.SetFont(*form->Font());

    const TSize average = AverageCharSize(canvas);
    const DialogSpacing spacing = SpacingFor(average);
    const std::int32_t buttonWidth = ButtonWidth(canvas, buttons, average);
    const TSize textSize = MessageExtent(canvas, text);
    const DialogKindEntry& kindEntry = kDialogKinds[kind];
    // The icon, when the kind has one, stands left of the text.
    TSize iconText = textSize;
    if (kindEntry.icon) {
        iconText.cx += kDialogIconSize + spacing.horizontalSpacing;
        iconText.cy = std::max(iconText.cy, kDialogIconSize);
    }
    const int buttonCount = std::popcount(static_cast<unsigned>(buttons & ((1u << kDialogButtonCount) - 1)));
    const std::int32_t buttonGroupWidth =
        buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * spacing.buttonSpacing;

    form->SetClientWidth(std::max(iconText.cx, buttonGroupWidth) + 2 * spacing.horizontalMargin);
    form->SetClientHeight(iconText.cy + spacing.buttonHeight + spacing.verticalSpacing + 2 * spacing.verticalMargin);
    form->SetBounds(Screen->Width() / 2 - form->Width() / 2, Screen->Height() / 2 - form->Height() / 2, form->Width(),
                    form->Height());
    form->SetCaption(kindEntry.caption ? String(LoadResString(*kindEntry.caption)) : Application->AppTitle());

    if (kindEntry.icon) AddIcon(*form, *kindEntry.icon, spacing);
    AddMessage(*form, text, {iconText.cx - textSize.cx + spacing.horizontalMargin, spacing.verticalMargin}, textSize);
    const TPoint buttonsOrigin{(form->ClientWidth() - buttonGroupWidth) / 2,
                               iconText.cy + spacing.verticalMargin + spacing.verticalSpacing};
    AddButtons(*form, buttons, buttonsOrigin, {buttonWidth, spacing.buttonHeight}, spacing.buttonSpacing);
    return form;
}

TModalResult ShowMessageDialog(std::string_view text, TDialogKind kind, TDialogButtons buttons,
                               std::int32_t helpContext) {
    const std::unique_ptr<TMessageForm> form = BuildMessageDialog(text, kind, buttons);
    form->SetHelpContext(helpContext);
    form->SetPosition(poScreenCenter);
    return form->ShowAsModal();
}

}  // namespace orvalis
