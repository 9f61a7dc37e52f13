#include "platform/gtk/FileOpenChooser.h"

#include <string_view>
#include <utility>

#include "platform/NativeInput.h"
#include "platform/gtk/FilePatterns.h"
#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/ValidUtf8.h"
#include "platform/gtk/WorkArea.h"

namespace orvalis::platform::gtk {

namespace {

constexpr const char* kDefaultTitle = "Ouvrir";

FileOpenChooser& Self(gpointer self) { return *static_cast<FileOpenChooser*>(self); }

// Takes a string that GLib allocated; empty for null.
std::string Adopt(gchar* text) {
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::string DirectoryOf(const std::string& path) { return Adopt(g_path_get_dirname(path.c_str())); }

// GTK sizes the chooser for a desktop screen: on a small or high-density one "Ouvrir" and
// the filter would be out of reach. Bounded once realised, over the window it belongs to.
void OnRealize(GtkWidget* dialog, gpointer) { BoundToWorkArea(GTK_WINDOW(dialog)); }

// A key that writes a character into a text field (not a shortcut, not Enter or Tab).
bool TypesCharacter(const GdkEventKey& event) {
    if ((event.state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) != 0) return false;
    gunichar character = gdk_keyval_to_unicode(event.keyval);
    return character >= 0x20 && character != 0x7F;
}

}  // namespace

FileOpenChooser::FileOpenChooser(GtkBackend& backend, int dialog, const OpenFileRequest& request,
                                 const FileDialogState& initial, GtkWindow* parent)
    : backend_(backend),
      dialog_(dialog),
      title_(request.title.empty() ? kDefaultTitle : ValidUtf8(request.title)),
      widget_(gtk_file_chooser_dialog_new(title_.c_str(), parent, GTK_FILE_CHOOSER_ACTION_OPEN, "_Annuler",
                                          GTK_RESPONSE_CANCEL, "_Ouvrir", GTK_RESPONSE_ACCEPT, nullptr)),
      folder_(initial.folder),
      path_(initial.path),
      filterIndex_(initial.filterIndex) {
    GtkFileChooser* chooser = Chooser();
    gtk_dialog_set_default_response(GTK_DIALOG(widget_), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_select_multiple(chooser, (request.flags & OFN_ALLOWMULTISELECT) != 0);
    gtk_file_chooser_set_show_hidden(chooser, (request.flags & OFN_FORCESHOWHIDDEN) != 0);
    for (const FileFilter& entry : request.filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, ValidUtf8(entry.description).c_str());
        gtk_file_filter_add_custom(filter, GtkFileFilterFlags(GTK_FILE_FILTER_FILENAME | GTK_FILE_FILTER_DISPLAY_NAME),
                                   FilterAccepts, new std::string(entry.patterns),
                                   [](gpointer patterns) { delete static_cast<std::string*>(patterns); });
        gtk_file_chooser_add_filter(chooser, filter);
        filters_.push_back(filter);
    }
    if (initial.filterIndex >= 1 && initial.filterIndex <= static_cast<int>(filters_.size()))
        gtk_file_chooser_set_filter(chooser, filters_[initial.filterIndex - 1]);
    if (!(request.flags & OFN_HIDEREADONLY)) {
        readOnly_ = gtk_check_button_new_with_mnemonic("Ouvrir en _lecture seule");
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(readOnly_), (request.flags & OFN_READONLY) != 0);
        gtk_file_chooser_set_extra_widget(chooser, readOnly_);
    }
    if (!initial.path.empty() && g_file_test(initial.path.c_str(), G_FILE_TEST_IS_REGULAR)) {
        gtk_file_chooser_set_filename(chooser, initial.path.c_str());
        preselectionPending_ = true;
    } else if (!initial.folder.empty())
        gtk_file_chooser_set_current_folder(chooser, initial.folder.c_str());

