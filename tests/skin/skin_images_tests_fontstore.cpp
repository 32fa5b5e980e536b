// Font store: fonts read from a form definition and installed when the form is loaded, the
// entry without data, font names, copying between stores, and removal with the store.
#include "FormReader.h"
#include "FormWriter.h"
#include "StringList.h"
#include "acFontStore.h"
#include "skin_test_house_manager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

std::vector<std::uint8_t> ResourceBytes(const wchar_t* name)
{
    TResourceStream res(GetModuleHandleW(nullptr), name);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(res.Size()));
    res.ReadBuffer(bytes.data(), static_cast<long long>(bytes.size()));
    return bytes;
}

UnicodeString Hex(const std::vector<std::uint8_t>& bytes)
{
    UnicodeString out;
    wchar_t digits[3];
    for (std::uint8_t b : bytes) {
        swprintf(digits, 3, L"%02X", b);
        out += digits;
    }
    return out;
}

class SkinFontStore : public ::testing::Test {
protected:
    void SetUp() override { acFontStoreInitialization(); }
    void TearDown() override { acFontStoreFinalization(); }
};

} // namespace

TEST_F(SkinFontStore, FontsOfAFormDefinitionAreInstalledWhenLoadedAndRemovedWithTheStore)
{
    const auto one = ResourceBytes(L"SKINSTOREFONT1");
    const auto two = ResourceBytes(L"SKINSTOREFONT2");
    EXPECT_FALSE(FaceKnown(L"Store Test One"));
    EXPECT_FALSE(FaceKnown(L"Store Test Two"));

    int changes = 0;
    TMethodTable methods;
    methods.Add<TNotifyEvent>(L"StoreChanged", [&](TObject*) { ++changes; });
    auto root = std::make_unique<TComponent>(nullptr);
    root->SetName(L"Root");
    ReadComponentFromText(root.get(),
                          L"object Root: TComponent\r\n"
                          L"  object Store: TsFontStore\r\n"
                          L"    Fonts = <\r\n"
                          L"      item\r\n"
                          L"        FileName = 'one.ttf'\r\n"
                          L"        FontName = 'Store Test One'\r\n"
                          L"        FontData = {" + Hex(one) + L"}\r\n"
                          L"      end\r\n"
                          L"      item\r\n"
                          L"        FontName = 'Store Test Two'\r\n"
                          L"        FontData = {" + Hex(two) + L"}\r\n"
                          L"      end\r\n"
                          L"      item\r\n"
                          L"        FontName = 'Without Data'\r\n"
                          L"        FontData = {}\r\n"
                          L"      end>\r\n"
                          L"    OnFontListChanged = StoreChanged\r\n"
                          L"  end\r\n"
                          L"end\r\n",
                          &methods);
    auto* store = dynamic_cast<TsFontStore*>(root->FindComponent(L"Store"));
    ASSERT_TRUE(store);
    ASSERT_NE(acFontStoreList(), nullptr);
    EXPECT_EQ(acFontStoreList()->size(), 1u);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(store->Fonts()->Count(), 3);
    EXPECT_TRUE(FaceKnown(L"Store Test One"));
    EXPECT_TRUE(FaceKnown(L"Store Test Two"));
    EXPECT_NE(store->Fonts()->Items(0)->Handle, nullptr);
    EXPECT_NE(store->Fonts()->Items(1)->Handle, nullptr);
    EXPECT_EQ(store->Fonts()->Items(0)->FileName, UnicodeString(L"one.ttf"));
    EXPECT_EQ(store->Fonts()->Items(2)->Handle, nullptr) << "an entry without data installs nothing";
    EXPECT_EQ(store->Fonts()->Items(2)->FontCount(), 0u);

    TStringList names;
    store->GetFontNames(&names);
    ASSERT_EQ(names.Count(), 3);
    EXPECT_EQ(names[0], UnicodeString(L"Store Test One"));
    EXPECT_EQ(names[1], UnicodeString(L"Store Test Two"));
    EXPECT_EQ(names[2], UnicodeString(L"Without Data"));

    // The written form keeps every entry's data, the empty one too.
    const UnicodeString text = WriteComponentToText(root.get());
    EXPECT_NE(text.find(L"FontName = 'Store Test Two'"), UnicodeString::npos);
    EXPECT_NE(text.find(L"FontData = {}"), UnicodeString::npos);

    // Another store takes copies of the entries and their data.
    TsFontStore other(nullptr);
    int otherChanges = 0;
    other.OnFontListChanged = [&](TObject* sender) {
        EXPECT_EQ(sender, &other);
        ++otherChanges;
    };
    other.Fonts()->Add()->FontName = L"Replaced";
    other.Assign(store);
    EXPECT_EQ(otherChanges, 1);
    ASSERT_EQ(other.Fonts()->Count(), 3);
    EXPECT_EQ(other.Fonts()->Items(1)->FontName, UnicodeString(L"Store Test Two"));
    const auto copied = other.Fonts()->Items(1)->FontDataBytes();
    EXPECT_EQ(std::vector<std::uint8_t>(copied.begin(), copied.end()), two);
    EXPECT_EQ(other.Fonts()->Items(1)->Handle, nullptr) << "installed only when loaded";
    EXPECT_EQ(other.Fonts()->Items(2)->FontData->Size(), 0);
    EXPECT_EQ(acFontStoreList()->size(), 2u);
    // A store assigned to itself keeps its fonts.
    other.Assign(&other);
    ASSERT_EQ(other.Fonts()->Count(), 3);
    EXPECT_EQ(other.Fonts()->Items(1)->FontData->Size(), static_cast<long long>(two.size()));

    // An entry takes its font away (the path its destruction takes). Wine keeps a removed
    // family enumerable and reports every removal as done, so only the handle shows it.
    store->Fonts()->Items(1)->UnLoadFont();
    EXPECT_EQ(store->Fonts()->Items(1)->Handle, nullptr);
    EXPECT_EQ(store->Fonts()->Items(1)->FontCount(), 0u);
    root.reset();
    EXPECT_EQ(acFontStoreList()->size(), 1u);
    EXPECT_EQ(acFontStoreList()->front(), &other);
}

TEST_F(SkinFontStore, TheLastShutDownOfTheUnitForgetsItsStores)
{
    acFontStoreInitialization(); // a second user of the unit
    {
        TsFontStore store(nullptr);
        ASSERT_NE(acFontStoreList(), nullptr);
    }
    acFontStoreFinalization();
    EXPECT_NE(acFontStoreList(), nullptr) << "one user is left";
    acFontStoreFinalization();
    EXPECT_EQ(acFontStoreList(), nullptr);
    acFontStoreInitialization(); // the fixture's own shut-down follows
}
