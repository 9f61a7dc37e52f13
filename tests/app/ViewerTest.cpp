#include "tests/app/ViewerTest.h"

#include <algorithm>
#include <cstdlib>

#include "app/MainOrvalis.h"
#include "app/ViewerStartup.h"
#include "framework/Label.h"
#include "framework/MessageDialog.h"
#include "framework/Program.h"
#include "framework/Screen.h"
#include "platform/Menu.h"
#include "platform/Window.h"
#include "platform/headless/Inspection.h"

namespace orvalis::test {

int ViewerTest::RunTheViewer(const std::string& fileAtStart) { return RunViewer(fileAtStart); }

void ViewerTest::RunInProgram(const std::function<void()>& body) {
    RunProgram([&](TApplication&) { body(); });
}

std::vector<Seen> ViewerTest::MessageDialogs() {
    std::vector<Seen> dialogs;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        auto* dialog = dynamic_cast<TMessageForm*>(Screen->Forms(i));
        if (dialog && dialog->Visible())
            dialogs.emplace_back(dialog->Caption().ToStdString(), dialog->Message->Caption().ToStdString());
    }
    return dialogs;
}

std::vector<Seen> ViewerTest::ErrorBoxes() const {
    std::vector<Seen> boxes;
    for (const auto& record : backend.MessageBoxLog()) boxes.emplace_back(record.request.caption, record.request.text);
    return boxes;
}

std::string ViewerTest::MainCaption() { return platform::GetWindowText(Orvalis->Handle()); }

std::pair<int, int> ViewerTest::MainClientSize() {
    const platform::Rect client = platform::GetClientRect(Orvalis->Handle());
    return {client.right - client.left, client.bottom - client.top};
}

int ViewerTest::MenuBarWidth() { return platform::GetMenuBarWidth(Orvalis->Handle()); }

std::pair<int, int> ViewerTest::ClientSizeFor(int pictureWidth, int pictureHeight) {
    return {std::max(pictureWidth, MenuBarWidth()), pictureHeight};
}

std::uint32_t ViewerTest::MainPixel(int x, int y) { return platform::headless::PixelAt(Orvalis->Handle(), {x, y}); }

bool NearColour(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

}  // namespace orvalis::test
