#pragma once
// A small fake shell folder for the paths Wine's shell never takes (no IShellDetails,
// CreateViewObject fails): names and parsing go to the real desktop folder, attributes are the
// test's, and IShellDetails is offered only when asked for. Its items are real absolute IDs, so
// an item made below a root of this folder has a real path.
#include "acShellCtrls.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>

class TFakeShellFolder : public IShellFolder, public IShellDetails {
public:
    explicit TFakeShellFolder(bool withDetails) : withDetails_(withDetails), desktop_(DesktopShellFolder()) {}
    virtual ~TFakeShellFolder() = default;

    // What GetAttributesOf answers (masked by the request) and how often it was asked.
    SFGAOF attributes = 0;
    int attributeCalls = 0;
    // When set, every display name (how often it was asked).
    std::wstring fixedName;
    int nameCalls = 0;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) *out = static_cast<IShellFolder*>(this);
        else if (withDetails_ && IsEqualIID(iid, IID_IShellDetails)) *out = static_cast<IShellDetails*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IShellFolder
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND wnd, IBindCtx* bc, LPWSTR name, ULONG* eaten, PIDLIST_RELATIVE* id,
                                               ULONG* attrs) override
    {
        return desktop_->ParseDisplayName(wnd, bc, name, eaten, id, attrs);
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lparam, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override
    {
        return desktop_->CompareIDs(lparam, a, b);
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (withDetails_ && IsEqualIID(iid, IID_IShellDetails)) return QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF* inOut) override
    {
        ++attributeCalls;
        *inOut &= attributes;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void** out) override
    {
        *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD id, SHGDNF flags, STRRET* name) override
    {
        ++nameCalls;
        if (!fixedName.empty()) {
            name->uType = STRRET_WSTR;
            name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((fixedName.size() + 1) * sizeof(wchar_t)));
            std::wmemcpy(name->pOleStr, fixedName.c_str(), fixedName.size() + 1);
            return S_OK;
        }
        return desktop_->GetDisplayNameOf(id, flags, name);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD* out) override
    {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

    // IShellDetails: column n of any item reads "detail n".
    HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD, UINT column, SHELLDETAILS* details) override
    {
        const std::wstring text = L"detail " + std::to_wstring(column);
        details->str.uType = STRRET_WSTR;
        details->str.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
        std::wmemcpy(details->str.pOleStr, text.c_str(), text.size() + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ColumnClick(UINT) override { return E_NOTIMPL; }

private:
    std::atomic<ULONG> refs_{1};
    bool withDetails_;
    TComPtr<IShellFolder> desktop_;
};

// A new fake folder, owned by the pointer.
inline TComPtr<IShellFolder> NewFakeShellFolder(bool withDetails, TFakeShellFolder** fake = nullptr)
{
    auto* folder = new TFakeShellFolder(withDetails);
    if (fake) *fake = folder;
    return TComPtr<IShellFolder>::Attach(static_cast<IShellFolder*>(folder));
}
