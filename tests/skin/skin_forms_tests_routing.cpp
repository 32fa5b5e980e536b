// The provider's window procedure: which handler each message reaches on the skinned and the
// unskinned path and whether the form's own procedure sees it, unskinned printing, the library
// commands and the DPI change.
#include "skin_forms_test_support.h"

#include "sFormStates.h"
#include "sVclUtils.h"

namespace {

struct Route {
    const char* what;
    UINT msg;
    WPARAM wParam;
    const char* handler; // null: handled in the window procedure itself
    bool passed;         // the form's own procedure sees it
};

} // namespace

TEST_F(SkinFormsTest, SkinnedRoutingReachesOneHandlerPerMessage)
{
    TSpyProvider& provider = ProvidedForm();
    UseHouseSkin();
    provider.PrepareForm();
    ASSERT_TRUE(provider.FCommonData->Skinned());
    const Route routes[] = {
        {"create", WM_CREATE, 0, "AC_WMCreate", false},
        {"move", WM_MOVE, 0, "AC_WMMove", false},
        {"size", WM_SIZE, 0, "AC_WMSize", false},
        {"activate", WM_ACTIVATE, 0, "AC_WMActivate", false},
        {"set text", WM_SETTEXT, 0, "AC_WMSetText", false},
        {"paint", WM_PAINT, 0, "AC_WMPaint", false},
        {"close", WM_CLOSE, 0, "AC_WMClose", false},
        {"end session", WM_QUERYENDSESSION, 0, "AC_WMQueryEndSession", false},
        {"erase", WM_ERASEBKGND, 0, "AC_WMEraseBkGnd", false},
        {"system colours", WM_SYSCOLORCHANGE, 0, "AC_WMSysColorChange", false},
        {"show window", WM_SHOWWINDOW, 0, "AC_WMShowWindow", false},
        {"setting", WM_SETTINGCHANGE, 0, "AC_WMSettingChange", false},
        {"activate app", WM_ACTIVATEAPP, 0, "AC_WMActivateApp", false},
        {"child activate", WM_CHILDACTIVATE, 0, "AC_WMChildActivate", false},
        {"min max info", WM_GETMINMAXINFO, 0, "AC_WMGetMinMaxInfo", false},
        {"measure item", WM_MEASUREITEM, 0, "AC_WMMeasureItem", false},
        {"pos changing", WM_WINDOWPOSCHANGING, 0, "AC_WMWindowPosChanging", false},
        {"pos changed", WM_WINDOWPOSCHANGED, 0, "AC_WMWindowPosChanged", false},
        {"copy data", WM_COPYDATA, 0, "AC_WMCopyData", false},
        {"notify", WM_NOTIFY, 0, "AC_WMNotify", false},
        {"context menu", WM_CONTEXTMENU, 0, "AC_WMContextMenu", false},
        {"style changed", WM_STYLECHANGED, 0, "AC_WMStyleChanged", false},
        {"set icon", WM_SETICON, 0, "AC_WMSetIcon", false},
        {"nc create", WM_NCCREATE, 0, "AC_WMNCCreate", false},
        {"hit test", WM_NCHITTEST, 0, "AC_WMNCHitTest", false},
        {"nc paint", WM_NCPAINT, 0, "AC_WMNCPaint", false},
        {"nc activate", WM_NCACTIVATE, 0, "AC_WMNCActivate", false},
        {"nc mouse move", WM_NCMOUSEMOVE, 0, "AC_WMNCMouseMove", false},
        {"nc left down", WM_NCLBUTTONDOWN, 0, "AC_WMNCLButtonDown", false},
        {"nc left up", WM_NCLBUTTONUP, 0, "AC_WMLButtonUp", false},
        {"nc double click", WM_NCLBUTTONDBLCLK, 0, "AC_WMNCLButtonDblClick", false},
        {"nc right down", WM_NCRBUTTONDOWN, 0, "AC_WMNCRButtonDown", false},
        {"nc right up", WM_NCRBUTTONUP, 0, "AC_WMNCRButtonUp", false},
        {"system command", WM_SYSCOMMAND, 0, "AC_WMSysCommand", false},
        {"init menu pop-up", WM_INITMENUPOPUP, 0, "AC_WMInitMenuPopup", false},
        {"mouse move", WM_MOUSEMOVE, 0, "AC_WMMouseMove", false},
        {"left up", WM_LBUTTONUP, 0, "AC_WMLButtonUp", false},
        {"parent notify", WM_PARENTNOTIFY, 0, "AC_WMParentNotify", false},
        {"enter menu loop", WM_ENTERMENULOOP, 0, "AC_WMEnterMenuLoop", false},
        {"exit menu loop", WM_EXITMENULOOP, 0, "AC_WMExitMenuLoop", false},
        {"sizing", WM_SIZING, 0, "AC_WMSizing", false},
        {"mdi destroy", WM_MDIDESTROY, 0, "AC_WMMDIDestroy", false},
        {"mdi activate", WM_MDIACTIVATE, 0, "AC_WMMDIDestroy", false},
        {"exit size move", WM_EXITSIZEMOVE, 0, "AC_WMExitSizeMove", false},
        {"mouse leave", WM_MOUSELEAVE, 0, "AC_WMMouseLeave", false},
        {"print", WM_PRINT, 0, "AC_WMPrint", false},
        {"skin editor", SM_SKINEDITOR, 0, "AC_ASEMSG", false},
        {"visible changed", CM_VISIBLECHANGED, 0, "AC_WMVisibleChanged", false},
        {"enabled changed", CM_ENABLEDCHANGED, 0, "AC_CMEnabledChanged", false},
        {"mouse enter", CM_MOUSEENTER, 0, "AC_CMMouseEnter", false},
        {"component mouse leave", CM_MOUSELEAVE, 0, "AC_WMMouseLeave", false},
        {"menu changed", CM_MENUCHANGED, 0, "AC_CMMenuChanged", false},
        {"showing changed", CM_SHOWINGCHANGED, 0, "AC_CMShowingChanged", false},
        {"control list", CM_CONTROLLISTCHANGE, 0, "AC_WMControlListChange", false},
        {"recreate", CM_RECREATEWND, 0, "AC_CMRecreateWnd", false},
        {"float", CM_FLOAT, 0, "AC_CMFloat", false},
        {"wheel", CM_MOUSEWHEEL, 0, "AC_CMMouseWheel", false},
        {"set focus", WM_SETFOCUS, 0, nullptr, true},
        {"set redraw", WM_SETREDRAW, 1, nullptr, true},
        {"set cursor", WM_SETCURSOR, 0, nullptr, true},
        {"idle with a menu", WM_ENTERIDLE, 1, nullptr, false},
        {"idle of a dialog", WM_ENTERIDLE, 0, nullptr, true},
        {"print client", WM_PRINTCLIENT, 0, nullptr, false},
        {"colour changed", CM_COLORCHANGED, 0, nullptr, false},
        {"system font", CM_SYSFONTCHANGED, 0, nullptr, false},
        {"changed without main menu", CM_CHANGED, 0, nullptr, false},
        {"border changed", CM_BORDERCHANGED, 0, nullptr, true},
        {"bidi mode", CM_BIDIMODECHANGED, 0, nullptr, true},
        {"style", CM_STYLECHANGED, 0, nullptr, false},
        {"calc size has no row", WM_NCCALCSIZE, 0, nullptr, true},
        {"any other", WM_USER + 7, 0, nullptr, true},
    };
    provider.Swallow = true;
    for (const Route& r : routes) {
        SCOPED_TRACE(r.what);
        provider.Calls.clear();
        form->Log.Clear();
        // Perform goes through the window procedure the provider installed, without the system.
        const LRESULT result = form->Perform(r.msg, r.wParam, 0);
        if (r.handler)
            EXPECT_EQ(provider.Calls, std::vector<std::string>{r.handler});
        else
            EXPECT_TRUE(provider.Calls.empty());
        EXPECT_EQ(form->Log.Count(r.msg), r.passed ? 1 : 0);
        if (r.msg == WM_ENTERIDLE && r.wParam) {
            EXPECT_EQ(result, 0);
        }
    }
    provider.Swallow = false;
    EXPECT_TRUE(provider.DoReinit) << "a system font change is noted";
}

