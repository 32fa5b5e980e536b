#pragma once
// A skin manager showing the house test skin, for fixtures that build their own controls, and
// the GDI font-family query the font tests share.
#include "Files.h"
#include "house_skin.h"
#include "sSkinManager.h"

#include <windows.h>

#include <memory>

// The house skin (with the given options) written into folder\skins and an active manager over
// it; null when the skin could not be written.
inline std::unique_ptr<TsSkinManager> ActiveHouseSkinManager(const UnicodeString& folder,
                                                             const house_skin::Options& options = {})
{
    const UnicodeString skins = folder + L"\\skins";
    if (!ForceDirectories(skins) || !house_skin::WriteFolder(skins, options)) return nullptr;
    auto manager = std::make_unique<TsSkinManager>(nullptr);
    manager->AfterConstruction();
    manager->SetActive(false);
    manager->SetSkinDirectory(skins);
    manager->SetSkinName(L"HouseSkin");
    manager->SetActive(true);
    return manager;
}

// Whether a font family of that name is known to GDI.
inline bool FaceKnown(const UnicodeString& name)
{
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    HDC dc = GetDC(nullptr);
    int count = 0;
    EnumFontFamiliesExW(
        dc, &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM counter) -> int {
            ++*reinterpret_cast<int*>(counter);
            return 1;
        },
        reinterpret_cast<LPARAM>(&count), 0);
    ReleaseDC(nullptr, dc);
    return count > 0;
}
