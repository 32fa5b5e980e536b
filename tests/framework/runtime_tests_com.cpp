// The owning COM pointer, EOleSysError and the shell-execute seam.
#include "ComObj.h"
#include "Exceptions.h"
#include "ShellExecute.h"

#include <gtest/gtest.h>

#include <objidl.h>

#include <string>
#include <vector>

namespace {

// An object with IUnknown and IPersist only, counting its references.
class TCounted : public IPersist {
public:
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist)) {
            *out = static_cast<IPersist*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override
    {
        *id = CLSID_NULL;
        return S_OK;
    }
};

std::vector<std::wstring> executed;
BOOL RecordExecute(SHELLEXECUTEINFOW* info)
{
    executed.push_back(std::wstring(info->lpVerb ? info->lpVerb : L"") + L"|" + (info->lpFile ? info->lpFile : L""));
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    return TRUE;
}

} // namespace

TEST(RuntimeCom, PointerOwnsOneReferenceCopiesByAddRefAndQueriesOtherInterfaces)
{
    TCounted object;
    {
        auto owner = TComPtr<IUnknown>::Attach(static_cast<IPersist*>(&object));
        TComPtr<IUnknown> copy = owner;
        EXPECT_EQ(object.refs, 2u);
        TComPtr<IPersist> persist = owner.As<IPersist>();
        ASSERT_TRUE(persist);
        EXPECT_EQ(object.refs, 3u);
        EXPECT_FALSE(owner.As<IStream>()) << "an interface the object lacks gives an empty pointer";
        EXPECT_EQ(object.refs, 3u);
        TComPtr<IUnknown> moved = std::move(copy);
        EXPECT_FALSE(copy);
        EXPECT_EQ(object.refs, 3u);
        *moved.PutAddress() = nullptr; // a creating call writing into a held pointer releases it first
        EXPECT_EQ(object.refs, 2u);
    }
    EXPECT_EQ(object.refs, 0u) << "the reference taken over is given back";
}

TEST(RuntimeCom, OleCheckRaisesEOleSysErrorWithTheResult)
{
    EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
    try {
        OleCheck(E_NOINTERFACE);
        FAIL() << "no exception";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), E_NOINTERFACE);
        EXPECT_EQ(e.ClassName(), L"EOleSysError");
        EXPECT_FALSE(e.Message().empty());
    }
}

TEST(RuntimeCom, ShellExecuteGoesThroughTheReplaceableEntry)
{
    executed.clear();
    const TShellExecuteExProc old = SetShellExecuteEntry(&RecordExecute);
    const HINSTANCE result = acShellExecute(nullptr, L"open", L"C:\\x.txt", nullptr, nullptr, SW_SHOW);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpFile = L"y";
    EXPECT_TRUE(acShellExecuteEx(&info));
    EXPECT_EQ(SetShellExecuteEntry(old), &RecordExecute);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(result), 42);
    EXPECT_EQ(executed, (std::vector<std::wstring>{L"open|C:\\x.txt", L"|y"}));
}