TEST_F(SkinFormsTest, UnskinnedRoutingPassesAlmostEverythingOn)
{
    TSpyProvider& provider = ProvidedForm();
    ASSERT_FALSE(provider.FCommonData->Skinned());
    const Route routes[] = {
        {"visible changed", CM_VISIBLECHANGED, 0, "AC_CMVisibleChanged_Unskinned", true},
        {"pos changed", WM_WINDOWPOSCHANGED, 0, "AC_WMWindowPosChanged_Unskinned", true},
        {"wheel", CM_MOUSEWHEEL, 0, "AC_CMMouseWheel", false},
        {"system font", CM_SYSFONTCHANGED, 0, nullptr, true},
        {"paint", WM_PAINT, 0, nullptr, true},
        {"print client", WM_PRINTCLIENT, 0, nullptr, true},
        {"idle with a menu", WM_ENTERIDLE, 1, nullptr, true},
        {"context menu", WM_CONTEXTMENU, 0, nullptr, true},
        {"another command", SM_ALPHACMD, MakeAlphaCmd(AC_GETSKINDATA), nullptr, true},
    };
    provider.Swallow = true;
    for (const Route& r : routes) {
        SCOPED_TRACE(r.what);
        provider.Calls.clear();
        form->Log.Clear();
        WINDOWPOS pos{form->Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER};
        form->Perform(r.msg, r.wParam, r.msg == WM_WINDOWPOSCHANGED ? reinterpret_cast<LPARAM>(&pos) : 0);
        if (r.handler)
            EXPECT_EQ(provider.Calls, std::vector<std::string>{r.handler});
        else
            EXPECT_TRUE(provider.Calls.empty());
        EXPECT_EQ(form->Log.Count(r.msg), r.passed ? 1 : 0);
    }
    provider.Swallow = false;
    EXPECT_TRUE(provider.DoReinit);

    // Painting locks are counted on both paths.
    form->Perform(WM_SETREDRAW, 0, 0);
    form->Perform(WM_SETREDRAW, 0, 0);
    EXPECT_EQ(provider.LockCount, 2);
    form->Perform(WM_SETREDRAW, 1, 0);
    form->Perform(WM_SETREDRAW, 1, 0);
    form->Perform(WM_SETREDRAW, 1, 0);
    EXPECT_EQ(provider.LockCount, 0) << "never below zero";
}

