#pragma once
// The fixture of the window wrapper tests: a window of each kind a wrapper takes over (a window
// of a test class, a system edit, a framework edit) with a recorder installed before wrapping, a
// wrapper that counts its restorings, and the command message as a sender writes it.
#include "skin_core_test_skinload.h"
#include "skin_wrappers_test_support.h"

#include "StdCtrls.h"
#include "acDials.h"
#include "acSBUtils.h"
#include "sMessages.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <memory>

enum class Kind { TestClass, SystemEdit, FrameworkEdit };
inline const char* KindName(Kind k)
{
    switch (k) {
    case Kind::TestClass: return "test class";
    case Kind::SystemEdit: return "system edit";
    default: return "framework edit";
    }
}
inline constexpr Kind kKinds[] = {Kind::TestClass, Kind::SystemEdit, Kind::FrameworkEdit};

// A window of one kind, with a recorder installed before any wrapper: a subclass of a foreign
// window, a WindowProc of a framework control. Foreign windows sit in a recording parent.
class Subject {
public:
    Subject(Kind kind, TForm* form) : kind_(kind)
    {
        if (kind == Kind::FrameworkEdit) {
            Edit = new TEdit(form);
            Edit->SetParent(form);
            Edit->SetBounds(10, 10, 160, 24);
            Edit->SetText(L"framework");
            Handle = Edit->Handle();
            method_ = std::make_unique<RecordingWindowProc>(Edit);
            return;
        }
        Parent = std::make_unique<RecordingWindow>(nullptr, RECT{40, 40, 360, 240});
        if (kind == Kind::TestClass) {
            own_ = std::make_unique<RecordingWindow>(Parent->Handle(), RECT{10, 10, 170, 50});
            Handle = own_->Handle();
        } else {
            Handle = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"system", WS_CHILD | WS_VISIBLE, 10, 10, 160, 24,
                                     Parent->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        }
        subclass_ = std::make_unique<RecordingSubclass>(Handle);
    }

    // A framework control goes with its recorder, so nothing is left calling a freed one.
    ~Subject()
    {
        if (!Edit) return;
        method_.reset();
        delete Edit;
    }
    Subject(const Subject&) = delete;
    Subject& operator=(const Subject&) = delete;

    // The framework control calls its first recorder again (what its owner does when a wrapper's
    // parked procedure goes at the library's shut-down).
    void ReinstallRecorder() { Edit->WindowProc = TWndMethod(method_.get(), &RecordingWindowProc::Handle); }

    MessageLog& Log() { return method_ ? method_->Log : subclass_->Log; }
    TacSkinParams Params() const
    {
        TacSkinParams p;
        p.Control = Edit;
        return p;
    }
    // True while the window (or control) has the procedure it had before wrapping.
    bool HasOriginalProcedure() const
    {
        if (method_) return Edit->WindowProc == TWndMethod(method_.get(), &RecordingWindowProc::Handle);
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Handle, GWLP_WNDPROC)) == RecordingSubclass::Procedure();
    }
    // Destroys the window (a framework control makes a new one).
    void DestroyTheWindow()
    {
        if (Edit)
            Edit->RecreateWnd();
        else
            DestroyWindow(Handle);
    }
    Kind kind() const { return kind_; }

    HWND Handle = nullptr;
    TEdit* Edit = nullptr;
    std::unique_ptr<RecordingWindow> Parent;

private:
    Kind kind_;
    std::unique_ptr<RecordingWindow> own_;
    std::unique_ptr<RecordingSubclass> subclass_;
    std::unique_ptr<RecordingWindowProc> method_;
};

// A wrapper that counts its restorings.
class CountingWnd : public TacMainWnd {
public:
    void RestoreStdParams() override
    {
        ++Restored;
        TacMainWnd::RestoreStdParams();
    }
    int Restored = 0;
};

class WrapperTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        acSBUtilsInitialization();
        form = NewForm(420, 260);
        form->Show();
    }
    void TearDown() override
    {
        acSBUtilsFinalization();
        SkinLoadTest::TearDown();
    }
    TForm* form = nullptr;
};

// A wrapper test that goes through the dialog hook: it needs the third-party lists (made here
// unless a test before made them, and then freed again) and a skin that put the hook in.
class HookedWrapperTest : public WrapperTest {
protected:
    void SetUp() override
    {
        WrapperTest::SetUp();
        if (!ThirdPartySkipForms) {
            sThirdPartyInitialization();
            ownThirdParty_ = true;
        }
    }
    void TearDown() override
    {
        WrapperTest::TearDown();
        if (ownThirdParty_) sThirdPartyFinalization();
    }
    void LoadHooked(const house_skin::Options& o = {})
    {
        Load(o);
        ASSERT_TRUE(manager->IsActive());
        ASSERT_NE(HookCallback, nullptr);
    }

private:
    bool ownThirdParty_ = false;
};

inline LRESULT Command(HWND wnd, WORD code, LPARAM lParam = 0, WORD low = 0)
{
    // Delivered as the library's own senders deliver, so pointer arguments count.
    const TacOwnSend own;
    return SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(code, low), lParam);
}

