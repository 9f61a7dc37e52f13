// The layout of the viewer's dialogs on the headless backend, as assistive tools are given
// it: for the options dialog and the message dialog that a view which is no picture
// brings, each element of the dialog's description (docs/accessibility.md) on a line of
// its own, "<dialog>\t<name>\t<left> <top> <width> <height>", in the dialog's client
// area. The theme scenario compares the desktop's layout, read on the accessibility bus,
// with these.

#include <cstdio>
#include <string_view>

#include "app/UOptions.h"
#include "framework/AccessibleTree.h"
#include "framework/Application.h"
#include "framework/MessageDialog.h"
#include "framework/Program.h"
#include "platform/headless/HeadlessSession.h"

namespace {

using namespace orvalis;

void PrintElements(std::string_view dialog, const platform::AccessibleElement& element) {
    const platform::Rect& r = element.bounds;
    std::printf("%.*s\t%s\t%d %d %d %d\n", static_cast<int>(dialog.size()), dialog.data(), element.name.c_str(), r.left,
                r.top, r.Width(), r.Height());
    for (const platform::AccessibleElement& child : element.children) PrintElements(dialog, child);
}

void PrintDialog(std::string_view dialog, TCustomForm& form) {
    platform::AccessibleElement root;
    DescribeForm(form, root);
    for (const platform::AccessibleElement& child : root.children) PrintElements(dialog, child);
}

}  // namespace

int main() {
    platform::headless::HeadlessSession session;
    return RunProgram([](TApplication& application) {
        application.Startup();
        application.CreateAppForm(Options);
        PrintDialog("options", *Options);
        // The error a view that is no picture brings ("pa": 70-61).
        PrintDialog("message",
                    *BuildMessageDialog("Format d'image non reconnu (70-61)", dkError, DialogButtons({dbOK})));
    });
}