TEST_F(SkinFormsTest, UnskinnedPrintFillsTheFormColourThenPaints)
{
    ProvidedForm(120, 90);
    form->SetColor(static_cast<TColor>(0x3060A0));
    TBitmap bmp(form->Width(), form->Height(), pf32bit);
    bmp.Canvas()->Brush()->SetColor(static_cast<TColor>(0x00FF00));
    bmp.Canvas()->FillRect(TRect(0, 0, bmp.Width(), bmp.Height()));
    HDC dc = bmp.Canvas()->Handle();
    form->Log.Clear();
    SendMessageW(form->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_NONCLIENT);
    GdiFlush();
    SaveEnlargedPng(bmp, L"skin_forms_unskinned_print.png", 2);
    EXPECT_EQ(form->Log.Count(WM_PRINT), 0) << "not passed on";
    ASSERT_EQ(form->Log.Count(WM_PAINT), 1);
    EXPECT_EQ(form->Log.Last(WM_PAINT)->WParam, reinterpret_cast<WPARAM>(dc));
    for (const POINT p : {POINT{0, 0}, POINT{form->Width() - 1, form->Height() - 1}, POINT{60, 45}})
        EXPECT_EQ(GetPixel(dc, p.x, p.y) & 0xFFFFFF, 0x3060A0u) << p.x << "," << p.y;

    // Without a device context only WM_PAINT goes to the form.
    form->Log.Clear();
    SendMessageW(form->Handle(), WM_PRINT, 0, PRF_CLIENT);
    EXPECT_EQ(form->Log.Count(WM_PAINT), 1);
    EXPECT_EQ(form->Log.Count(WM_PRINT), 0);
}

