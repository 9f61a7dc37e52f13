#pragma once
// The platform's message box as a GtkMessageDialog: the caption as title, the text, the
// icon and the buttons the flags ask for, with their French labels. It is answered from
// its "response" signal. It holds no GTK grab: the platform keeps the program's other
// windows out of reach (their owner disables them), and a window that the program opens
// above the box meanwhile (a timer's message) must stay usable. Escape and the close box
// answer the way the platform's box always has: Cancel when there is one, OK when OK is
// the only button, and nothing otherwise (a Yes/No box waits for Yes or No).

#include <gtk/gtk.h>

#include <cstdint>
#include <optional>

#include "platform/MessageBox.h"

namespace orvalis::platform::gtk {

// The answer of Escape or of the close box; none when the box cannot be dismissed.
std::optional<int> MessageBoxEscapeAnswer(std::uint32_t flags);
// The label of a button ("_Oui" for IDYES).
const char* MessageBoxButtonLabel(int button);

class MessageBoxDialog {
public:
    MessageBoxDialog(int dialog, const MessageBoxRequest& request, GtkWindow* parent);
    ~MessageBoxDialog();
    MessageBoxDialog(const MessageBoxDialog&) = delete;
    MessageBoxDialog& operator=(const MessageBoxDialog&) = delete;

    GtkWindow* Window() const { return GTK_WINDOW(widget_); }

private:
    static void OnResponse(GtkDialog* dialog, gint response, gpointer self);

    int dialog_;
    std::uint32_t flags_;
    GtkWidget* widget_;
    bool answered_ = false;
};

}  // namespace orvalis::platform::gtk
