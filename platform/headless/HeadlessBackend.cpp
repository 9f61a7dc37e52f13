#include "platform/headless/HeadlessBackend.h"

#include <cairo.h>
#include <poll.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/CairoPointers.h"
#include "platform/Focus.h"
#include "platform/NonClientMetrics.h"
#include "platform/Window.h"
#include "platform/headless/Inspection.h"
#include "platform/headless/detail/Report.h"

namespace orvalis::platform::headless {

namespace {

std::string DescribeWindow(HWND window) {
    Rect client = GetClientRect(window);
    return Report("\"%s\" (client %d x %d)",
                  {std::string_view(GetWindowText(window)), client.Width(), client.Height()});
}

bool IsReadable(int fd) {
    pollfd wake{fd, POLLIN, 0};
    return poll(&wake, 1, 0) > 0;
}

}  // namespace

HeadlessBackend::HeadlessBackend(ScreenMetrics screen) : screen_(screen) {}

const MessageBoxRequest* HeadlessBackend::ShownMessageBox() const {
    return openBoxes_.empty() ? nullptr : &messageBoxLog_[openBoxes_.back().logIndex].request;
}

const ShownFileDialog* HeadlessBackend::ShownFileDialogBox() const {
    return openFileDialogs_.empty() ? nullptr : &openFileDialogs_.back();
}

const NativeWindowState* HeadlessBackend::NativeWindow(HWND window) const {
    auto found = natives_.find(window);
    return found == natives_.end() ? nullptr : &found->second.state;
}

bool HeadlessBackend::IsNativeWindowShown(HWND window) const {
    auto found = natives_.find(window);
    return found != natives_.end() && found->second.shown;
}

int HeadlessBackend::PresentCount(HWND window) const {
    auto found = natives_.find(window);
    return found == natives_.end() ? 0 : found->second.presents;
}

std::string HeadlessBackend::DescribeWaiting() const {
    std::string text;
    if (!openBoxes_.empty()) {
        const MessageBoxRequest& box = messageBoxLog_[openBoxes_.back().logIndex].request;
        text += Report("  The program waits while a message box is shown: caption \"%s\", text \"%s\".\n",
                       {std::string_view(box.caption), std::string_view(box.text)});
    }
    if (!openFileDialogs_.empty()) {
        text += Report("  The program waits while the file dialog \"%s\" is shown.\n",
                       {std::string_view(openFileDialogs_.back().request.title)});
    }
    if (openBoxes_.empty() && openFileDialogs_.empty())
        text += "  The program waits in its message loop; no message box or file dialog is shown.\n";
    HWND active = GetActiveWindow();
    text += active ? "  Active window: " + DescribeWindow(active) + ".\n" : "  No window is active.\n";
    std::string visible;
    for (HWND window : VisibleTopLevelWindows()) visible += (visible.empty() ? "" : ", ") + DescribeWindow(window);
    text += "  Visible windows: " + (visible.empty() ? std::string("none") : visible) + ".\n";
    text += Report("  Virtual clock: %u ms.\n", {now_});
    return text;
}

void HeadlessBackend::Fail(const std::string& problem) const {
    std::string report = "Scripted user: " + problem + ".\n";
    std::size_t step = script_.next_;
    if (step < script_.actions_.size()) {
        const UserScript::Action& action = script_.actions_[step];
        report += Report("  At step %u of the script: %s (%s:%u).\n",
                         {step + 1, std::string_view(action.description), action.where.file_name(),
                          static_cast<unsigned>(action.where.line())});
    }
    report += DescribeWaiting();
    if (!lastPerformed_.empty()) report += "  Last step performed: " + lastPerformed_ + ".\n";
    std::fputs(report.c_str(), stderr);
    std::fflush(stderr);
    std::abort();
}

void HeadlessBackend::WaitForEvents(std::optional<std::uint64_t> deadline, int wakeFd) {
    if (IsReadable(wakeFd) || (deadline && *deadline <= now_)) return;
    if (script_.next_ >= script_.actions_.size())
        Fail("the script has no more actions, but the program waits for the user");
    wakeFd_ = wakeFd;
    // The action may be appended to (a Check can add steps), so it is copied first.
    UserScript::Action action = script_.actions_[script_.next_];
    bool complete = action.perform(*this, deadline);
    wakeFd_ = -1;
    if (!complete) return;
    ++script_.next_;
    lastPerformed_ =
        Report("step %u, %s (%s:%u)", {script_.next_, std::string_view(action.description), action.where.file_name(),
                                       static_cast<unsigned>(action.where.line())});
}

void HeadlessBackend::CreateNativeWindow(HWND window, const NativeWindowState& state) {
    natives_[window] = Native{state};
    if (screen_.deviceScale != 1) native::WindowScaleChanged(window, screen_.deviceScale);
}

void HeadlessBackend::DestroyNativeWindow(HWND window) { natives_.erase(window); }

void HeadlessBackend::ShowNativeWindow(HWND window, bool visible) { natives_[window].shown = visible; }

void HeadlessBackend::SetNativeTitle(HWND window, std::string_view title) { natives_[window].state.title = title; }

void HeadlessBackend::SetNativeGeometry(HWND window, const Rect& outerBounds, Size clientSize) {
    Native& native = natives_[window];
    native.state.outerBounds = outerBounds;
    native.state.clientSize = clientSize;
}

void HeadlessBackend::SetNativeMenu(HWND window, const MenuBar* menu) { natives_[window].state.menu = menu; }

int HeadlessBackend::MenuBarWidth(const MenuBar& menu) {
    // Each caption as shown, in the menu font, with the room that a desktop theme gives a
    // menu-bar item on each side of it.
    constexpr double kItemPadding = 8;
    const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1));
    const ContextPtr context(cairo_create(surface.get()));
    cairo_select_font_face(context.get(), kMenuFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(context.get(), kMenuFontPixels);
    double width = 0;
    for (const MenuItem& item : menu.items) {
        cairo_text_extents_t extents;
        cairo_text_extents(context.get(), StripAccelerator(item.caption).c_str(), &extents);
        width += std::ceil(extents.x_advance) + 2 * kItemPadding;
    }
    return static_cast<int>(width);
}