    gtk_window_set_position(Window(), parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    g_signal_connect(widget_, "response", G_CALLBACK(OnResponse), this);
    g_signal_connect(widget_, "key-press-event", G_CALLBACK(OnKeyPress), this);
    // Escape and the close box only answer: the platform closes the dialog.
    g_signal_connect(widget_, "delete-event", G_CALLBACK(gtk_true), nullptr);
    g_signal_connect(widget_, "notify::filter", G_CALLBACK(OnFilterChanged), this);
    g_signal_connect(widget_, "current-folder-changed", G_CALLBACK(OnFolderChanged), this);
    g_signal_connect(widget_, "selection-changed", G_CALLBACK(OnSelectionChanged), this);
    // After GTK's own sizing, which reckons with a desktop-sized screen.
    g_signal_connect_after(widget_, "realize", G_CALLBACK(OnRealize), nullptr);
    gtk_widget_show(widget_);
}

FileOpenChooser::~FileOpenChooser() {
    CloseRefusal();
    gtk_widget_destroy(widget_);
}

void FileOpenChooser::Refuse(const FileDialogRefusal& refusal) {
    CloseRefusal();
    refusal_ = gtk_message_dialog_new(Window(), GtkDialogFlags{}, GTK_MESSAGE_WARNING, GTK_BUTTONS_NONE, "%s",
                                      ValidUtf8(RefusalText(refusal)).c_str());
    gtk_dialog_add_button(GTK_DIALOG(refusal_), "OK", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(refusal_), GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(refusal_), title_.c_str());
    gtk_window_set_position(GTK_WINDOW(refusal_), GTK_WIN_POS_CENTER_ON_PARENT);
    g_signal_connect(refusal_, "response", G_CALLBACK(OnRefusalResponse), this);
    g_signal_connect(refusal_, "delete-event", G_CALLBACK(gtk_true), nullptr);
    gtk_widget_show(refusal_);
    backend_.DialogShown(GTK_WINDOW(refusal_));
}

void FileOpenChooser::CloseRefusal() {
    if (!refusal_) return;
    backend_.DialogClosing(GTK_WINDOW(refusal_));
    gtk_widget_destroy(std::exchange(refusal_, nullptr));
}

int FileOpenChooser::FilterIndexOf(GtkFileFilter* filter) const {
    for (std::size_t i = 0; i < filters_.size(); ++i)
        if (filters_[i] == filter) return static_cast<int>(i) + 1;
    return 0;
}

gboolean FileOpenChooser::FilterAccepts(const GtkFileFilterInfo* info, gpointer patterns) {
    std::string name = (info->contains & GTK_FILE_FILTER_FILENAME) && info->filename
                           ? Adopt(g_path_get_basename(info->filename))
                           : (info->display_name ? info->display_name : "");
    return MatchesFilterPatterns(name, *static_cast<const std::string*>(patterns));
}

void FileOpenChooser::OnResponse(GtkDialog*, gint response, gpointer self) {
    FileOpenChooser& chooser = Self(self);
    if (response != GTK_RESPONSE_ACCEPT) {
        native::FileDialogCancelled(chooser.dialog_);
        return;
    }
    std::vector<std::string> paths;
    GSList* files = gtk_file_chooser_get_filenames(chooser.Chooser());
    for (GSList* file = files; file; file = file->next) paths.push_back(Adopt(static_cast<gchar*>(file->data)));
    g_slist_free(files);
    chooser.Confirm(paths);
}

gboolean FileOpenChooser::OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer self) {
    FileOpenChooser& chooser = Self(self);
    // GTK selects the pre-filled file only once it has read its folder, and then writes the
    // file's name into the location entry over whatever the user has typed there meanwhile
    // (a large folder takes seconds): the first character typed before that drops it.
    if (chooser.preselectionPending_ && TypesCharacter(*event)) {
        chooser.preselectionPending_ = false;
        gtk_file_chooser_unselect_all(chooser.Chooser());
    }
    // GTK checks a path typed into its location entry in the background and forgets the
    // check when the folder it shows changes meanwhile: Enter pressed right after typing
    // the whole path of a file in another folder would be lost. Such a path, naming a
    // file that exists, is confirmed at once.
    constexpr guint kModifiers = GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK;
    if ((event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter && event->keyval != GDK_KEY_ISO_Enter) ||
        (event->state & kModifiers) != 0)
        return FALSE;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    if (!GTK_IS_ENTRY(focus)) return FALSE;
    std::string path = Adopt(g_filename_from_utf8(gtk_entry_get_text(GTK_ENTRY(focus)), -1, nullptr, nullptr, nullptr));
    if (!g_path_is_absolute(path.c_str()) || !g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR)) return FALSE;
    chooser.Confirm({path});
    return TRUE;
}

void FileOpenChooser::Confirm(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    // One folder and the names within it; a name found elsewhere (a search, the recent
    // files) keeps its whole path.
    std::string folder = DirectoryOf(paths.front());
    if (paths.size() > 1) {
        std::string current = Adopt(gtk_file_chooser_get_current_folder(Chooser()));
        if (!current.empty()) folder = current;
    }
    std::vector<std::string> names;
    for (const std::string& path : paths)
        names.push_back(DirectoryOf(path) == folder ? Adopt(g_path_get_basename(path.c_str())) : path);
    bool readOnly = readOnly_ && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(readOnly_));
    native::FileDialogConfirmed(dialog_, std::move(folder), std::move(names), readOnly);
}

void FileOpenChooser::OnFilterChanged(GObject*, GParamSpec*, gpointer self) {
    FileOpenChooser& chooser = Self(self);
    int index = chooser.FilterIndexOf(gtk_file_chooser_get_filter(chooser.Chooser()));
    if (index == 0 || index == chooser.filterIndex_) return;
    chooser.filterIndex_ = index;
    native::FileDialogFilterChanged(chooser.dialog_, index);
}

void FileOpenChooser::OnFolderChanged(GtkFileChooser* widget, gpointer self) {
    FileOpenChooser& chooser = Self(self);
    std::string folder = Adopt(gtk_file_chooser_get_current_folder(widget));
    if (folder.empty() || folder == chooser.folder_) return;
    chooser.folder_ = folder;
    native::FileDialogFolderChanged(chooser.dialog_, std::move(folder));
}

void FileOpenChooser::OnSelectionChanged(GtkFileChooser* widget, gpointer self) {
    FileOpenChooser& chooser = Self(self);
    std::string path = Adopt(gtk_file_chooser_get_filename(widget));
    if (!path.empty()) chooser.preselectionPending_ = false;
    if (path == chooser.path_) return;
    chooser.path_ = path;
    native::FileDialogSelectionChanged(chooser.dialog_, std::move(path));
}

void FileOpenChooser::OnRefusalResponse(GtkDialog*, gint, gpointer self) { Self(self).CloseRefusal(); }

}  // namespace orvalis::platform::gtk
