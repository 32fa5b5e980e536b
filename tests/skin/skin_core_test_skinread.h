#pragma once
// Shared by the tests of reading a skin text into a skin data: a manager holding the house skin
// (its options text, its master image as the manager keeps it, its folder for the image files)
// or a small text of the test's own, and a skin data loaded from it in the manager's order.
#include "../framework/runtime_test_tempdir.h"
#include "Streams.h"
#include "StringList.h"
#include "house_skin.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPng.h"
#include "skin_core_test_manager.h"

#include <memory>
#include <sstream>

class SkinReadTest : public SkinManagerTest {
protected:
    void SetUp() override
    {
        SkinManagerTest::SetUp();
        manager = std::make_unique<TsSkinManager>(nullptr);
        ASSERT_TRUE(house_skin::WriteFolder(dir.Path()));
        manager->SkinCommonInfo.SkinPath = dir.Path() + L"\\HouseSkin\\";
        // The master image as the manager keeps it: 32 bits, the key colour transparent.
        const house_skin::Bytes png = house_skin::MasterPng();
        TMemoryStream stream;
        stream.WriteBuffer(png.data(), static_cast<long long>(png.size()));
        stream.SetPosition(0);
        manager->MasterBitmap = std::make_unique<TBitmap>();
        LoadBmpFromPngStream(manager->MasterBitmap.get(), stream);
        TacBmpRows rows(manager->MasterBitmap.get());
        for (int y = 0; y < rows.Height(); ++y)
            for (TsColor_& p : rows.Row(y))
                if ((static_cast<std::uint32_t>(p.I) & 0xFFFFFF) == 0xFF00FF) p.A = 0;
    }
    void TearDown() override
    {
        manager.reset();
        SkinManagerTest::TearDown();
    }

    // The skin text: the lines of text (CRLF or LF).
    void SetText(const std::string& text)
    {
        TStringList list;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            list.Add(UnicodeString(line.begin(), line.end()));
        }
        manager->SkinCommonInfo.OptionsDat->SetStrings(list);
        manager->SkinFile = manager->SkinCommonInfo.OptionsDat.get();
    }
    void SetHouse(const house_skin::Options& options = {}) { SetText(house_skin::OptionsText(options)); }

    // A skin data of the given density loaded in the manager's order.
    std::unique_ptr<TacSkinData> Load(int ppi)
    {
        auto data = std::make_unique<TacSkinData>(manager.get(), ppi);
        data->LoadAllMasks();
        data->LoadAllGeneralData();
        data->InitConstantIndexes();
        data->InitMaskIndexes();
        data->InitMaskParams();
        return data;
    }

    static int Section(const TacSkinData& data, const UnicodeString& name)
    {
        for (size_t i = 0; i < data.gd.size(); ++i)
            if (data.gd[i].ClassName == name) return static_cast<int>(i);
        return -1;
    }
    static const TsGeneralData& Gd(const TacSkinData& data, const UnicodeString& name)
    {
        const int i = Section(data, name);
        EXPECT_GE(i, 0) << "section " << std::string(name.begin(), name.end());
        static const TsGeneralData none;
        return i < 0 ? none : data.gd[static_cast<size_t>(i)];
    }
    static int Mask(const TacSkinData& data, const UnicodeString& section, const UnicodeString& key)
    {
        for (size_t i = 0; i < data.ma.size(); ++i)
            if (data.ma[i].ClassName == section && data.ma[i].PropertyName == key) return static_cast<int>(i);
        return -1;
    }

    TestTempDir dir;
    std::unique_ptr<TsSkinManager> manager;
};

// An image value in the fixed-width form.
inline std::string Fixed(TRect r, int margin, int count, int maskType, int imgType, int drawMode,
                         const std::string& file = "")
{
    char text[64];
    snprintf(text, sizeof text, "&%04d%04d%04d%04d%04d%04d%04d%04d%d%d%d%02d000000", static_cast<int>(r.Left),
             static_cast<int>(r.Top), static_cast<int>(r.Right), static_cast<int>(r.Bottom), margin, margin, margin,
             margin, count, maskType, imgType, drawMode);
    return text + file;
}

inline std::uint32_t PixelAt(TBitmap& bmp, int x, int y)
{
    TacBmpRows rows(&bmp);
    return static_cast<std::uint32_t>(rows.At(x, y).I);
}
