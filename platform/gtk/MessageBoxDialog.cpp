#include "platform/gtk/MessageBoxDialog.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/NativeInput.h"
#include "platform/gtk/ValidUtf8.h"

namespace orvalis::platform::gtk {

namespace {

constexpr std::pair<int, const char*> kButtonLabels[] = {
    {IDOK, "OK"},           {IDCANCEL, "Annuler"}, {IDABORT, "_Abandonner"}, {IDRETRY, "_Retenter"},
    {IDIGNORE, "_Ignorer"}, {IDYES, "_Oui"},       {IDNO, "_Non"},
};

struct IconKind {
    std::uint32_t flag;
    GtkMessageType type;
    const char* iconName;
};
// By the icon bits of the flags.
constexpr IconKind kIconKinds[] = {
    {MB_ICONHAND, GTK_MESSAGE_ERROR, "dialog-error"},
    {MB_ICONQUESTION, GTK_MESSAGE_QUESTION, "dialog-question"},
    {MB_ICONEXCLAMATION, GTK_MESSAGE_WARNING, "dialog-warning"},
    {MB_ICONASTERISK, GTK_MESSAGE_INFO, "dialog-information"},
};

const IconKind* IconKindOf(std::uint32_t flags) {
    for (const IconKind& kind : kIconKinds)
        if ((flags & MB_ICONMASK) == kind.flag) return &kind;
    return nullptr;
}

// GTK 3 message dialogs show no icon of their own any more: it goes left of the text.
void ShowIcon(GtkMessageDialog* dialog, const char* iconName) {
    GtkWidget* text = gtk_message_dialog_get_message_area(dialog);
    GtkWidget* row = gtk_widget_get_parent(text);
    if (!GTK_IS_BOX(row)) return;
    GtkWidget* image = gtk_image_new_from_icon_name(iconName, GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(image, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
    gtk_box_reorder_child(GTK_BOX(row), image, 0);
    gtk_widget_show(image);
}

}  // namespace

std::optional<int> MessageBoxEscapeAnswer(std::uint32_t flags) {
    std::span<const int> buttons = MessageBoxButtons(flags);
    if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) return IDCANCEL;
    if (buttons.size() == 1 && buttons.front() == IDOK) return IDOK;
    return std::nullopt;
}

const char* MessageBoxButtonLabel(int button) {
    for (const auto& [id, label] : kButtonLabels)
        if (id == button) return label;
    return "OK";
}

MessageBoxDialog::MessageBoxDialog(int dialog, const MessageBoxRequest& request, GtkWindow* parent)
    : dialog_(dialog),
      flags_(request.flags),
      widget_(gtk_message_dialog_new(parent, GtkDialogFlags{},
                                     IconKindOf(request.flags) ? IconKindOf(request.flags)->type : GTK_MESSAGE_OTHER,
                                     GTK_BUTTONS_NONE, "%s", ValidUtf8(request.text).c_str())) {
    if (const IconKind* icon = IconKindOf(flags_)) ShowIcon(GTK_MESSAGE_DIALOG(widget_), icon->iconName);
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
    // The platform closes the box once it has its answer; GTK must not destroy it first.
    g_signal_connect(widget_, "delete-event", G_CALLBACK(gtk_true), nullptr);
    gtk_widget_show(widget_);
}

MessageBoxDialog::~MessageBoxDialog() { gtk_widget_destroy(widget_); }

void MessageBoxDialog::OnResponse(GtkDialog*, gint response, gpointer self) {
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
