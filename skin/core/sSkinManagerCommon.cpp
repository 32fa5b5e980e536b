// Loading a skin for one density in its order: the skin file, once per skin its fonts and common
// data (master image, author, description, version and the other keys of GLOBALINFO), the skin
// data's sections and images, the palette with the colour properties, the window shadows.
#include "sSkinManager.h"

#include "Files.h"
#include "SysUtils.h"
#include "sGraphUtils.h"
#include "sGraphUtilsColor.h"
#include "sGraphUtilsPng.h"
#include "sSkinDataRead.h"

namespace {

const UnicodeString GlobalInfo = L"GLOBALINFO";

// Pixels of the key colour with any alpha become transparent (PNG masters carry alpha already).
void KeyToTransparent(TsColor_& pixel, int)
{
    if ((static_cast<std::uint32_t>(pixel.I) & 0x00FFFFFF) == 0x00FF00FF) pixel.A = 0;
}

// The master image from a file or from a packed entry's stream: a PNG through the PNG reader,
// anything else as a bitmap file.
void ReadMaster(TBitmap& master, const UnicodeString& name, const UnicodeString* path, TMemoryStream* stream)
{
    if (Pos(L".PNG", UpperCase(name))) {
        if (stream) LoadBmpFromPngStream(&master, *stream);
        else LoadBmpFromPngFile(&master, *path);
        if (master.PixelFormat() != pf32bit) {
            master.SetPixelFormat(pf32bit);
            MakeOpaqueExceptKey(&master);
        } else {
            ChangeBitmapPixels(&master, &KeyToTransparent, 0, clNone);
        }
    } else if (stream) {
        master.LoadFromStream(*stream);
    } else {
        master.LoadFromFile(*path);
    }
}

} // namespace

TacSkinData* TsSkinManager::SkinDataOfPPI(int PPI) const
{
    for (const auto& data : SkinDataArray)
        if (data && data->PPI == PPI) return data.get();
    return nullptr;
}

void TsSkinManager::ReloadSkin(int PPI)
{
    TacSkinData* data = SkinDataOfPPI(PPI);
    // A reload never adds to what the skin data held before.
    if (data) data->Reset();
    if (!FActive || !InitSkinFile()) return;
    if (!CommonDataLoaded) {
        LoadFonts();
        LoadCommonData();
        CommonDataLoaded = true;
    }
    if (data) {
        data->LoadParams();
        data->LoadAllMasks();
        data->LoadAllGeneralData();
        data->InitConstantIndexes();
        data->InitMaskIndexes();
        data->InitMaskParams();
    }
    InitSkinParams(PPI);
    if (data) data->CheckShadows();
    if (OnSkinLoading) OnSkinLoading(this);
}

void TsSkinManager::LoadCommonData()
{
    MasterBitmap.reset();
    if (!SkinFile) return;
    const TMemIniFile& ini = *SkinFile;
    const UnicodeString name = ini.ReadString(GlobalInfo, L"MASTERBITMAP", UnicodeString());
    auto master = std::make_unique<TBitmap>();
    master->SetPixelFormat(pf32bit);
    if (!name.empty()) {
        if (!SkinIsPacked) {
            const UnicodeString path = Pos(L":", name) ? name : SkinCommonInfo.SkinPath + name;
            if (FileExists(path)) ReadMaster(*master, name, &path, nullptr);
        } else if (sc) {
            const UnicodeString wanted = UpperCase(name);
            for (TacFileItem& entry : sc->Files)
                if (entry.Stream && UpperCase(entry.Name) == wanted) {
                    entry.Stream->SetPosition(0);
                    ReadMaster(*master, name, nullptr, entry.Stream.get());
                    entry.Stream->SetPosition(0);
                    break;
                }
        }
    }
    if (master->PixelFormat() != pf32bit) {
        master->SetPixelFormat(pf32bit);
        MakeOpaqueExceptKey(master.get());
    }
    MasterBitmap = std::move(master);

    TacSkinCommonInfo& info = SkinCommonInfo;
    info.Author = ini.ReadString(GlobalInfo, L"AUTHOR", UnicodeString());
    info.Description = ini.ReadString(GlobalInfo, L"DESCRIPTION", UnicodeString());
    info.MainFont = ini.ReadString(GlobalInfo, L"MainFont", UnicodeString());
    info.UseAeroBluring = ini.ReadInteger(GlobalInfo, L"AEROBLUR", 0) != 0;
    info.BrightMin = ini.ReadInteger(GlobalInfo, L"BRIGHTMIN", -50);
    info.BrightMax = ini.ReadInteger(GlobalInfo, L"BRIGHTMAX", 50);
    info.BIVAlign = ini.ReadInteger(GlobalInfo, L"BIVALIGN", 0);
    info.BIKeepHUE = ini.ReadInteger(GlobalInfo, L"BIKEEPHUE", 0);
    info.Shadow1Color = ini.ReadInteger(GlobalInfo, L"SHADOW1COLOR", 0);
    info.DefLightColor = ini.ReadInteger(GlobalInfo, L"DEFLIGHT", -1);
    info.ArrowStyle = static_cast<TacArrowsStyle>(ini.ReadInteger(GlobalInfo, L"ARROWSTYLE", 0) & 0xFF);
    // Skins are written with a decimal point, whatever the user's locale.
    info.Version = StrToFloatDef(ini.ReadString(GlobalInfo, L"VERSION", UnicodeString()), 0,
                                 TFormatSettings::Invariant());
    CheckVersion();
}
