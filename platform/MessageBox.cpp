#include "platform/MessageBox.h"

#include <array>

#include "platform/detail/Desktop.h"
#include "platform/detail/DialogRuns.h"

namespace orvalis::platform {

namespace {

struct ButtonSet {
    std::array<int, 3> buttons;
    std::size_t count;
    int dismiss;  // the answer of a box closed without a choice
};

// By the low four bits of the flags.
constexpr ButtonSet kButtonSets[] = {
    {{IDOK}, 1, IDOK},                           // MB_OK
    {{IDOK, IDCANCEL}, 2, IDCANCEL},             // MB_OKCANCEL
    {{IDABORT, IDRETRY, IDIGNORE}, 3, IDABORT},  // MB_ABORTRETRYIGNORE
    {{IDYES, IDNO, IDCANCEL}, 3, IDCANCEL},      // MB_YESNOCANCEL
    {{IDYES, IDNO}, 2, IDNO},                    // MB_YESNO
    {{IDRETRY, IDCANCEL}, 2, IDCANCEL},          // MB_RETRYCANCEL
};

const ButtonSet& ButtonSetOf(std::uint32_t flags) {
    std::size_t type = flags & MB_TYPEMASK;
    return type < std::size(kButtonSets) ? kButtonSets[type] : kButtonSets[MB_OK];
}

}  // namespace

namespace detail {

void HandleMessageBoxAnswer(Desktop& desktop, const BoxAnsweredEvent& event) {
    ++desktop.dialogEvents;
    auto found = desktop.messageBoxes.find(event.dialog);
    if (found == desktop.messageBoxes.end() || found->second->answered) return;
    found->second->answered = true;
    found->second->answer = event.button;
}

}  // namespace detail

std::span<const int> MessageBoxButtons(std::uint32_t flags) {
    const ButtonSet& set = ButtonSetOf(flags);
    return {set.buttons.data(), set.count};
}

int MessageBoxDismissAnswer(std::uint32_t flags) { return ButtonSetOf(flags).dismiss; }

int MessageBox(HWND owner, std::string_view text, std::string_view caption, std::uint32_t flags) {
    detail::Desktop& desktop = detail::UiDesktop();
    int dialog = desktop.nextDialog++;
    detail::MessageBoxRun run;
    const detail::RegisteredDialogRun registered(desktop.messageBoxes, dialog, run,
                                                 [&desktop](int shown) { desktop.backend->CloseMessageBox(shown); });
    desktop.backend->ShowMessageBox(dialog, MessageBoxRequest{owner, std::string(text), std::string(caption), flags});
    detail::RunModalLoop([&] { return run.answered; });
    return run.answered ? run.answer : MessageBoxDismissAnswer(flags);
}

void MessageBeep() { detail::UiDesktop().backend->Beep(); }

}  // namespace orvalis::platform
