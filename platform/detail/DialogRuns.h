#pragma once
// Internal: the platform's message boxes and file dialogs while they run, the handling
// of their backend's reports (MessageBox.cpp, OpenFileDialog.cpp), and the modal loop
// they run (ModalLoop.cpp).

#include <functional>

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

void HandleMessageBoxAnswer(Desktop& desktop, const BoxAnsweredEvent& event);
void HandleFileDialogEvent(Desktop& desktop, const NativeEvent& event);

// Pumps the queue (peek, translate, dispatch; wait when empty) until `done` holds, a
// WM_QUIT is taken (it is posted again for the loop outside) or the session ends.
// Returns done().
bool RunModalLoop(const std::function<bool()>& done);

}  // namespace orvalis::platform::detail
