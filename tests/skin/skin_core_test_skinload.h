#pragma once
// Shared by the tests of loading a whole skin through SkinName: a manager that loads the house
// skin (or a variant of its options text) from its folder, its packed file or as a stored skin,
// with the manager's properties set before the load, and look-ups into what it loaded.
#include "../framework/runtime_test_tempdir.h"
#include "Files.h"
#include "StringList.h"
#include "house_skin.h"
#include "sGraphUtils.h"
#include "sStoredSkins.h"
#include "skin_core_test_manager.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

enum class SkinSource { Folder, Archive, Stored };

// What a section of colour own and transparency t (1..99) shows over a parent of colour parent:
// each colour byte moves toward the parent's by t / 256.
inline TColor SectionOverParent(TColor own, TColor parent, int t)
{
    TsColor o, p, r;
    o.C = own;
    p.C = parent;
    r.C = parent;
    r.R = static_cast<std::uint8_t>(((p.R - o.R) * t + o.R * 256) >> 8);
    r.G = static_cast<std::uint8_t>(((p.G - o.G) * t + o.G * 256) >> 8);
    r.B = static_cast<std::uint8_t>(((p.B - o.B) * t + o.B * 256) >> 8);
    return r.C;
}

class SkinLoadTest : public SkinManagerTest {
protected:
    void TearDown() override
    {
        manager.reset();
        acEditorSkinFile = nullptr;
        SetCommandLineOverride(std::nullopt);
        SkinManagerTest::TearDown();
    }

    using Prepare = std::function<void(TsSkinManager&)>;
    using Edit = std::function<std::string(std::string)>;

    // Writes the skin for source into a folder of its own (the folder's options text changed by
    // edit), then makes an inactive manager over it, runs prepare and activates it.
    void Load(const house_skin::Options& o = {}, SkinSource source = SkinSource::Folder, const Prepare& prepare = {},
              const Edit& edit = {})
    {
        const UnicodeString skins = dir.Path() + L"\\skins" + std::to_wstring(++folders_);
        ASSERT_TRUE(ForceDirectories(skins));
        if (source == SkinSource::Folder) {
            ASSERT_TRUE(house_skin::WriteFolder(skins, o));
            if (edit) WriteOptions(skins, edit(house_skin::OptionsText(o)));
        } else if (source == SkinSource::Archive) {
            ASSERT_TRUE(house_skin::WriteArchive(skins, o));
        }
        manager.reset();
        manager = std::make_unique<TsSkinManager>(nullptr);
        manager->AfterConstruction();
        manager->SetActive(false);
        manager->SetSkinDirectory(skins);
        if (source == SkinSource::Stored) {
            TsStoredSkin* item = manager->InternalSkins()->Add();
            item->SetName(L"HouseSkin");
            item->SetData(house_skin::Archive(o));
        }
        manager->SetSkinName(L"HouseSkin");
        if (prepare) prepare(*manager);
        manager->SetActive(true);
    }

    static void WriteOptions(const UnicodeString& skins, const std::string& text)
    {
        TMemoryStream stream;
        stream.WriteBuffer(text.data(), static_cast<long long>(text.size()));
        stream.SaveToFile(skins + L"\\HouseSkin\\Options.dat");
    }

    // The text with the line "key=..." replaced by "key=value" (removed when value is null).
    static std::string SetKey(std::string text, const std::string& key, const std::optional<std::string>& value)
    {
        const size_t at = text.find("\r\n" + key + "=");
        if (at == std::string::npos) return text;
        const size_t end = text.find("\r\n", at + 2);
        text.replace(at, end - at, value ? "\r\n" + key + "=" + *value : std::string());
        return text;
    }

    TacSkinData& Data(int ppi = 96) { return *manager->CommonSkinData(ppi); }

    static const TsMaskData* Mask(TacSkinData& data, const UnicodeString& section, const UnicodeString& key)
    {
        for (const TsMaskData& m : data.ma)
            if (m.ClassName == section && m.PropertyName == key) return &m;
        return nullptr;
    }
    static TacBmpData* Entry(TacSkinData& data, const UnicodeString& fileName)
    {
        for (TacBmpData& e : data.BmpArray)
            if (e.FileName == fileName) return &e;
        return nullptr;
    }

    // The house master as the manager keeps it: the key colour transparent.
    static std::uint32_t HouseMaster(int x, int y)
    {
        static const std::vector<house_skin::Argb> pixels = house_skin::MasterPixels();
        const std::uint32_t p = house_skin::MasterPixel(pixels, x, y);
        return (p & 0xFFFFFF) == 0xFF00FF ? 0x00FF00FF : p;
    }

    static std::uint32_t Pixel(TBitmap& bmp, int x, int y)
    {
        TacBmpRows rows(&bmp);
        return rows.Contains(x, y) ? static_cast<std::uint32_t>(rows.At(x, y).I) : 0xDEADBEEF;
    }

    TestTempDir dir;
    std::unique_ptr<TsSkinManager> manager;

private:
    int folders_ = 0;
};
