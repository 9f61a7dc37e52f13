#pragma once
// Internal: the platform's message boxes and file dialogs while they run, the handling
// of their backend's reports (MessageBox.cpp, OpenFileDialog.cpp), and the modal loop
// they run (ModalLoop.cpp).

#include <functional>
#include <map>
#include <utility>

#include "platform/OpenFileDialog.h"
#include "platform/detail/NativeEvents.h"

namespace orvalis::platform::detail {

struct Desktop;

// A message box or file dialog while its modal loop runs.
struct MessageBoxRun {
    bool answered = false;
    int answer = 0;
};
struct FileDialogRun {
    const OpenFileRequest* request = nullptr;
    OpenFileHooks* hooks = nullptr;
    FileDialogState state;
    bool finished = false;
    bool confirmed = false;
    OpenFileResult result;
};

// A dialog's run entered in its desktop's list under the dialog's number for as long as
// the scope lasts, so that the backend's reports find it; when the scope ends, by return
// or by exception, it leaves the list and `closeDialog` takes the dialog off the screen.
template <class Run, class CloseDialog>
class RegisteredDialogRun {
public:
    RegisteredDialogRun(std::map<int, Run*>& runs, int dialog, Run& run, CloseDialog closeDialog)
        : runs_(runs), dialog_(dialog), closeDialog_(std::move(closeDialog)) {
        runs_.emplace(dialog_, &run);
    }
    RegisteredDialogRun(const RegisteredDialogRun&) = delete;
    RegisteredDialogRun& operator=(const RegisteredDialogRun&) = delete;
    ~RegisteredDialogRun() {
        runs_.erase(dialog_);
        closeDialog_(dialog_);
    }

private:
    std::map<int, Run*>& runs_;
    int dialog_;
    CloseDialog closeDialog_;
};

void HandleMessageBoxAnswer(Desktop& desktop, const BoxAnsweredEvent& event);
void HandleFileDialogEvent(Desktop& desktop, const NativeEvent& event);

// Pumps the queue (peek, translate, dispatch; wait when empty) until `done` holds, a
// WM_QUIT is taken (it is posted again for the loop outside) or the session ends.
// Returns done().
bool RunModalLoop(const std::function<bool()>& done);

}  // namespace orvalis::platform::detail
