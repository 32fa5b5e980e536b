#pragma once
// The wrapper of standard text statics ("static") of foreign dialogs: the parent's skin
// background shows through (section "TRANSPARENT" unless another one was given) and the caption
// is written over it in the skin's font colour. A static narrower or lower than its text grows
// to the text once, when it is wrapped.
#include "acSBUtils.h"

class TacStaticWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacStaticWnd"; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;

    // Paints the cache (background, then the content) onto the message's DC (WParam), else onto
    // a window DC.
    virtual void AC_WMPaint(TMessage& Message);
    // Writes the caption into the cache; true when the cache is to be shown.
    virtual bool PaintContent();
    // With CalcOnly R becomes the size the caption needs inside R's width; otherwise the caption
    // is written into R of the cache.
    void PaintText(bool CalcOnly, TRect& R);

protected:
    // Icon and edge statics keep their size.
    virtual bool GrowsToText() const { return true; }
    // The window is left to the base procedure entirely (tab-stop statics and sunken ones).
    bool LeftAlone() const;
};
