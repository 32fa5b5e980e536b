#include "OpenDialogs.h"

#include "FormReader.h"
#include "TypInfo.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Room for the chosen names: one long path, or many names with multi-select.
constexpr size_t kSingleBuffer = 32768;
constexpr size_t kMultiBuffer = 262144;

// The system's dialog, run by the default dialog hook for a dkOpenFile request.
TModalResult ShowOpenFileDialog(const TDialogRequest& request)
{
    TFileDialogData* data = request.FileDialog;
    if (!data) return mrCancel;

    // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
    std::vector<wchar_t> filter;
    for (wchar_t c : data->Filter) filter.push_back(c == L'|' ? L'\0' : c);
    filter.push_back(L'\0');
    filter.push_back(L'\0');

    const bool multi = (data->Flags & OFN_ALLOWMULTISELECT) != 0;
    std::vector<wchar_t> buffer(multi ? kMultiBuffer : kSingleBuffer, L'\0');
    const size_t n = std::min(data->FileName.size(), buffer.size() - 1);
    std::copy_n(data->FileName.data(), n, buffer.data());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = request.Owner;
    ofn.lpstrFilter = data->Filter.empty() ? nullptr : filter.data();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(0, data->FilterIndex));
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = data->InitialDir.empty() ? nullptr : data->InitialDir.c_str();
    ofn.lpstrTitle = data->Title.empty() ? nullptr : data->Title.c_str();
    ofn.lpstrDefExt = data->DefaultExt.empty() ? nullptr : data->DefaultExt.c_str();
    ofn.Flags = data->Flags;
    if (!GetOpenFileNameW(&ofn)) return mrCancel;

    // One full path, or (multi-select) the folder followed by names, each ended by a NUL and
    // the whole by a second NUL. The last element of the buffer always stays NUL.
    buffer.back() = L'\0';
    auto next = [&](size_t& pos) {
        UnicodeString item(buffer.data() + pos);
        pos += item.size() + 1;
        return item;
    };
    size_t pos = 0;
    const UnicodeString first = next(pos);
    data->Files.clear();
    if (multi && pos < buffer.size() && buffer[pos] != L'\0') {
        UnicodeString folder = first;
        if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
        while (pos < buffer.size() && buffer[pos] != L'\0') data->Files.push_back(folder + next(pos));
    } else {
        data->Files.push_back(first);
    }
    data->FileName = data->Files.front();
    data->FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return mrOk;
}

} // namespace

DWORD OpenOptionsToFlags(TOpenOptions options)
{
    static constexpr std::array<std::pair<TOpenOption, DWORD>, 21> flags{{
        {ofReadOnly, OFN_READONLY},
        {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
        {ofHideReadOnly, OFN_HIDEREADONLY},
        {ofNoChangeDir, OFN_NOCHANGEDIR},
        {ofShowHelp, OFN_SHOWHELP},
        {ofNoValidate, OFN_NOVALIDATE},
        {ofAllowMultiSelect, OFN_ALLOWMULTISELECT},
        {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
        {ofPathMustExist, OFN_PATHMUSTEXIST},
        {ofFileMustExist, OFN_FILEMUSTEXIST},
        {ofCreatePrompt, OFN_CREATEPROMPT},
        {ofShareAware, OFN_SHAREAWARE},
        {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
        {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
        {ofNoNetworkButton, OFN_NONETWORKBUTTON},
        {ofNoLongNames, OFN_NOLONGNAMES},
        {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
        {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
        {ofEnableSizing, OFN_ENABLESIZING},
        {ofDontAddToRecent, OFN_DONTADDTORECENT},
        {ofForceShowHidden, OFN_FORCESHOWHIDDEN},
    }};
    DWORD result = options.Contains(ofOldStyleDialog) ? 0 : OFN_EXPLORER;
    for (const auto& [option, flag] : flags)
        if (options.Contains(option)) result |= flag;
    return result;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), files_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute(HWND owner)
{
    TFileDialogData data;
    data.Title = title_;
    data.Filter = filter_;
    data.FilterIndex = filterIndex_;
    data.InitialDir = initialDir_;
    data.DefaultExt = defaultExt_;
    data.FileName = fileName_;
    data.Flags = OpenOptionsToFlags(options_);
    data.Show = &ShowOpenFileDialog;

    TDialogRequest request;
    request.Kind = dkOpenFile;
    request.Caption = title_;
    request.Owner = owner;
    request.FileDialog = &data;
    if (ExecuteDialog(request) != mrOk || data.FileName.empty()) return false;

    fileName_ = data.FileName;
    filterIndex_ = data.FilterIndex;
    files_->Clear();
    for (const UnicodeString& file : data.Files) files_->Add(file);
    if (files_->Count() == 0) files_->Add(fileName_);
    return true;
}

void RegisterOpenDialogsClasses()
{
    static bool done = false;
    if (done) return;
    done = true;

    static const TEnumTypeInfo optionInfo{
        {L"ofReadOnly", L"ofOverwritePrompt", L"ofHideReadOnly", L"ofNoChangeDir", L"ofShowHelp", L"ofNoValidate",
         L"ofAllowMultiSelect", L"ofExtensionDifferent", L"ofPathMustExist", L"ofFileMustExist", L"ofCreatePrompt",
         L"ofShareAware", L"ofNoReadOnlyReturn", L"ofNoTestFileCreate", L"ofNoNetworkButton", L"ofNoLongNames",
         L"ofOldStyleDialog", L"ofNoDereferenceLinks", L"ofEnableIncludeNotify", L"ofEnableSizing",
         L"ofDontAddToRecent", L"ofForceShowHidden"},
        0};
    const UnicodeString c = L"TOpenDialog";
    RegisterPublishedClass(c, L"TComponent");
    RegisterPublishedProperty(c, StrProp(L"Title", &TOpenDialog::Title, &TOpenDialog::SetTitle, UnicodeString()));
    RegisterPublishedProperty(c, StrProp(L"Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter, UnicodeString()));
    RegisterPublishedProperty(c, OrdProp(L"FilterIndex", pkInteger, &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, int64_t{1}));
    RegisterPublishedProperty(c, StrProp(L"InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir, UnicodeString()));
    RegisterPublishedProperty(c, StrProp(L"DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt, UnicodeString()));
    RegisterPublishedProperty(c, StrProp(L"FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName, UnicodeString()));
    RegisterPublishedProperty(c, OrdProp(L"Options", pkSet, &TOpenDialog::Options, &TOpenDialog::SetOptions,
                                         static_cast<int64_t>(TOpenOptions{ofHideReadOnly, ofEnableSizing}.Bits()), &optionInfo));
    RegisterComponentClass<TOpenDialog>(c);
}
