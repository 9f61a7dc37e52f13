#include "framework/CommonDialog.h"

#include "classes/ClassBuilder.h"
#include "framework/Application.h"
#include "framework/TaskModalScope.h"
#include "runtime/ScopedValue.h"

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
    const TTaskModalScope modal(Application, TTaskModalScope::TGivesBack::ActivationAndFocus);
    const ScopedValue running(running_, true);
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
