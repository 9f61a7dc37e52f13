#pragma once
// The platform's file-open dialog. Like the message box it runs the platform's modal
// loop (timers keep ticking). The request and result keep the original flag values;
// the caller builds the filter entries from its own filter text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace orvalis::platform {

enum : std::uint32_t {
    OFN_READONLY = 0x1,  // also an output: the read-only box was ticked
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_NOCHANGEDIR = 0x8,
    OFN_SHOWHELP = 0x10,
    OFN_ENABLEHOOK = 0x20,
    OFN_NOVALIDATE = 0x100,
    OFN_ALLOWMULTISELECT = 0x200,
    OFN_EXTENSIONDIFFERENT = 0x400,  // an output: the extension differs from the default one
    OFN_PATHMUSTEXIST = 0x800,
    OFN_FILEMUSTEXIST = 0x1000,
    OFN_CREATEPROMPT = 0x2000,
    OFN_SHAREAWARE = 0x4000,
    OFN_NOREADONLYRETURN = 0x8000,
    OFN_NOTESTFILECREATE = 0x10000,
    OFN_NONETWORKBUTTON = 0x20000,
    OFN_NOLONGNAMES = 0x40000,
    OFN_EXPLORER = 0x80000,
    OFN_NODEREFERENCELINKS = 0x100000,
    OFN_ENABLEINCLUDENOTIFY = 0x400000,
    OFN_ENABLESIZING = 0x800000,
    OFN_DONTADDTORECENT = 0x2000000,
    OFN_FORCESHOWHIDDEN = 0x10000000,
};
enum : std::uint32_t { OFN_EX_NOPLACESBAR = 0x1 };

// The two buffer sizes the framework uses, in characters (UTF-8 bytes here).
constexpr std::size_t kFileBufferSize = 260;
constexpr std::size_t kMultiSelectFileBufferSize = 65519;

struct FileFilter {
    std::string description;  // "Fichiers JPEG "
    std::string patterns;     // "*.JPG;*JPEG": matched without regard to case
};

struct OpenFileRequest {
    HWND owner = 0;
    std::string title;  // empty: the platform's own
    std::vector<FileFilter> filters;
    int filterIndex = 1;     // 1-based
    std::string initialDir;  // empty: the folder of fileName, else the working folder
    std::string fileName;    // pre-filled
    std::uint32_t flags = 0;
    std::uint32_t flagsEx = 0;
    std::size_t bufferSize = kFileBufferSize;  // characters the file buffer holds, its zeros included
    std::string defaultExt;                    // without the dot; added to a chosen name that has none
};

struct OpenFileResult {
    // The file buffer as the dialog fills it: the full path of the chosen file; with
    // OFN_ALLOWMULTISELECT and several files, the folder and then each name, every part
    // followed by a zero. The old style (without OFN_EXPLORER) separates them with zeros
    // too, not blanks: its names are long names, which may hold blanks, and a zero is
    // the one byte that no path holds.
    std::string fileBuffer;
    int filterIndex = 1;
    std::uint32_t flags = 0;  // the request's, with OFN_READONLY and OFN_EXTENSIONDIFFERENT set or cleared
};

// What the running dialog shows now.
struct FileDialogState {
    std::string folder;
    std::string path;  // the selected (or typed) file, full path; empty when none
    int filterIndex = 1;
};

// Notifications of the running dialog, called from the queue on the user-interface
// thread (by whichever loop takes the user's action, usually the dialog's own). They
// should not throw: an exception passes out of the queue call that delivered it, and
// when that is the dialog's own loop, the dialog closes as cancelled.
class OpenFileHooks {
public:
    virtual void OnShow() {}
    virtual void OnTypeChange(int filterIndex) { (void)filterIndex; }
    virtual void OnFolderChange() {}
    virtual void OnSelectionChange() {}
    // The user confirmed; false keeps the dialog open.
    virtual bool OnFileOk(const OpenFileResult& chosen) {
        (void)chosen;
        return true;
    }
    virtual void OnClose() {}

protected:
    ~OpenFileHooks() = default;
};

// Why the dialog refused a confirmed choice (it stays open and says so).
struct FileDialogRefusal {
    enum class Reason { FileNotFound, PathNotFound } reason;
    std::string name;
};
// What the dialog says of a refusal: the name, then why, in French.
std::string RefusalText(const FileDialogRefusal& refusal);

// Runs the dialog. True with `result` filled when the user confirmed; false when the
// dialog was cancelled, closed by a WM_QUIT or the end of the session, or failed (the
// chosen names do not fit in the buffer). With OFN_FILEMUSTEXIST (OFN_PATHMUSTEXIST) a
// choice whose files (folder) do not exist is refused and the dialog stays open.
bool GetOpenFileName(const OpenFileRequest& request, OpenFileHooks* hooks, OpenFileResult& result);
// The innermost running dialog's current state; null when none runs.
const FileDialogState* RunningOpenFileDialog();

}  // namespace orvalis::platform
