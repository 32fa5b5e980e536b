#pragma once
// The file-open dialog. Execute hands a dkOpenFile request to the dialog hook (Dialogs.h), so
// a test answers it without a window; the default hook shows the system's dialog.
#include "Components.h"
#include "Dialogs.h"
#include "Sets.h"
#include "StringList.h"

#include <memory>

enum TOpenOption {
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
};
using TOpenOptions = TSet<TOpenOption>;

// The OFN_* flags of a set of options (OFN_EXPLORER unless ofOldStyleDialog).
DWORD OpenOptionsToFlags(TOpenOptions options);

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;
    UnicodeString ClassName() const override { return L"TOpenDialog"; }

    const UnicodeString& Title() const { return title_; }
    void SetTitle(const UnicodeString& value) { title_ = value; }
    // Pairs of description and pattern, all separated by '|': "Text|*.TXT|Data|*.DAT".
    const UnicodeString& Filter() const { return filter_; }
    void SetFilter(const UnicodeString& value) { filter_ = value; }
    // 1-based position of the pattern shown first; after Execute the one last chosen.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int value) { filterIndex_ = value; }
    const UnicodeString& InitialDir() const { return initialDir_; }
    void SetInitialDir(const UnicodeString& value) { initialDir_ = value; }
    // Extension added to a name typed without one (without the point).
    const UnicodeString& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const UnicodeString& value) { defaultExt_ = value; }
    // Proposed before Execute; the chosen file (full path) after a successful one.
    const UnicodeString& FileName() const { return fileName_; }
    void SetFileName(const UnicodeString& value) { fileName_ = value; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions value) { options_ = value; }
    // Every chosen file (several with ofAllowMultiSelect).
    TStrings* Files() const { return files_.get(); }

    // Shows the dialog modally; true when the user chose a file.
    bool Execute(HWND owner = nullptr);

private:
    UnicodeString title_;
    UnicodeString filter_;
    int filterIndex_ = 1;
    UnicodeString initialDir_;
    UnicodeString defaultExt_;
    UnicodeString fileName_;
    TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
    std::unique_ptr<TStringList> files_;
};

// Registers the published properties and reader factory of TOpenDialog.
void RegisterOpenDialogsClasses();
