#pragma once
// Shared by the label tests: the house skin, a shown form, the shell calls recorded instead of
// made, and captures of a label as painted on its form.
#include "../framework/controls_tests_widgets_support.h"
#include "BuildFolder.h"
#include "PumpUntil.h"
#include "ShellExecute.h"
#include "sLabel.h"
#include "skin_core_test_skinload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct TShellCall {
    std::wstring verb, file;
    int show = 0;
};

inline std::vector<TShellCall>& ShellCalls()
{
    static std::vector<TShellCall> calls;
    return calls;
}

inline BOOL RecordShellCall(SHELLEXECUTEINFOW* info)
{
    ShellCalls().push_back({info->lpVerb ? info->lpVerb : L"", info->lpFile ? info->lpFile : L"", info->nShow});
    info->hInstApp = reinterpret_cast<HINSTANCE>(42);
    return TRUE;
}

class LabelTest : public SkinLoadTest {
protected:
    void SetUp() override
    {
        SkinLoadTest::SetUp();
        ShellCalls().clear();
        previousShell = SetShellExecuteEntry(RecordShellCall);
        form = new TForm(Application);
        form->SetBounds(40, 40, 420, 260);
        form->SetColor(static_cast<TColor>(0xC0C0C0));
        form->Show();
        ASSERT_TRUE(PumpUntil([this] { return form->HandleAllocated() && IsWindowVisible(form->Handle()); }));
    }
    void TearDown() override
    {
        delete form;
        SetShellExecuteEntry(previousShell);
        SkinLoadTest::TearDown();
    }
    template <class L>
    L* Make(const UnicodeString& caption, int left = 10, int top = 10)
    {
        auto* l = new L(form);
        l->SetParent(form);
        l->SetBounds(left, top, l->Width(), l->Height());
        l->SetCaption(caption);
        return l;
    }
    // The form's client area as painted now.
    std::unique_ptr<TBitmap> Shown()
    {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Application->ProcessMessages();
        return GrabWindow(form->Handle());
    }
    // The label's area of a capture of the form.
    static std::unique_ptr<TBitmap> Part(TBitmap& shown, TControl* c, HWND wnd)
    {
        POINT origin{0, 0};
        ClientToScreen(wnd, &origin);
        RECT wr{};
        GetWindowRect(wnd, &wr);
        const int dx = origin.x - wr.left + c->Left(), dy = origin.y - wr.top + c->Top();
        auto out = std::make_unique<TBitmap>(c->Width(), c->Height(), pf32bit);
        BitBlt(out->Canvas()->Handle(), 0, 0, c->Width(), c->Height(), shown.Canvas()->Handle(), dx, dy, SRCCOPY);
        return out;
    }
    std::unique_ptr<TBitmap> ShownLabel(TControl* c)
    {
        auto all = Shown();
        return Part(*all, c, form->Handle());
    }
    static void SavePng(TBitmap& bmp, const wchar_t* name)
    {
        EXPECT_TRUE(SaveBitmapAsPng(bmp, BuildFolderFile(name)));
    }
    // Pixels of the bitmap that have exactly this colour.
    static int Count(TBitmap& bmp, TColor c)
    {
        int n = 0;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if ((GetPixel(bmp.Canvas()->Handle(), x, y) & 0xFFFFFF) == static_cast<COLORREF>(ColorToRGB(c))) ++n;
        return n;
    }
    // Left-most column holding a pixel other than the background colour, -1 for none.
    static int FirstInk(TBitmap& bmp, COLORREF background)
    {
        for (int x = 0; x < bmp.Width(); ++x)
            for (int y = 0; y < bmp.Height(); ++y)
                if ((GetPixel(bmp.Canvas()->Handle(), x, y) & 0xFFFFFF) != background) return x;
        return -1;
    }

    TForm* form = nullptr;
    TShellExecuteExProc previousShell = nullptr;
};
