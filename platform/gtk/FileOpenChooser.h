#pragma once
// The platform's file-open dialog as a GtkFileChooserDialog: the request's title, its
// filter entries (each pattern matched without regard to case), the selected entry, the
// pre-filled file and folder, multi-selection and the read-only box when asked. It is
// answered from its "response" signal and reports the user's changes of filter, folder
// and selection as they happen. A confirmed choice leaves it open: the platform closes it,
// or refuses the choice and the dialog says why above itself. Like the message box it
// holds no GTK grab.

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/OpenFileDialog.h"

namespace orvalis::platform::gtk {

class GtkBackend;

class FileOpenChooser {
public:
    FileOpenChooser(GtkBackend& backend, int dialog, const OpenFileRequest& request, const FileDialogState& initial,
                    GtkWindow* parent);
    ~FileOpenChooser();
    FileOpenChooser(const FileOpenChooser&) = delete;
    FileOpenChooser& operator=(const FileOpenChooser&) = delete;

    GtkWindow* Window() const { return GTK_WINDOW(widget_); }
    GtkFileChooser* Chooser() const { return GTK_FILE_CHOOSER(widget_); }
    // Says why a confirmed choice was refused, in a box above the dialog.
    void Refuse(const FileDialogRefusal& refusal);

private:
    int FilterIndexOf(GtkFileFilter* filter) const;
    void CloseRefusal();
    // Tells the platform of the files chosen (nothing when there is none).
    void Confirm(const std::vector<std::string>& paths);

    static gboolean FilterAccepts(const GtkFileFilterInfo* info, gpointer patterns);
    static void OnResponse(GtkDialog* dialog, gint response, gpointer self);
    static gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer self);
    static void OnFilterChanged(GObject* chooser, GParamSpec* property, gpointer self);
    static void OnFolderChanged(GtkFileChooser* chooser, gpointer self);
    static void OnSelectionChanged(GtkFileChooser* chooser, gpointer self);
    static void OnRefusalResponse(GtkDialog* dialog, gint response, gpointer self);

    GtkBackend& backend_;
    int dialog_;
    std::string title_;
    GtkWidget* widget_;
    std::vector<GtkFileFilter*> filters_;  // owned by the dialog
    GtkWidget* readOnly_ = nullptr;
    GtkWidget* refusal_ = nullptr;
    // What the platform was last told.
    std::string folder_;
    std::string path_;
    int filterIndex_;
    // The pre-filled file is waiting for GTK to read its folder before it is selected.
    bool preselectionPending_ = false;
};

}  // namespace orvalis::platform::gtk