TEST_F(SkinFormsTest, LibraryCommandsOnBothPaths)
{
    TSpyProvider& provider = ProvidedForm();
    HWND wnd = form->Handle();
    const auto send = [wnd](WORD code, LPARAM lParam = 0) {
        return SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(code), lParam);
    };
    // Unskinned.
    EXPECT_EQ(send(AC_GETPROVIDER), reinterpret_cast<LRESULT>(&provider));
    EXPECT_EQ(send(AC_CTRLHANDLED), 1);
    EXPECT_EQ(send(AC_GETSKININDEX), 0) << "no manager";
    EXPECT_EQ(send(AC_GETDEFSECTION), 13);

    TsSkinManager& m = UseHouseSkin();
    provider.PrepareForm();
    ASSERT_TRUE(provider.FCommonData->Skinned());
    EXPECT_EQ(send(AC_GETPROVIDER), reinterpret_cast<LRESULT>(&provider));
    EXPECT_EQ(send(AC_CTRLHANDLED), 1);
    EXPECT_EQ(send(AC_GETSKININDEX), 1 + m.GetSkinIndex(L"FORM"));
    {
        // The client area's place in the window image: where the window's frame puts it.
        RECT wr{};
        GetWindowRect(form->Handle(), &wr);
        POINT origin{0, 0};
        ClientToScreen(form->Handle(), &origin);
        EXPECT_EQ(send(AC_GETCLIENTOFFSET), MakeLong(static_cast<WORD>(origin.x - wr.left), static_cast<WORD>(origin.y - wr.top)));
    }
    EXPECT_EQ(send(AC_GETDEFSECTION), 13);
    EXPECT_EQ(send(AC_GETPPI), 96);
    provider.AllowScale = false;
    EXPECT_EQ(send(AC_GETPPI), -1);
    provider.AllowScale = true;
    EXPECT_EQ(send(AC_GETAPPLICATION), reinterpret_cast<LRESULT>(Application));

    // The command state bit, round trip.
    EXPECT_EQ(send(AC_GETFORMSTATEBIT), 0);
    send(AC_SETFORMSTATEBIT, 1);
    EXPECT_EQ(provider.FFormState, FS_CMDSTATE);
    EXPECT_EQ(send(AC_GETFORMSTATEBIT), 1);
    send(AC_SETFORMSTATEBIT, 0);
    EXPECT_EQ(send(AC_GETFORMSTATEBIT), 0);

    // Blend: a value makes the form layered with it, 255 takes the style away.
    send(AC_SETBLENDVALUE, 128);
    ASSERT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(wnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 128);
    EXPECT_TRUE(flags & LWA_ALPHA);
    send(AC_SETBLENDVALUE, 255);
    EXPECT_FALSE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    // The frame adapters link and unlink once.
    // An address sent outside the library's own sends (as any process could) is not taken.
    TObject adapter;
    const LPARAM a = reinterpret_cast<LPARAM>(&adapter);
    SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_OBJLINK, 1), a);
    EXPECT_TRUE(provider.FrameAdapters.empty());
    {
        TacOwnSend own;
        SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_OBJLINK, 1), a);
        SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_OBJLINK, 1), a);
        EXPECT_EQ(provider.FrameAdapters.size(), 1u);
        SendMessageW(wnd, SM_ALPHACMD, MakeAlphaCmd(AC_OBJLINK, 0), a);
        EXPECT_TRUE(provider.FrameAdapters.empty());
    }

    // Paint request without a changed background answers "nothing to do".
    provider.FCommonData->BGChanged = false;
    EXPECT_EQ(send(AC_PREPARECACHE), -2);
}

