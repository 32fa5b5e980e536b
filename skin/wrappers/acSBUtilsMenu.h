#pragma once
// The wrapper of the system's pop-up menu windows ("#32768") of a skinned application: the
// window's skinned border and background, its translucency (invisible until its first skinned
// paint), and the clean-up when a menu of a cascade closes. The items themselves are drawn by the
// skinned menus.
//
// A menu window may have no non-client frame at all (the system then paints frame, background
// and items inside the client in its WM_PAINT): the wrapper paints the skin's frame strips over
// the client edges after that paint and copies the background from the cache's origin.
#include "acScrollBar.h"

#include <windows.h>

class TacMnuWnd : public TacScrollWnd {
public:
    ~TacMnuWnd() override;
    UnicodeString ClassName() const override { return L"TacMnuWnd"; }

    void AfterCreation() override;
    void RestoreStdParams() override;
    void acWndProc(TMessage& Message) override;
    bool KeepsVisualStyle() const override { return true; }
    bool IsMenuWnd() const override { return true; }

    // Paints the section over the whole window into the cache when the background changed.
    void PrepareCache();

    bool Shown = false;  // the first frame paint has happened
    bool bFlag = false;  // the window was made transparent before it showed
    int RgnChanged = 0;  // 1 when the window's shape may have changed since the last background paint

private:
    // Border width of the skinned frame.
    static constexpr int kFrame = 3;
    void PaintFrame(HDC DC);
    void FinishFirstFrame();
    void SetMenuBack();
    void RestoreMenuBack();
    void Close(TMessage& Message);
    bool HasNonClientArea() const;

    HMENU menu_ = nullptr;        // the menu whose background brush was set
    HBRUSH oldMenuBack_ = nullptr; // its brush before
    bool menuBackSet_ = false;
};

