#pragma once
// TCommonDialog: the base of the components that run one of the platform's own
// dialogs (the file-open dialog). It publishes Ctl3D (kept only: the platform draws its
// dialogs its own way), HelpContext, and the events OnShow (the dialog appeared) and
// OnClose (it went, whatever the answer). The run is modal for the whole program:
// the other windows are disabled meanwhile, and the active window and the focus come
// back afterwards, in every case.

#include <cstdint>
#include <functional>

#include "classes/Component.h"
#include "classes/Events.h"

namespace orvalis {

class TCommonDialog : public TComponent {
    ORVALIS_TYPE_INFO(TCommonDialog)

public:
    explicit TCommonDialog(TComponent* owner);
    ~TCommonDialog() override;

    // Runs the dialog; true when the user confirmed.
    virtual bool RunDialog() = 0;

    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool ctl3D) { ctl3D_ = ctl3D; }
    std::int32_t HelpContext() const { return helpContext_; }
    void SetHelpContext(std::int32_t context) { helpContext_ = context; }
    // Whether the dialog is on the screen now.
    bool Running() const { return running_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    // Runs `platformDialog` modally for the whole program: the other windows disabled,
    // then, also after an exception, enabled again, the remembered active window
    // activated and the focus restored.
    bool RunTaskModal(const std::function<bool()>& platformDialog);
    void DoShow();
    void DoClose();
    // Runs a handler on behalf of the platform's dialog: an exception goes to the
    // application's report (the dialog as sender) and the dialog goes on.
    void Guarded(const std::function<void()>& handler);

private:
    bool ctl3D_ = true;
    std::int32_t helpContext_ = 0;
    bool running_ = false;
};

}  // namespace orvalis
