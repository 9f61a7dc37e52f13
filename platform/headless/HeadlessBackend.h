#pragma once
// The in-memory backend: native windows are records (their surfaces are the screen),
// the clock is virtual and moves only when the script advances it, and the user is the
// script (UserScript.h). Tests read what a user would see through the platform's own
// calls and through the records kept here (message boxes, file dialogs, clipboard).

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Backend.h"
#include "platform/headless/UserScript.h"

namespace orvalis::platform::headless {

struct MessageBoxRecord {
    MessageBoxRequest request;
    std::optional<int> answer;  // none while open, or when the program closed it
};

struct ShownFileDialog {
    int dialog = 0;
    OpenFileRequest request;
    FileDialogState state;  // as the scripted user left it
};

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(ScreenMetrics screen = {});

    UserScript& Script() { return script_; }

    // What the user sees.
    std::uint64_t Clock() const { return now_; }
    // Moves the clock on as if the program had been busy that long: nothing is
    // dispatched on the way, so the timers that fell due tick once each afterwards.
    void ElapseBusy(std::uint64_t milliseconds) { now_ += milliseconds; }
    // The message box on top; null when none is shown.
    const MessageBoxRequest* ShownMessageBox() const;
    // Every message box shown, in order, with its answer.
    const std::vector<MessageBoxRecord>& MessageBoxLog() const { return messageBoxLog_; }
    // The innermost file dialog shown; null when none.
    const ShownFileDialog* ShownFileDialogBox() const;
    std::size_t FileDialogsShown() const { return fileDialogsShown_; }
    const std::vector<FileDialogRefusal>& FileDialogRefusals() const { return refusals_; }
    int Beeps() const { return beeps_; }
    const std::optional<std::string>& Clipboard() const { return clipboard_; }
    // An unavailable clipboard refuses to be written.
    void SetClipboardAvailable(bool available) { clipboardAvailable_ = available; }
    // The native window's state as last told; null when it has none.
    const NativeWindowState* NativeWindow(HWND window) const;
    bool IsNativeWindowShown(HWND window) const;
    int PresentCount(HWND window) const;

    // Reports a scripted-user failure with where the program waits, and aborts.
    [[noreturn]] void Fail(const std::string& problem) const;

    // Backend
    void CreateNativeWindow(HWND window, const NativeWindowState& state) override;
    void DestroyNativeWindow(HWND window) override;
    void ShowNativeWindow(HWND window, bool visible) override;
    void SetNativeTitle(HWND window, std::string_view title) override;
    void SetNativeGeometry(HWND window, const Rect& outerBounds, Size clientSize) override;
    void SetNativeMenu(HWND window, const MenuBar* menu) override;
    void EnableNativeWindow(HWND window, bool enabled) override;
    void MinimizeNativeWindow(HWND window, bool minimized) override;
    void ActivateNativeWindow(HWND window) override;
    void SetNativeOwner(HWND window, HWND owner) override;
    int MenuBarWidth(const MenuBar& menu) override;
    void PresentSurface(HWND window, cairo_surface_t* surface, const Rect& area) override;
    std::uint64_t Now() override { return now_; }
    void WaitForEvents(std::optional<std::uint64_t> deadline, int wakeFd) override;
    void ShowMessageBox(int dialog, const MessageBoxRequest& request) override;
    void CloseMessageBox(int dialog) override;
    void ShowOpenFileDialog(int dialog, const OpenFileRequest& request, const FileDialogState& initial) override;
    void RefuseOpenFileChoice(int dialog, const FileDialogRefusal& refusal) override;
    void CloseOpenFileDialog(int dialog) override;
    void Beep() override { ++beeps_; }
    bool SetClipboardText(std::string_view text) override;
    std::optional<std::string> GetClipboardText() override;
    ScreenMetrics Screen() override { return screen_; }

private:
    friend class UserScript;
    struct Native {
        NativeWindowState state;
        bool shown = false;
        int presents = 0;
    };
    struct OpenBox {
        int dialog;
        std::size_t logIndex;
    };

    // For the script's actions.
    void SetClock(std::uint64_t now) { now_ = now; }
    void AnswerTopMessageBox(int button);
    ShownFileDialog& TopFileDialog();
    std::string DescribeWaiting() const;

    ScreenMetrics screen_;
    UserScript script_;
    std::uint64_t now_ = 0;
    std::string lastPerformed_;
    std::map<HWND, Native> natives_;
    std::vector<MessageBoxRecord> messageBoxLog_;
    std::vector<OpenBox> openBoxes_;  // bottom first
    std::vector<ShownFileDialog> openFileDialogs_;
    std::size_t fileDialogsShown_ = 0;
    std::vector<FileDialogRefusal> refusals_;
    int beeps_ = 0;
    int wakeFd_ = -1;  // while the program waits
    std::optional<std::string> clipboard_;
    bool clipboardAvailable_ = true;
};

}  // namespace orvalis::platform::headless
