#pragma once
// The message dialog: a modal form built in code at every call, with a text, the icon
// of its kind, a caption that depends on the kind and a row of buttons chosen among
// eleven. It is laid out from the average character size of its font, centred on the
// screen, run through the application's modal loop and destroyed afterwards.
//
//     if (ShowMessageDialog("Le nom du fichier est incorrect", dkWarning, DialogButtons({dbOK}), 0) == mrOk) ...
//
// Inside the dialog the focus starts on the default button (OK, else Yes, else Retry);
// Enter (without Shift, Ctrl or Alt) presses the focused button, Escape the cancel
// button (Cancel, else No, else OK), and a button's accelerator presses it. The close
// box gives 2. The help button does not close the dialog: it asks the help system for
// the dialog's help context. Ctrl+C beeps and puts the dialog's text on the clipboard,
// framed by lines of dashes (DialogText); a clipboard that cannot be had raises
// Exception "Impossible d'ouvrir le Presse-papiers" (the application reports it and
// the dialog stays).

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "framework/Form.h"

namespace orvalis {

class TLabel;

enum TDialogKind : std::uint8_t { dkWarning, dkError, dkInformation, dkConfirmation, dkCustom };

enum TDialogButton : std::uint8_t {
    dbYes,
    dbNo,
    dbOK,
    dbCancel,
    dbAbort,
    dbRetry,
    dbIgnore,
    dbAll,
    dbNoToAll,
    dbYesToAll,
    dbHelp,
};
inline constexpr int kDialogButtonCount = 11;

// A set of buttons: bit n for button n.
using TDialogButtons = std::uint16_t;
constexpr TDialogButtons DialogButtons(std::initializer_list<TDialogButton> buttons) {
    TDialogButtons set = 0;
    for (TDialogButton button : buttons) set = static_cast<TDialogButtons>(set | (1u << button));
    return set;
}
constexpr bool HasDialogButton(TDialogButtons set, TDialogButton button) { return (set >> button) & 1u; }

class TMessageForm : public TForm {
    ORVALIS_TYPE_INFO(TMessageForm)

public:
    // A bare dialog form (no resource); BuildMessageDialog fills it.
    explicit TMessageForm(TComponent* owner);

    // The label that shows the text.
    TLabel* Message = nullptr;

    std::int32_t HelpContext() const { return helpContext_; }
    void SetHelpContext(std::int32_t context) { helpContext_ = context; }
    // The dialog as text: its caption, its message and its buttons' captions (each
    // followed by three blanks, without "&"), every one of the three between lines of
    // 27 dashes, lines ended by CR LF.
    String DialogText() const;

    // An alert whose description is the message.
    bool DescribeAccessible(platform::AccessibleElement& element) override;

    // The help button's click: the help system is asked for HelpContext.
    void HelpButtonClick(TObject* Sender);
    // The key-down handler of the form (it previews keys): Ctrl+C.
    void CustomKeyDown(TObject* Sender, std::uint16_t& Key, TShiftState Shift);

private:
    std::int32_t helpContext_ = 0;
};

// Builds the dialog, owned by the application, not shown yet.
std::unique_ptr<TMessageForm> BuildMessageDialog(std::string_view text, TDialogKind kind, TDialogButtons buttons);
// Builds the dialog, shows it modally in the middle of the screen and returns the
// modal result of the button pressed (2 for the close box); the dialog is destroyed
// in every case.
TModalResult ShowMessageDialog(std::string_view text, TDialogKind kind, TDialogButtons buttons,
                               std::int32_t helpContext);

// The width of each button kind's caption plus 8, measured in the font of the first
// dialog that showed that button and kept for the rest of the run (0: not yet).
extern std::array<std::int32_t, kDialogButtonCount> ButtonWidthCache;

}  // namespace orvalis
