// The skin manager's index look-ups for the painters: sections, masks and textures by name, with
// the fallback to a section's parent. Names compare exactly (case-sensitive).
#include "sSkinManager.h"

namespace {

// The sections a section may inherit from can form a loop in a broken skin; no chain is longer
// than the number of sections.
bool ValidIndex(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

} // namespace

int TsSkinManager::GetSkinIndex(const UnicodeString& SectionName, TacSkinData* SkinData)
{
    TacSkinData* data = SkinData ? SkinData : CommonSkinData(96);
    if (!data || SectionName.empty()) return -1;
    for (size_t i = 0; i < data->gd.size(); ++i)
        if (data->gd[i].ClassName == SectionName) return static_cast<int>(i);
    return -1;
}

int TsSkinManager::GetMaskIndex(int SkinIndex, const UnicodeString& SkinSection, const UnicodeString& PropName,
                                TacSkinData* SkinData)
{
    TacSkinData* data = SkinData ? SkinData : CommonSkinData(96);
    if (!data) return -1;
    UnicodeString section = SkinSection;
    for (size_t step = 0; step <= data->gd.size() && SkinIndex >= 0; ++step) {
        for (size_t i = 0; i < data->ma.size(); ++i)
            if (data->ma[i].SkinIndex == SkinIndex && data->ma[i].PropertyName == PropName) return static_cast<int>(i);
        if (!ValidIndex(SkinIndex, data->gd.size())) return -1;
        const UnicodeString& parent = data->gd[static_cast<size_t>(SkinIndex)].ParentClass;
        if (parent.empty() || parent == section) return -1;
        section = parent;
        SkinIndex = GetSkinIndex(parent, data);
    }
    return -1;
}

int TsSkinManager::GetMaskIndex(int SkinIndex, const UnicodeString& PropName, TacSkinData* SkinData)
{
    TacSkinData* data = SkinData ? SkinData : CommonSkinData(96);
    if (!data || !ValidIndex(SkinIndex, data->gd.size())) {
        if (!data || SkinIndex < 0) return -1;
        for (size_t i = 0; i < data->ma.size(); ++i)
            if (data->ma[i].SkinIndex == SkinIndex && data->ma[i].PropertyName == PropName) return static_cast<int>(i);
        return -1;
    }
    return GetMaskIndex(SkinIndex, data->gd[static_cast<size_t>(SkinIndex)].ClassName, PropName, data);
}

int TsSkinManager::GetMaskIndex(const UnicodeString& SectionName, const UnicodeString& PropName, TacSkinData* SkinData)
{
    TacSkinData* data = SkinData ? SkinData : CommonSkinData(96);
    if (!data) return -1;
    for (size_t i = 0; i < data->ma.size(); ++i)
        if (data->ma[i].ClassName == SectionName && data->ma[i].PropertyName == PropName) return static_cast<int>(i);
    return -1;
}

int TsSkinManager::GetTextureIndex(int SkinIndex, const UnicodeString& SkinSection, const UnicodeString& PropName,
                                   TacSkinData* SkinData)
{
    TacSkinData* data = SkinData ? SkinData : CommonSkinData(96);
    if (!data || data->ma.empty()) return -1;
    UnicodeString section = SkinSection;
    for (size_t step = 0; step <= data->gd.size() && SkinIndex >= 0 && !section.empty(); ++step) {
        for (size_t i = 0; i < data->ma.size(); ++i) {
            const TsMaskData& mask = data->ma[i];
            if (mask.ImgType == itisaTexture && mask.PropertyName == PropName && mask.ClassName == section)
                return static_cast<int>(i);
        }
        if (!ValidIndex(SkinIndex, data->gd.size())) return -1;
        const UnicodeString& parent = data->gd[static_cast<size_t>(SkinIndex)].ParentClass;
        if (parent.empty() || parent == section) return -1;
        const int parentIndex = GetSkinIndex(parent, data);
        if (parentIndex < 0) return -1;
        section = parent;
        SkinIndex = parentIndex;
    }
    return -1;
}

int TsSkinManager::GetTextureIndex(int SkinIndex, const UnicodeString& PropName, TacSkinData* SkinData)
{
    TacSkinData* data = SkinData ? SkinData : CommonSkinData(96);
    if (!data || data->ma.empty()) return -1;
    for (size_t step = 0; step <= data->gd.size() && SkinIndex >= 0; ++step) {
        for (size_t i = 0; i < data->ma.size(); ++i) {
            const TsMaskData& mask = data->ma[i];
            if (mask.ImgType == itisaTexture && mask.SkinIndex == SkinIndex && mask.PropertyName == PropName)
                return static_cast<int>(i);
        }
        if (!ValidIndex(SkinIndex, data->gd.size())) return -1;
        const TsGeneralData& section = data->gd[static_cast<size_t>(SkinIndex)];
        if (section.ParentClass.empty() || section.ParentClass == section.ClassName) return -1;
        SkinIndex = GetSkinIndex(section.ParentClass, data);
    }
    return -1;
}

int TsSkinManager::LengthOfGD()
{
    TacSkinData* data = SkinDataArray.empty() ? nullptr : SkinDataArray[0].get();
    return data ? static_cast<int>(data->gd.size()) : 0;
}

bool TsSkinManager::IsValidSkinIndex(int i) { return i >= 0 && i < LengthOfGD(); }

bool TsSkinManager::IsValidImgIndex(int i)
{
    TacSkinData* data = SkinDataArray.empty() ? nullptr : SkinDataArray[0].get();
    return data && ValidIndex(i, data->ma.size());
}

// Without any skin data (before the library's start-up) the arrays are empty ones.
TsGeneralDataArray& TsSkinManager::gd()
{
    static TsGeneralDataArray none;
    TacSkinData* data = CommonSkinData(96);
    return data ? data->gd : none;
}

TsMaskArray& TsSkinManager::ma()
{
    static TsMaskArray none;
    TacSkinData* data = CommonSkinData(96);
    return data ? data->ma : none;
}

TacOutEffArray& TsSkinManager::oe()
{
    static TacOutEffArray none;
    TacSkinData* data = CommonSkinData(96);
    return data ? data->oe : none;
}
