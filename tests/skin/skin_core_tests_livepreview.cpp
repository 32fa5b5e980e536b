// The skin editor's live preview: the received record applied by the default manager (a changed
// section repainted, a whole skin reloaded), its fields read within their widths, and the task
// bar's iconic bitmaps.
#include "skin_core_test_skinload.h"

#include "sConst.h"
#include "sSkinProvider.h"

#include <algorithm>
#include <cstring>

namespace hs = house_skin;

namespace {

constexpr TColor kEditedMain = 0x3060A0;

class LivePreviewTest : public SkinLoadTest {
protected:
    void TearDown() override
    {
        UnPackedFirst = false;
        SkinLoadTest::TearDown();
    }

    template <size_t N>
    static void Put(std::array<char, N>& field, const std::string& text)
    {
        field.fill(0);
        std::memcpy(field.data(), text.data(), std::min(text.size(), N));
    }

    // The house options text with another main colour: what the editor sends after an edit.
    static std::string EditedText()
    {
        return SetKey(hs::OptionsText(), "COLOR", std::to_string(kEditedMain));
    }

    // Fills the manager's buffer as the form skinning would on WM_COPYDATA.
    void Receive(const std::string& section, const std::string& text = EditedText())
    {
        TacSkinEditorData& data = manager->PreviewBuffer;
        data.Magic = acSkinEditorMagic;
        Put(data.Name1, "HouseSkin");
        Put(data.Name2, section);
        const std::wstring dir = manager->SkinDirectory();
        Put(data.Data1, std::string(dir.begin(), dir.end()));
        Put(data.Data2, text);
    }
};

} // namespace

TEST_F(LivePreviewTest, AChangedSectionIsRepaintedWithoutANewSkinBroadcast)
{
    Load();
    RecordingForm("form");
    Receive("BUTTON");
    Commands().clear();
    // Command 71 to the application window, as the form skinning posts it.
    SendMessageW(Application->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_UPDATEPREVIEW), 0);
    EXPECT_TRUE(UnPackedFirst);
    EXPECT_EQ(acEditorSkinFile, nullptr) << "later loads use the normal sources again";
    EXPECT_EQ(manager->Palette[pcMainColor], kEditedMain) << "the skin was built from the received text";
    EXPECT_FALSE(manager->NoAutoUpdate);
    EXPECT_FALSE(manager->ManagerState.Contains(msSkinChanging));
    const std::vector<WORD> codes = CodesOf("form");
    EXPECT_EQ(std::count(codes.begin(), codes.end(), AC_SETNEWSKIN), 0) << "only the section is repainted";
    const int button = manager->GetSkinIndex(L"BUTTON");
    ASSERT_GE(button, 0);
    bool sectionRefresh = false;
    for (const RecordedCommand& c : Commands())
        if (c.Receiver == "form" && c.Code == AC_REFRESH && c.Low == button) sectionRefresh = true;
    EXPECT_TRUE(sectionRefresh);
    // The images come from the skin folder the record names.
    EXPECT_EQ(manager->SkinCommonInfo.SkinPath, manager->SkinDirectory() + L"\\HouseSkin\\");
    const TsMaskData* edit = Mask(Data(), L"EDIT", L"BORDERSMASK");
    ASSERT_NE(edit, nullptr);
    EXPECT_NE(edit->Bmp, nullptr) << "EditFrame.png of the folder";
}

TEST_F(LivePreviewTest, TheWholeSkinReloadsWhenNoSectionIsNamedOrAColourPropertyIsSet)
{
    struct Row {
        const char* what;
        std::string section;
        int hue;
    };
    for (const Row& row : {Row{"no section", "", 0}, Row{"hue offset", "BUTTON", 10}}) {
        Load();
        manager->SetHueOffset(row.hue);
        RecordingForm(row.what);
        Receive(row.section);
        Commands().clear();
        ReceiveData(manager.get(), false);
        const std::vector<WORD> codes = CodesOf(row.what);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), AC_SETNEWSKIN), 1) << row.what;
        EXPECT_EQ(acEditorSkinFile, nullptr) << row.what;
        EXPECT_FALSE(manager->NoAutoUpdate) << row.what;
        if (row.hue == 0) {
            EXPECT_EQ(manager->Palette[pcMainColor], kEditedMain) << row.what;
        }
    }
}

TEST_F(LivePreviewTest, ARecordWithAnotherMagicIsIgnored)
{
    Load();
    Receive("");
    manager->PreviewBuffer.Magic = 0xA401;
    ReceiveData(manager.get(), true);
    EXPECT_FALSE(UnPackedFirst);
    EXPECT_EQ(manager->Palette[pcMainColor], static_cast<TColor>(hs::kMainColor));
}

TEST_F(LivePreviewTest, FieldsWithoutAZeroByteAreReadWithinTheirWidths)
{
    Load();
    const UnicodeString dir = manager->SkinDirectory();
    TacSkinEditorData& data = manager->PreviewBuffer;
    Receive("");
    data.Name1.fill('N');
    data.Name2.fill('S');
    // The folder padded with separators up to the field's end.
    std::string folder(dir.begin(), dir.end());
    folder.resize(data.Data1.size(), '\\');
    std::memcpy(data.Data1.data(), folder.data(), data.Data1.size());
    // The text fills its field, ending in a comment line.
    std::string text = EditedText() + ";";
    text.resize(data.Data2.size(), 'x');
    std::memcpy(data.Data2.data(), text.data(), data.Data2.size());

    ReceiveData(manager.get(), false);
    EXPECT_EQ(manager->SkinName(), UnicodeString(128, L'N'));
    EXPECT_EQ(manager->SkinDirectory().size(), 512u);
    EXPECT_EQ(manager->Palette[pcMainColor], kEditedMain);
    EXPECT_EQ(acEditorSkinFile, nullptr);
}

TEST_F(LivePreviewTest, UpdatePreviewTellsTheDesktopWindowManager)
{
    struct Call {
        HWND wnd;
        DWORD attribute;
        BOOL value;
    };
    static std::vector<Call> calls;
    static std::vector<HWND> invalidated;
    static HRESULT answer = E_NOTIMPL;
    calls.clear();
    invalidated.clear();
    const TacDwmEntries old = acReplaceDwmEntries(
        {[](HWND wnd, DWORD attribute, const void* data, DWORD size) {
             calls.push_back({wnd, attribute, size == sizeof(BOOL) ? *static_cast<const BOOL*>(data) : -1});
             return answer;
         },
         [](HWND wnd) {
             invalidated.push_back(wnd);
             return S_OK;
         }});
    const auto wnd = reinterpret_cast<HWND>(0x1234);

    ac_ChangeThumbPreviews = false;
    UpdatePreview(wnd, true);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(invalidated.empty());

    ac_ChangeThumbPreviews = true;
    answer = E_NOTIMPL;
    UpdatePreview(wnd, true);
    ASSERT_EQ(calls.size(), 2u) << "the forced iconic representation after a failure";
    EXPECT_EQ(calls[0].attribute, 10u);
    EXPECT_EQ(calls[1].attribute, 7u);
    EXPECT_EQ(calls[1].value, TRUE);
    EXPECT_EQ(invalidated, (std::vector<HWND>{wnd}));

    calls.clear();
    answer = S_OK;
    UpdatePreview(wnd, false);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].attribute, 10u);
    EXPECT_EQ(calls[0].value, FALSE);
    EXPECT_EQ(invalidated.size(), 2u);

    acReplaceDwmEntries(old);
    ac_ChangeThumbPreviews = false;
}
