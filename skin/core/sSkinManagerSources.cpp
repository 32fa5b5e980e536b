// Where the manager finds a skin: the editor's text, a skin folder, a packed file or a stored
// skin, in that order. Also the skin name lists, writing stored skins out and the skin's fonts.
#include "sSkinManager.h"

#include "Dialogs.h"
#include "Files.h"
#include "StringList.h"
#include "SysUtils.h"
#include "acFontStore.h"
#include "acntTypes.h"
#include "acntUtils.h"
#include "sStoredSkins.h"

TStrings* acEditorSkinFile = nullptr;

namespace {

void SetOptionsText(TMemIniFile& ini, TStream& stream)
{
    TStringList lines;
    lines.SetCaseSensitive(true);
    stream.SetPosition(0);
    lines.LoadFromStream(stream);
    ini.SetStrings(lines);
}

} // namespace

bool TsSkinManager::InitSkinFile()
{
    TMemIniFile& options = *SkinCommonInfo.OptionsDat;
    SkinCommonInfo.SkinPath = GetFullSkinDirectory() + FSkinName + L"\\";
    const UnicodeString folderFile = SkinCommonInfo.SkinPath + L"Options.dat";
    SkinIsPacked = false;
    sc.reset();
    SetLastError(0);

    if (acEditorSkinFile) {
        options.SetStrings(*acEditorSkinFile);
    } else if (FileExists(folderFile)) {
        TStringList lines;
        lines.LoadFromFile(folderFile);
        options.SetStrings(lines);
    } else {
        // The packed file lies where the folder would, so a listed skin loads also when
        // SkinDirectory is relative.
        const UnicodeString packedFile = GetFullSkinDirectory() + FSkinName + L".asz";
        if (FileExists(packedFile)) {
            LoadSkinFromFile(packedFile, sc, this);
        } else {
            SkinCommonInfo.SkinPath.clear();
            TsStoredSkins& stored = *FBuiltInSkins;
            int index = stored.IndexOf(FSkinName);
            if (index < 0 && stored.Count() > 0) {
                index = 0;
                FSkinName = stored.Items(0)->Name();
            }
            if (index < 0) {
                FActive = false;
                return false;
            }
            TsStoredSkin& item = *stored.Items(index);
            if (item.PackedData->Size() > 0) {
                sc = std::make_unique<TacSkinConvertor>();
                sc->PackedData = item.PackedData.get();
                ExtractPackedData(*sc, this);
                sc->PackedData = nullptr;
            } else {
                SkinIsPacked = false;
                SkinFile = &options;
                return true;
            }
        }
        if (!sc || !sc->Options) {
            {
                TacManagerStateScope changing(*this, msSkinChanging);
                ShowMessage(L"Internal format error in the \"" + FSkinName +
                            L"\" skin. Please, update this skin to latest version.");
            }
            sc.reset();
            return false;
        }
        SkinIsPacked = true;
        SetOptionsText(options, *sc->Options);
    }
    SkinFile = &options;
    return true;
}