void HeadlessBackend::EnableNativeWindow(HWND window, bool enabled) { natives_[window].state.enabled = enabled; }

void HeadlessBackend::MinimizeNativeWindow(HWND window, bool minimized) {
    natives_[window].state.minimized = minimized;
}

void HeadlessBackend::ActivateNativeWindow(HWND) {}

void HeadlessBackend::SetNativeOwner(HWND window, HWND owner) { natives_[window].state.owner = owner; }

void HeadlessBackend::PresentSurface(HWND window, cairo_surface_t*, const Rect&) { ++natives_[window].presents; }

void HeadlessBackend::ShowMessageBox(int dialog, const MessageBoxRequest& request) {
    messageBoxLog_.push_back({request, std::nullopt});
    openBoxes_.push_back({dialog, messageBoxLog_.size() - 1});
}

void HeadlessBackend::CloseMessageBox(int dialog) {
    std::erase_if(openBoxes_, [dialog](const OpenBox& box) { return box.dialog == dialog; });
}

void HeadlessBackend::AnswerTopMessageBox(int button) {
    if (openBoxes_.empty()) Fail(Report("there is no message box to answer with button %d", {button}));
    OpenBox box = openBoxes_.back();
    MessageBoxRecord& record = messageBoxLog_[box.logIndex];
    bool offered = false;
    for (int id : MessageBoxButtons(record.request.flags)) offered = offered || id == button;
    if (!offered)
        Fail(Report("the message box \"%s\" has no button %d", {std::string_view(record.request.text), button}));
    record.answer = button;
    openBoxes_.pop_back();
    native::MessageBoxAnswered(box.dialog, button);
}

void HeadlessBackend::ShowOpenFileDialog(int dialog, const OpenFileRequest& request, const FileDialogState& initial) {
    openFileDialogs_.push_back({dialog, request, initial});
    ++fileDialogsShown_;
}

void HeadlessBackend::RefuseOpenFileChoice(int, const FileDialogRefusal& refusal) { refusals_.push_back(refusal); }

void HeadlessBackend::CloseOpenFileDialog(int dialog) {
    std::erase_if(openFileDialogs_, [dialog](const ShownFileDialog& shown) { return shown.dialog == dialog; });
}

ShownFileDialog& HeadlessBackend::TopFileDialog() {
    if (openFileDialogs_.empty()) Fail("there is no file dialog to act on");
    return openFileDialogs_.back();
}

bool HeadlessBackend::SetClipboardText(std::string_view text) {
    if (!clipboardAvailable_) return false;
    clipboard_ = std::string(text);
    return true;
}

std::optional<std::string> HeadlessBackend::GetClipboardText() {
    if (!clipboardAvailable_) return std::nullopt;
    return clipboard_;
}

}  // namespace orvalis::platform::headless
