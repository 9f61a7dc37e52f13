#include "framework/OpenDialog.h"

#include "classes/ClassBuilder.h"
#include "framework/Application.h"

namespace orvalis {
namespace {

// The platform flag of each option, in option order.
constexpr std::uint32_t kOpenOptionFlags[] = {
    platform::OFN_READONLY,
    platform::OFN_OVERWRITEPROMPT,
    platform::OFN_HIDEREADONLY,
    platform::OFN_NOCHANGEDIR,
    platform::OFN_SHOWHELP,
    platform::OFN_NOVALIDATE,
    platform::OFN_ALLOWMULTISELECT,
    platform::OFN_EXTENSIONDIFFERENT,
    platform::OFN_PATHMUSTEXIST,
    platform::OFN_FILEMUSTEXIST,
    platform::OFN_CREATEPROMPT,
    platform::OFN_SHAREAWARE,
    platform::OFN_NOREADONLYRETURN,
    platform::OFN_NOTESTFILECREATE,
    platform::OFN_NONETWORKBUTTON,
    platform::OFN_NOLONGNAMES,
    platform::OFN_EXPLORER,
    platform::OFN_NODEREFERENCELINKS,
    platform::OFN_ENABLEINCLUDENOTIFY,
    platform::OFN_ENABLESIZING,
    platform::OFN_DONTADDTORECENT,
    platform::OFN_FORCESHOWHIDDEN,
};
static_assert(std::size(kOpenOptionFlags) == std::size(kOpenOptionNames), "a flag for every option");

// The options that the platform's answer sets or clears.
constexpr TOpenOptions kOutputOptions = OpenOptionBit(ofReadOnly) | OpenOptionBit(ofExtensionDifferent);

// `text` cut to at most `size` bytes, at a character boundary.
std::string_view CutToCharacters(std::string_view text, std::size_t size) {
    if (text.size() <= size) return text;
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
    return text.substr(0, size);
}

// The extension of a path's last component, without its dot.
std::string_view ExtensionOf(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return path.substr(dot + 1);
}

}  // namespace

std::uint32_t OpenOptionFlags(TOpenOptions options) {
    std::uint32_t flags = 0;
    for (std::size_t option = 0; option < std::size(kOpenOptionFlags); ++option)
        if (options & (TOpenOptions{1} << option)) flags |= kOpenOptionFlags[option];
    return flags;
}

std::vector<platform::FileFilter> FilterEntries(std::string_view filter) {
    std::vector<platform::FileFilter> entries;
    while (!filter.empty()) {
        const std::size_t bar = filter.find('|');
        if (bar == std::string_view::npos) break;
        const std::string_view description = filter.substr(0, bar);
        filter.remove_prefix(bar + 1);
        const std::size_t next = filter.find('|');
        entries.push_back({std::string(description), std::string(filter.substr(0, next))});
        filter = next == std::string_view::npos ? std::string_view() : filter.substr(next + 1);
    }
    return entries;
}

// The platform's notifications, turned into the component's events.
class TOpenDialog::Hooks final : public platform::OpenFileHooks {
public:
    explicit Hooks(TOpenDialog& dialog) : dialog_(dialog) {}

    void OnShow() override {
        dialog_.dialogState_ = platform::RunningOpenFileDialog();
        dialog_.Guarded([this] { dialog_.DoShow(); });
    }
    void OnTypeChange(int filterIndex) override {
        if (filterIndex == dialog_.currentFilterIndex_) return;
        dialog_.currentFilterIndex_ = filterIndex;
        dialog_.Guarded([this] {
            if (dialog_.OnTypeChange) dialog_.OnTypeChange(&dialog_);
        });
    }
    void OnFolderChange() override {
        dialog_.Guarded([this] {
            if (dialog_.OnFolderChange) dialog_.OnFolderChange(&dialog_);
        });
    }
    void OnSelectionChange() override {
        dialog_.Guarded([this] {
            if (dialog_.OnSelectionChange) dialog_.OnSelectionChange(&dialog_);
        });
    }
    bool OnFileOk(const platform::OpenFileResult& chosen) override {
        // The handler sees the choice; what the component holds comes back afterwards,
        // since a refused choice may still end in a cancel.
        const String kept = dialog_.fileName_;
        bool canClose = true;
        dialog_.Guarded([&] {
            dialog_.TakeNames(chosen);
            if (dialog_.OnCanClose) dialog_.OnCanClose(&dialog_, canClose);
        });
        dialog_.fileName_ = kept;
        dialog_.selectedFiles_->Clear();
        return canClose;
    }
    void OnClose() override {
        dialog_.dialogState_ = nullptr;
        dialog_.Guarded([this] { dialog_.DoClose(); });
    }

private:
    TOpenDialog& dialog_;
};

const TClassInfo& TOpenDialog::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TOpenDialog, TCommonDialog>("TOpenDialog")
                                       .Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
                                       .Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
                                       .Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
                                       .Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex)
                                       .Default(1)
                                       .Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
                                       .Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
                                       .Type(kOpenOptionsType)
                                       .Default(OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing))
                                       .Property("OptionsEx", &TOpenDialog::OptionsEx, &TOpenDialog::SetOptionsEx)
                                       .Type(kOpenOptionsExType)
                                       .Default(0)
                                       .Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
                                       .Property("OnCanClose", &TOpenDialog::OnCanClose)
                                       .Property("OnFolderChange", &TOpenDialog::OnFolderChange)
                                       .Property("OnIncludeItem", &TOpenDialog::OnIncludeItem)
                                       .Property("OnSelectionChange", &TOpenDialog::OnSelectionChange)
                                       .Property("OnTypeChange", &TOpenDialog::OnTypeChange);
    return info;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner), selectedFiles_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

