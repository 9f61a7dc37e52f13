#include "platform/OpenFileDialog.h"

#include <unistd.h>

#include <cassert>
#include <string_view>
#include <utility>

#include "platform/FileTests.h"
#include "platform/detail/Desktop.h"
#include "platform/detail/DialogRuns.h"
#include "platform/detail/NativeEvents.h"
#include "platform/detail/Overloaded.h"
#include "runtime/TextConversions.h"

namespace orvalis::platform {

namespace {

// Why a choice was refused, after the name's line.
constexpr std::pair<FileDialogRefusal::Reason, std::string_view> kRefusalReasons[] = {
    {FileDialogRefusal::Reason::FileNotFound, "\nFichier introuvable.\nVérifiez que le nom du fichier est correct."},
    {FileDialogRefusal::Reason::PathNotFound,
     "\nChemin d'accès introuvable.\nVérifiez que le chemin d'accès est correct."},
};

std::string WorkingFolder() {
    std::string folder(4096, '\0');
    if (!getcwd(folder.data(), folder.size())) return "/";
    folder.resize(folder.find('\0'));
    return folder;
}

std::string ParentFolder(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    if (name.starts_with('/') || folder.empty()) return name;
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// The extension of a path's last component, without its dot; empty when none.
std::string_view ExtensionOf(std::string_view path) {
    std::size_t slash = path.rfind('/');
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return path.substr(dot + 1);
}

FileDialogState InitialState(const OpenFileRequest& request) {
    FileDialogState state;
    state.filterIndex = request.filterIndex;
    if (!request.initialDir.empty())
        state.folder = request.initialDir;
    else if (!ParentFolder(request.fileName).empty())
        state.folder = ParentFolder(request.fileName);
    else
        state.folder = WorkingFolder();
    if (!request.fileName.empty()) state.path = Join(state.folder, request.fileName);
    return state;
}

void Confirm(detail::Desktop& desktop, int dialog, detail::FileDialogRun& run, const detail::ConfirmedEvent& event) {
    const OpenFileRequest& request = *run.request;
    assert(!event.names.empty() && "a confirmed choice names a file");
    assert((event.names.size() == 1 || (request.flags & OFN_ALLOWMULTISELECT)) && "several files need multi-select");

    std::string folder = event.folder;
    if (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
    std::vector<std::string> names = event.names;
    std::vector<std::string> paths;
    for (std::string& name : names) {
        if (!request.defaultExt.empty() && ExtensionOf(name).empty()) name += "." + request.defaultExt;
        paths.push_back(Join(folder, name));
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if ((request.flags & OFN_FILEMUSTEXIST) && !FileExists(paths[i])) {
            desktop.backend->RefuseOpenFileChoice(dialog, {FileDialogRefusal::Reason::FileNotFound, names[i]});
            return;
        }
        if ((request.flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !DirectoryExists(ParentFolder(paths[i]))) {
            desktop.backend->RefuseOpenFileChoice(dialog, {FileDialogRefusal::Reason::PathNotFound, names[i]});
            return;
        }
    }

    OpenFileResult result;
    if (paths.size() == 1) {
        result.fileBuffer = paths.front();
    } else {
        // Zeros in both styles: names keep their blanks (see OpenFileResult).
        result.fileBuffer = folder;
        for (const std::string& name : names) result.fileBuffer += '\0' + name;
        result.fileBuffer += '\0';
    }
    run.state.folder = folder;
    run.state.path = paths.front();
    // The buffer holds the text and its terminating zero; a choice too long fails the call.
    if (result.fileBuffer.size() + 1 > request.bufferSize) {
        run.finished = true;
        return;
    }
    result.filterIndex = run.state.filterIndex;
    result.flags = request.flags & ~(OFN_READONLY | OFN_EXTENSIONDIFFERENT);
    if (event.readOnly) result.flags |= OFN_READONLY;
    if (!request.defaultExt.empty() && !SameText(ExtensionOf(paths.front()), request.defaultExt))
        result.flags |= OFN_EXTENSIONDIFFERENT;
    if (run.hooks && !run.hooks->OnFileOk(result)) return;
    run.result = std::move(result);
    run.confirmed = true;
    run.finished = true;
}

}  // namespace

std::string RefusalText(const FileDialogRefusal& refusal) {
    std::string_view why = kRefusalReasons[0].second;
    for (const auto& [reason, words] : kRefusalReasons)
        if (reason == refusal.reason) why = words;
    return refusal.name + std::string(why);
}

namespace detail {

void HandleFileDialogEvent(Desktop& desktop, const NativeEvent& event) {
    ++desktop.dialogEvents;
    int dialog = std::visit(
        [](const auto& e) -> int {
            if constexpr (requires { e.dialog; })
                return e.dialog;
            else
                return 0;
        },
        event);
    auto found = desktop.fileDialogs.find(dialog);
    if (found == desktop.fileDialogs.end() || found->second->finished) return;
    FileDialogRun& run = *found->second;
    std::visit(detail::Overloaded{
                   [&](const FilterChangedEvent& e) {
                       if (e.filterIndex == run.state.filterIndex) return;
                       run.state.filterIndex = e.filterIndex;
                       if (run.hooks) run.hooks->OnTypeChange(e.filterIndex);
                   },
                   [&](const FolderChangedEvent& e) {
                       run.state.folder = e.folder;
                       if (run.hooks) run.hooks->OnFolderChange();
                   },
                   [&](const SelectionChangedEvent& e) {
                       run.state.path = e.path;
                       if (run.hooks) run.hooks->OnSelectionChange();
                   },
                   [&](const ConfirmedEvent& e) { Confirm(desktop, dialog, run, e); },
                   [&](const CancelledEvent&) { run.finished = true; },
                   [](const auto&) {},
               },
               event);
}

}  // namespace detail

bool GetOpenFileName(const OpenFileRequest& request, OpenFileHooks* hooks, OpenFileResult& result) {
    detail::Desktop& desktop = detail::UiDesktop();
    int dialog = desktop.nextDialog++;
    detail::FileDialogRun run;
    run.request = &request;
    run.hooks = hooks;
    run.state = InitialState(request);
    {
        const detail::RegisteredDialogRun registered(
            desktop.fileDialogs, dialog, run, [&desktop](int shown) { desktop.backend->CloseOpenFileDialog(shown); });
        desktop.backend->ShowOpenFileDialog(dialog, request, run.state);
        if (hooks) hooks->OnShow();
        detail::RunModalLoop([&] { return run.finished; });
    }
    if (hooks) hooks->OnClose();
    if (!run.confirmed) return false;
    result = std::move(run.result);
    return true;
}

const FileDialogState* RunningOpenFileDialog() {
    detail::Desktop& desktop = detail::UiDesktop();
    return desktop.fileDialogs.empty() ? nullptr : &desktop.fileDialogs.rbegin()->second->state;
}

}  // namespace orvalis::platform