UnicodeString TsSkinManager::GetFullSkinDirectory()
{
    const UnicodeString app = GetAppPath();
    const UnicodeString& dir = FSkinDirectory;
    UnicodeString result;
    if (dir.starts_with(L"..")) {
        UnicodeString base = app;
        if (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
        const size_t cut = base.find_last_of(L"\\/");
        base = cut == UnicodeString::npos ? UnicodeString() : base.substr(0, cut + 1);
        result = base + (dir.size() > 3 ? dir.substr(3) : UnicodeString());
    } else if (dir.starts_with(L".\\") || dir.starts_with(L"./")) {
        result = app + dir.substr(2);
    } else if (dir == L".") {
        result = app;
    } else if (dir.find(L':') == UnicodeString::npos && dir.find(L"\\\\") == UnicodeString::npos) {
        result = app + dir;
    } else {
        result = dir;
    }
    return NormalDir(result);
}

UnicodeString TsSkinManager::GetSkinNames(TStrings* List, bool AddData, TacSkinTypes SkinType)
{
    if (!List) return UnicodeString();
    List->Clear();
    TacSkinListController& controller = *SkinListController;
    controller.CheckThread();
    controller.UpdateIfNeeded(true);

    auto* asStringList = dynamic_cast<TStringList*>(List);
    TStringList temporary;
    TStringList& names = asStringList ? *asStringList : temporary;
    for (const TacSkinListData& entry : controller.SkinList) {
        const bool internal = entry.skSkinMode == smInternal;
        if ((SkinType == stUnpacked && internal) || (SkinType == stPacked && !internal)) continue;
        if (AddData) {
            auto* data = new TacItemDrawData();
            data->ImageIndex = entry.skImageIndex;
            names.AddObject(entry.skName, data);
        } else {
            names.Add(entry.skName);
        }
    }
    names.Sort();
    if (!asStringList) List->Assign(&temporary);
    return names.Count() > 0 ? names.Strings(0) : UnicodeString();
}

UnicodeString TsSkinManager::GetExternalSkinNames(TStrings* List, bool AddData, TacSkinTypes)
{
    return GetSkinNames(List, AddData, stUnpacked);
}

void TsSkinManager::GetSkinSections(TStrings* List, TacSkinData* SkinData)
{
    if (!List) return;
    List->Clear();
    if (!IsActive()) return;
    TacSkinData* data = SkinData ? SkinData : CommonSkinData();
    if (!data) return;
    for (const auto& section : data->gd) List->Add(section.ClassName);
}

void TsSkinManager::ExtractInternalSkin(const UnicodeString& NameOfSkin, const UnicodeString& DestDir)
{
    bool found = false;
    for (int i = 0; i < FBuiltInSkins->Count(); ++i) {
        if (FBuiltInSkins->Items(i)->Name() != NameOfSkin) continue;
        found = true;
        if (DirectoryExists(DestDir)) ExtractByIndex(i, DestDir);
        else ShowError(L"Directory does not exists.");
    }
    if (!found) ShowError(L"Skin does not exists.");
}

void TsSkinManager::ExtractByIndex(int Index, const UnicodeString& DestDir)
{
    if (Index < 0 || Index >= FBuiltInSkins->Count()) return;
    const TsStoredSkin& item = *FBuiltInSkins->Items(Index);
    // The name comes from the form file: it must name a file inside DestDir.
    const UnicodeString& name = item.Name();
    if (name.empty() || name == L"." || name == L".." || name.find_first_of(L"\\/:") != UnicodeString::npos) {
        ShowError(name + L" is not a valid skin name.");
        return;
    }
    const UnicodeString dir = NormalDir(DestDir);
    bool exists = DirectoryExists(dir);
    if (!exists && !dir.empty()) {
        try {
            exists = ForceDirectories(dir);
        } catch (const Exception&) {
            exists = false;
        }
    }
    if (!exists) {
        ShowError(dir + L" directory creation error.");
        return;
    }
    if (item.PackedData->Size() == 0) return;
    const UnicodeString file = dir + name + L" extracted.asz";
    try {
        item.PackedData->SaveToFile(file);
    } catch (const Exception&) {
        ShowError(file + L" file writing error.");
    }
}

void TsSkinManager::LoadFonts()
{
    EmbeddedFonts->Clear();
    if (!sc) {
        if (!SkinFile) return;
        const int count = SkinFile->ReadInteger(L"GLOBALINFO", L"FontCount", 0);
        for (int i = 0; i < count; ++i) {
            UnicodeString file = SkinFile->ReadString(L"GLOBALINFO", L"FontFile" + IntToStr(i), UnicodeString());
            const UnicodeString name = SkinFile->ReadString(L"GLOBALINFO", L"FontName" + IntToStr(i), UnicodeString());
            acFontStore::TacEmbeddedFont* font = EmbeddedFonts->Add();
            // A name without a drive lies in the skin's folder, as the skin's images do.
            if (!file.empty() && file.find(L':') == UnicodeString::npos) file = SkinCommonInfo.SkinPath + file;
            if (file.empty() || !FileExists(file)) continue;
            font->FileName = file;
            font->FontName = name;
            try {
                font->FontData->LoadFromFile(file);
            } catch (const Exception&) {
                continue;
            }
            font->LoadFont();
        }
        return;
    }
    for (const TacFileItem& entry : sc->Files) {
        if (entry.FileType != ftFont || !entry.Stream) continue;
        acFontStore::TacEmbeddedFont* font = EmbeddedFonts->Add();
        entry.Stream->SetPosition(0);
        font->FontData->LoadFromStream(*entry.Stream);
        entry.Stream->SetPosition(0);
        if (SkinFile) {
            const int count = SkinFile->ReadInteger(L"GLOBALINFO", L"FontCount", 0);
            for (int i = 0; i < count; ++i) {
                if (SkinFile->ReadString(L"GLOBALINFO", L"FontFile" + IntToStr(i), UnicodeString()) == entry.Name) {
                    font->FontName = SkinFile->ReadString(L"GLOBALINFO", L"FontName" + IntToStr(i), UnicodeString());
                    break;
                }
            }
        }
        font->FileName = entry.Name;
        font->LoadFont();
    }
}