TEST_F(SkinFormsTest, DpiChangesRepaintRescaleOrAreDropped)
{
    TSpyProvider& provider = ProvidedForm();
    UseHouseSkin();
    provider.PrepareForm();
    provider.AllowScale = false; // the library's own path, without the framework's rescaling
    const int ppi = GetPPI(provider.FCommonData.get());
    ASSERT_EQ(ppi, 96);
    form->Log.Clear();

    // The same density only repaints.
    provider.RgnChanged = false;
    provider.FCommonData->BGChanged = false;
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
    EXPECT_TRUE(provider.FCommonData->BGChanged);
    EXPECT_FALSE(provider.RgnChanged);
    EXPECT_TRUE(provider.SysParamsPPI.empty());
    EXPECT_EQ(form->Log.Count(WM_DPICHANGED), 0) << "never passed on";

    // A new density: the skin data of that density; a change arriving meanwhile is dropped.
    auto* other = new TLoggedForm(Application);
    auto* otherProvider = new TSpyProvider(other);
    otherProvider->AllowScale = false;
    other->Show();
    otherProvider->PrepareForm();
    provider.OnInitSysParams = [other](int) {
        SendMessageW(other->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
    };
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    EXPECT_EQ(provider.SysParamsPPI, std::vector<int>{144});
    EXPECT_EQ(GetPPI(provider.FCommonData.get()), 144);
    ASSERT_NE(provider.FCommonData->GetCommonSkinData(), nullptr);
    EXPECT_EQ(provider.FCommonData->GetCommonSkinData()->PPI, 144);
    EXPECT_TRUE(provider.RgnChanged);
    EXPECT_TRUE(otherProvider->SysParamsPPI.empty()) << "the nested change was dropped";
    EXPECT_EQ(GetPPI(otherProvider->FCommonData.get()), 96);
    EXPECT_EQ(other->Log.Count(WM_DPICHANGED), 0);

    // Once done, changes are heard again.
    provider.OnInitSysParams = nullptr;
    SendMessageW(other->Handle(), WM_DPICHANGED, MAKEWPARAM(120, 120), 0);
    EXPECT_EQ(otherProvider->SysParamsPPI, std::vector<int>{120});
    delete other;
}

TEST_F(SkinFormsTest, BackgroundRequestsAreFilledFromTheFormSection)
{
    TSpyProvider& provider = ProvidedForm();
    TacBGInfo info;
    const LPARAM address = reinterpret_cast<LPARAM>(&info);
    {
        TacOwnSend own;  // the address travels with a library send
        EXPECT_EQ(SendMessageW(form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_GETBG), address), 0) << "no skin: not answered";
    }

    UseHouseSkin();
    provider.PrepareForm();
    // The same address from outside the library's sends (as any process could send it) is left alone.
    provider.FCommonData->BGChanged = false;
    info.Offset = TPoint(5, 5);
    SendMessageW(form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_GETBG), address);
    EXPECT_EQ(info.Offset, TPoint(5, 5));

    TacOwnSend own;
    for (const bool active : {true, false}) {
        SCOPED_TRACE(active);
        provider.FormActive = active;
        provider.FCommonData->BGChanged = false;
        info = TacBGInfo();
        info.Offset = TPoint(5, 5);
        SendMessageW(form->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_GETBG), address);
        EXPECT_EQ(info.Offset, TPoint(provider.OffsetX(), provider.OffsetY()));
        EXPECT_GT(provider.OffsetY(), 0);
        if (info.BgType == btCache)
            EXPECT_EQ(info.Bmp, provider.FCommonData->FCacheBmp.get());
        else
            EXPECT_EQ(info.Color, static_cast<TColor>(house_skin::kFormColor[active ? 1 : 0]));
    }
}
