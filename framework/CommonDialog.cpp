#include "framework/CommonDialog.h"

#include "framework/Application.h"
#include "classes/ClassBuilder.h"
#include "platform/Focus.h"
#include "platform/Window.h"

namespace orvalis {

const TClassInfo& TCommonDialog::StaticClassInfo() {
    static const TClassInfo info =
        DescribeClass<TCommonDialog, TComponent>("TCommonDialog")
            .Property("Ctl3D", &TCommonDialog::Ctl3D, &TCommonDialog::SetCtl3D)
            .Default(true)
            .Property("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext)
            .Default(0)
            .Property("OnClose", &TCommonDialog::OnClose)
            .Property("OnShow", &TCommonDialog::OnShow);
    return info;
}

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

TCommonDialog::~TCommonDialog() = default;

bool TCommonDialog::RunTaskModal(const std::function<bool()>& platformDialog) {
    // Whatever happens, the windows, the activation and the focus come back.
    struct Restore {
        TCommonDialog& dialog;
        HWND active;
        HWND focus;
        std::vector<HWND> disabled;
        ~Restore() {
            dialog.running_ = false;
            if (Application) Application->EnableTaskWindows(disabled);
            if (active && platform::IsWindow(active)) platform::SetActiveWindow(active);
            if (focus && platform::IsWindow(focus)) platform::SetFocus(focus);
        }
    } restore{*this, platform::GetActiveWindow(), platform::GetFocus(),
              Application ? Application->DisableTaskWindows() : std::vector<HWND>{}};
    running_ = true;
    return platformDialog();
}

void TCommonDialog::DoShow() {
    if (OnShow) OnShow(this);
}

void TCommonDialog::DoClose() {
    if (OnClose) OnClose(this);
}

void TCommonDialog::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (...) {
        HandleUncaughtException(this);
    }
}

}  // namespace orvalis
