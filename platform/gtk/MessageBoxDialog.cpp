#include "platform/gtk/MessageBoxDialog.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/NativeInput.h"
#include "platform/gtk/ValidUtf8.h"

namespace orvalis::platform::gtk {

namespace {

constexpr std::pair<int, const char*> kButtonLabels[] = {
    {IDOK, "OK"},        {IDCANCEL, "Annuler"}, {IDABORT, "_Abandonner"}, {IDRETRY, "_Retenter"},
    {IDIGNORE, "_Ignorer"}, {IDYES, "_Oui"},    {IDNO, "_Non"},
};

// By the icon bits of the flags.
constexpr std::pair<std::uint32_t, GtkMessageType> kIconTypes[] = {
    {MB_ICONHAND, GTK_MESSAGE_ERROR},
    {MB_ICONQUESTION, GTK_MESSAGE_QUESTION},
    {MB_ICONEXCLAMATION, GTK_MESSAGE_WARNING},
    {MB_ICONASTERISK, GTK_MESSAGE_INFO},
};

GtkMessageType IconTypeOf(std::uint32_t flags)
{
    for (const auto& [icon, type] : kIconTypes)
        if ((flags & MB_ICONMASK) == icon) return type;
    return GTK_MESSAGE_OTHER;
}

}  // namespace

std::optional<int> MessageBoxEscapeAnswer(std::uint32_t flags)
{
    std::span<const int> buttons = MessageBoxButtons(flags);
    if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) return IDCANCEL;
    if (buttons.size() == 1 && buttons.front() == IDOK) return IDOK;
    return std::nullopt;
}

const char* MessageBoxButtonLabel(int button)
{
    for (const auto& [id, label] : kButtonLabels)
        if (id == button) return label;
    return "OK";
}

MessageBoxDialog::MessageBoxDialog(int dialog, const MessageBoxRequest& request, GtkWindow* parent)
    : dialog_(dialog),
      flags_(request.flags),
      widget_(gtk_message_dialog_new(parent, GtkDialogFlags{}, IconTypeOf(request.flags), GTK_BUTTONS_NONE, "%s",
                                     ValidUtf8(request.text).c_str()))
{
    gtk_window_set_title(Window(), ValidUtf8(request.caption).c_str());
    std::span<const int> buttons = MessageBoxButtons(flags_);
    for (int button : buttons) gtk_dialog_add_button(GTK_DIALOG(widget_), MessageBoxButtonLabel(button), button);
    std::size_t chosen = (flags_ & MB_DEFMASK) >> 8;
    int defaultButton = buttons[chosen < buttons.size() ? chosen : 0];
    gtk_dialog_set_default_response(GTK_DIALOG(widget_), defaultButton);
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(widget_), defaultButton));
    gtk_window_set_deletable(Window(), MessageBoxEscapeAnswer(flags_).has_value());
    gtk_window_set_position(Window(), parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    g_signal_connect(widget_, "response", G_CALLBACK(OnResponse), this);
    gtk_widget_show(widget_);
}

MessageBoxDialog::~MessageBoxDialog()
{
    gtk_widget_destroy(widget_);
}

void MessageBoxDialog::OnResponse(GtkDialog*, gint response, gpointer self)
{
    auto& box = *static_cast<MessageBoxDialog*>(self);
    if (box.answered_) return;
    int answer = response;
    if (response <= 0) {
        // Escape or the close box.
        std::optional<int> escape = MessageBoxEscapeAnswer(box.flags_);
        if (!escape) return;
        answer = *escape;
    }
    box.answered_ = true;
    native::MessageBoxAnswered(box.dialog_, answer);
}

}  // namespace orvalis::platform::gtk
