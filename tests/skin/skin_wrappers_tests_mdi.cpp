// The MDI client wrapper: the form's wall under the children, the global switches, a maximized
// child, and the library's commands around scrolling.
#include "skin_wrappers_test_base.h"

#include "acSBUtilsMDI.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sSkinProvider.h"
#include "skin_graphics_test_png.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MDIWrapperTest : public WrapperTest {
protected:
    void SetUp() override
    {
        WrapperTest::SetUp();
        house_skin::Options o;
        o.withForm = true;
        Load(o);
        ASSERT_TRUE(manager->IsActive());
        Application->CreateForm(frame);
        frame->SetFormStyle(fsMDIForm);
        frame->SetBounds(40, 40, 520, 400);
        provider = new TsSkinProvider(frame);
        frame->Show();
        provider->PrepareForm();
        for (int i = 0; i < 2; ++i) {
            auto* child = new TForm(Application);
            child->SetFormStyle(fsMDIChild);
            child->SetText(L"Child " + std::to_wstring(i));
            child->SetBounds(10 + 30 * i, 10, 160, 100);
            child->Show();
            kids.push_back(child);
        }
        // What the MDI support makes for the client window.
        TacSkinParams params;
        params.SkinSection = L"CHECKBOX";
        params.UseSkinColor = false;
        wrapper = CreateWrapper<TacMDIWnd>(frame->ClientHandle(), nullptr, manager.get(), params, true);
        wrapper->FForm = frame;
        wrapper->MDISkinData = provider->FCommonData.get();
        wrapper->SkinProvider = provider;
    }
    void TearDown() override
    {
        DrawSkinnedMDIWall = DrawSkinnedMDIScrolls = true;
        TacMainWnd* w = wrapper;
        UninitializeACWnd(frame->ClientHandle(), true, false, w);
        for (TForm* kid : kids) delete kid;
        delete frame;
        WrapperTest::TearDown();
    }

    // The client erased into a bitmap of its size first filled with a sentinel colour.
    std::unique_ptr<TBitmap> Erased()
    {
        RECT r{};
        GetClientRect(frame->ClientHandle(), &r);
        auto bmp = std::make_unique<TBitmap>(r.right, r.bottom, pf32bit);
        HBRUSH sentinel = CreateSolidBrush(kSentinel);
        FillRect(bmp->Canvas()->Handle(), &r, sentinel);
        DeleteObject(sentinel);
        SendMessageW(frame->ClientHandle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
        GdiFlush();
        return bmp;
    }
    static constexpr COLORREF kSentinel = RGB(1, 2, 3);
    static constexpr COLORREF kWall = RGB(0x30, 0x60, 0x90);
    static constexpr COLORREF kMarker = RGB(0xF0, 0x10, 0x20);

    TForm* frame = nullptr;
    TsSkinProvider* provider = nullptr;
    std::vector<TForm*> kids;
    TacMDIWnd* wrapper = nullptr;
};

} // namespace

TEST_F(MDIWrapperTest, TheClientShowsThePartOfTheFormsCacheUnderItUnlessSwitchedOffOrCovered)
{
    struct Case {
        const char* Name;
        bool Wall, Scrolls, Maximized;
    };
    for (const Case& c : {Case{"skinned", true, true, false}, Case{"wall off", false, true, false},
                          Case{"bars off", true, false, false}, Case{"maximized child", true, true, true}}) {
        SCOPED_TRACE(c.Name);
        DrawSkinnedMDIWall = c.Wall;
        DrawSkinnedMDIScrolls = c.Scrolls;
        if (c.Maximized) SendMessageW(frame->ClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(kids[1]->Handle()), 0);
        // The form's image (its painting is another unit's): one colour, and a marker pixel where
        // the client's sample point lies in the form's window.
        RECT client{}, form{};
        GetWindowRect(frame->ClientHandle(), &client);
        GetWindowRect(frame->Handle(), &form);
        const int edge = (GetWindowLongPtrW(frame->ClientHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 2 : 0;
        RECT inner{};
        GetClientRect(frame->ClientHandle(), &inner);
        const int x = client.left - form.left + edge + inner.right - 20;
        const int y = client.top - form.top + edge + inner.bottom - 20;
        TsCommonData* data = provider->FCommonData.get();
        data->FCacheBmp = std::make_unique<TBitmap>(form.right - form.left, form.bottom - form.top, pf32bit);
        HBRUSH wall = CreateSolidBrush(kWall);
        const RECT all{0, 0, form.right - form.left, form.bottom - form.top};
        FillRect(data->FCacheBmp->Canvas()->Handle(), &all, wall);
        DeleteObject(wall);
        SetPixel(data->FCacheBmp->Canvas()->Handle(), x, y, kMarker);
        data->BGChanged = false;
        std::unique_ptr<TBitmap> bmp = Erased();
        const COLORREF at = static_cast<COLORREF>(bmp->Canvas()->Pixels(bmp->Width() - 20, bmp->Height() - 20)) & 0xFFFFFF;
        if (c.Maximized) {
            EXPECT_EQ(at, kSentinel) << "a maximized child covers the client: no wall";
        } else if (c.Wall && c.Scrolls) {
            EXPECT_EQ(at, kMarker) << "the form's image at the client's place, past the client edge";
            EXPECT_EQ(static_cast<COLORREF>(bmp->Canvas()->Pixels(5, 5)) & 0xFFFFFF, kWall);
            SaveEnlargedPng(*bmp, L"skin_wrappers_mdi_wall.png", 1);
        } else {
            EXPECT_EQ(at, GetSysColor(COLOR_APPWORKSPACE)) << "the system's look";
        }
        if (c.Maximized) SendMessageW(frame->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(kids[1]->Handle()), 0);
    }
}

TEST_F(MDIWrapperTest, ScrollCommandsAskForTheFullPositionOnlyWhileTheThumbMoves)
{
    struct Case {
        WORD Code;
        LRESULT Answer;
    };
    for (const Case& c : {Case{SB_THUMBPOSITION, 1}, Case{SB_THUMBTRACK, 1}, Case{SB_LINEDOWN, 0}, Case{SB_PAGEUP, 0}}) {
        SCOPED_TRACE(c.Code);
        EXPECT_EQ(Command(frame->ClientHandle(), AC_BEGINSCROLL, MAKELPARAM(c.Code, WM_VSCROLL)), c.Answer);
        Command(frame->ClientHandle(), AC_ENDSCROLL, MAKELPARAM(c.Code, WM_VSCROLL));
    }
    // The form's commands reach its provider's stored procedure.
    struct Recorder : TObject {
        TWndMethod previous;
        int notified = 0;
        void Handle(TMessage& m)
        {
            if (m.Msg == SM_ALPHACMD && AlphaCmdCode(m.WParam) == AC_MDINOTIFY) ++notified;
            previous(m);
        }
    } recorder;
    TsCommonData* data = provider->FCommonData.get();
    recorder.previous = data->WndProc;
    data->WndProc = TWndMethod(&recorder, &Recorder::Handle);
    Command(frame->ClientHandle(), AC_MDINOTIFY);
    data->WndProc = recorder.previous;
    EXPECT_EQ(recorder.notified, 1) << "passed on to the MDI form";
}