String TOpenDialog::FileName() const {
    if (dialogState_) return String(dialogState_->path);
    return fileName_;
}

std::int32_t TOpenDialog::FilterIndex() const { return Running() ? currentFilterIndex_ : filterIndex_; }

void TOpenDialog::SetInitialDir(const String& folder) {
    const std::string_view text = folder.View();
    initialDir_ = text.size() > 1 && text.back() == '/' ? String(text.substr(0, text.size() - 1)) : folder;
}

platform::OpenFileRequest TOpenDialog::BuildRequest() const {
    platform::OpenFileRequest request;
    request.owner = Application ? Application->Handle() : 0;
    request.title = title_.ToStdString();
    request.filters = FilterEntries(filter_.View());
    request.filterIndex = filterIndex_;
    request.initialDir = initialDir_.ToStdString();
    request.bufferSize = (options_ & OpenOptionBit(ofAllowMultiSelect)) ? platform::kMultiSelectFileBufferSize
                                                                        : platform::kFileBufferSize;
    // The buffer keeps its terminating zero.
    request.fileName = std::string(CutToCharacters(fileName_.View(), request.bufferSize - 1));
    // The new style (Explorer) is on unless the old one is asked for.
    request.flags = (platform::OFN_ENABLEHOOK | OpenOptionFlags(options_)) ^ platform::OFN_EXPLORER;
    if (optionsEx_ & (1u << ofExNoPlacesBar)) request.flagsEx = platform::OFN_EX_NOPLACESBAR;
    request.defaultExt = defaultExt_.ToStdString();
    if (request.defaultExt.empty() && !(request.flags & platform::OFN_EXPLORER))
        request.defaultExt = std::string(ExtensionOf(fileName_.View()));
    return request;
}

bool TOpenDialog::RunDialog() {
    selectedFiles_->Clear();
    const platform::OpenFileRequest request = BuildRequest();
    currentFilterIndex_ = filterIndex_;
    Hooks hooks(*this);
    platform::OpenFileResult result;
    if (!RunTaskModal([&] { return platform::GetOpenFileName(request, &hooks, result); })) return false;
    TakeNames(result);
    options_ &= ~kOutputOptions;
    if (result.flags & platform::OFN_READONLY) options_ |= OpenOptionBit(ofReadOnly);
    if (result.flags & platform::OFN_EXTENSIONDIFFERENT) options_ |= OpenOptionBit(ofExtensionDifferent);
    filterIndex_ = result.filterIndex;
    return true;
}

void TOpenDialog::TakeNames(const platform::OpenFileResult& result) {
    selectedFiles_->Clear();
    const std::string_view buffer = result.fileBuffer;
    if (!(options_ & OpenOptionBit(ofAllowMultiSelect))) {
        fileName_ = String(buffer.substr(0, buffer.find('\0')));
        selectedFiles_->Add(fileName_);
        return;
    }
    // The folder, then each name, zeros between them in both styles: the platform's old
    // style returns long names, which may hold blanks (platform::OpenFileResult).
    std::vector<std::string_view> parts;
    for (std::string_view rest = buffer; !rest.empty();) {
        const std::size_t end = rest.find('\0');
        const std::string_view part = rest.substr(0, end);
        if (part.empty()) break;
        parts.push_back(part);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    if (parts.size() <= 1) {
        if (!parts.empty()) selectedFiles_->Add(String(parts.front()));
    } else {
        std::string folder(parts.front());
        if (!folder.ends_with('/')) folder += '/';
        for (std::size_t i = 1; i < parts.size(); ++i)
            selectedFiles_->Add(parts[i].starts_with('/') ? String(parts[i]) : String(folder + std::string(parts[i])));
    }
    fileName_ = selectedFiles_->Count() > 0 ? selectedFiles_->Strings(0) : String();
}

}  // namespace orvalis
