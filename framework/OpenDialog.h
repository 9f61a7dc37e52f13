#pragma once
// TOpenDialog: the component through which the user picks a file to open, on the
// platform's file-open dialog. Each RunDialog turns the properties into the platform's
// request, runs the dialog modally for the whole program with the component's events
// hooked to it, and takes the chosen name(s) back:
//
//     OpenDialog1->SetTitle("Ouverture d'une liste de vues de perspectives");
//     OpenDialog1->SetFilter("Fichiers JPEG |*.JPG;*JPEG|Graphique Portable |*.PNG");
//     if (OpenDialog1->RunDialog()) Open(OpenDialog1->FileName());
//
// The request: flags 0x20 (the hook) with the flag of every option, the Explorer flag
// 0x80000 toggled (so that the new style is on unless ofOldStyleDialog), a buffer of
// 260 characters (65519 with ofAllowMultiSelect) pre-filled with FileName, the filter
// entries of Filter ("description|patterns|..."), FilterIndex, InitialDir, Title and
// DefaultExt. FileName, FilterIndex and the output options (ofReadOnly,
// ofExtensionDifferent) carry over to the next run; a cancelled run changes none of
// them. With several files chosen, each is its folder joined with "/" to its name,
// unless the name is absolute already.
//
// Events while the dialog runs: OnShow, OnTypeChange (another filter entry; FilterIndex
// tells which), OnFolderChange, OnSelectionChange, OnCanClose (on confirmation, with
// FileName and SelectedFiles as chosen; CanClose false keeps the dialog open), OnClose.
// An exception of a handler goes to the application's report and the dialog goes on.
// The platform's dialog asks nothing per item, so OnIncludeItem (and
// ofEnableIncludeNotify) has nothing to answer here.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "classes/Strings.h"
#include "framework/CommonDialog.h"
#include "platform/OpenFileDialog.h"

namespace orvalis {

enum TOpenOption : std::uint8_t {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden,
    kOpenOptionCount
};
inline constexpr std::string_view kOpenOptionNames[] = {
    "ofReadOnly",        "ofOverwritePrompt",  "ofHideReadOnly",       "ofNoChangeDir",         "ofShowHelp",
    "ofNoValidate",      "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",       "ofFileMustExist",
    "ofCreatePrompt",    "ofShareAware",       "ofNoReadOnlyReturn",   "ofNoTestFileCreate",    "ofNoNetworkButton",
    "ofNoLongNames",     "ofOldStyleDialog",   "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing",
    "ofDontAddToRecent", "ofForceShowHidden"};
inline constexpr TTypeInfo kOpenOptionType = EnumerationType<kOpenOptionCount>("TOpenOption", kOpenOptionNames);
inline constexpr TTypeInfo kOpenOptionsType = SetType("TOpenOptions", kOpenOptionType, ordLong);
using TOpenOptions = std::uint32_t;
constexpr TOpenOptions OpenOptionBit(TOpenOption option) { return TOpenOptions{1} << option; }

enum TOpenOptionEx : std::uint8_t { ofExNoPlacesBar, kOpenOptionExCount };
inline constexpr std::string_view kOpenOptionExNames[] = {"ofExNoPlacesBar"};
inline constexpr TTypeInfo kOpenOptionExType = EnumerationType<kOpenOptionExCount>("TOpenOptionEx", kOpenOptionExNames);
inline constexpr TTypeInfo kOpenOptionsExType = SetType("TOpenOptionsEx", kOpenOptionExType);
using TOpenOptionsEx = std::uint8_t;

// What OnIncludeItem is told of an item: its folder and its full path.
struct TOFNotifyEx {
    String Folder;
    String Path;
};
using TIncludeItemEvent = TEvent<void(const TOFNotifyEx& OFN, bool& Include)>;
template <>
inline constexpr std::string_view kEventTypeName<void(const TOFNotifyEx&, bool&)> = "TIncludeItemEvent";

// The platform flag of each option, in option order.
std::uint32_t OpenOptionFlags(TOpenOptions options);
// The filter entries of a filter text: "description|patterns|description|patterns".
// An empty text gives none; a description without patterns at the end is left out.
std::vector<platform::FileFilter> FilterEntries(std::string_view filter);

class TOpenDialog : public TCommonDialog {
    ORVALIS_TYPE_INFO(TOpenDialog)

public:
    // Options ofHideReadOnly and ofEnableSizing, FilterIndex 1.
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;

    // Runs the dialog; true when the user confirmed a file.
    bool RunDialog() override;
    // The request that RunDialog gives the platform now.
    platform::OpenFileRequest BuildRequest() const;

    const String& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const String& extension) { defaultExt_ = extension; }
    // While the dialog runs, the file it shows now.
    String FileName() const;
    void SetFileName(const String& fileName) { fileName_ = fileName; }
    const String& Filter() const { return filter_; }
    void SetFilter(const String& filter) { filter_ = filter; }
    // While the dialog runs, the entry it shows now.
    std::int32_t FilterIndex() const;
    void SetFilterIndex(std::int32_t index) { filterIndex_ = index; }
    const String& InitialDir() const { return initialDir_; }
    // A trailing "/" is dropped, except from "/" itself.
    void SetInitialDir(const String& folder);
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions options) { options_ = options; }
    TOpenOptionsEx OptionsEx() const { return optionsEx_; }
    void SetOptionsEx(TOpenOptionsEx options) { optionsEx_ = options; }
    const String& Title() const { return title_; }
    void SetTitle(const String& title) { title_ = title; }
    // The files chosen in the last run that was confirmed, full paths, in the
    // platform's order.
    TStrings& SelectedFiles() const { return *selectedFiles_; }

    TCloseQueryEvent OnCanClose;
    TNotifyEvent OnFolderChange;
    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;
    TIncludeItemEvent OnIncludeItem;

private:
    class Hooks;
    // FileName and SelectedFiles from the platform's file buffer.
    void TakeNames(const platform::OpenFileResult& result);

    String defaultExt_;
    String fileName_;
    String filter_;
    std::int32_t filterIndex_ = 1;
    String initialDir_;
    TOpenOptions options_ = OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing);
    TOpenOptionsEx optionsEx_ = 0;
    String title_;
    std::unique_ptr<TStringList> selectedFiles_;
    // While the dialog runs: the entry it shows and its current state.
    std::int32_t currentFilterIndex_ = 1;
    const platform::FileDialogState* dialogState_ = nullptr;
};

}  // namespace orvalis
