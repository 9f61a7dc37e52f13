#pragma once
// A task-modal run (a modal form, a message box, a common dialog): while it lasts the
// program's other visible windows are disabled; when it ends, by return or by exception,
// they are enabled again, then the window that was active is activated again and the
// focus goes back where the run found it.

#include <vector>

#include "platform/Window.h"

namespace orvalis {

class TApplication;

class TTaskModalScope {
public:
    // What the end of the run gives back besides the windows. A modal form gives back
    // the activation only: the form it activates puts the focus on its own control.
    enum class TGivesBack { ActivationAndFocus, Activation };

    // Remembers the active window and the focus, then disables the application's other
    // top-level windows (none without an application).
    TTaskModalScope(TApplication* application, TGivesBack givesBack);
    TTaskModalScope(const TTaskModalScope&) = delete;
    TTaskModalScope& operator=(const TTaskModalScope&) = delete;
    ~TTaskModalScope();

    // The window that was active when the run began.
    platform::HWND ActiveWindow() const { return active_; }
    // The run did not end active (the user went elsewhere): the activation stays there.
    void LeaveActivation() { active_ = 0; }

private:
    platform::HWND active_;
    platform::HWND focus_;
    std::vector<platform::HWND> disabled_;
};

}  // namespace orvalis
