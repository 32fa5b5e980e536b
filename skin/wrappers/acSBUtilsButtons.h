#pragma once
// The wrapper of standard push buttons ("button", the framework's "tbutton"): the skin section
// "BUTTON" in the states normal, hot, pressed and default, the centred caption, the focus
// rectangle, the hover light and animations, and the colours of the OK, Cancel, Yes and No
// buttons of modal dialogs when the manager asks for them.
#include "acSBUtils.h"
#include "acntTypes.h"

class TacBtnWnd : public TacMainWnd {
public:
    UnicodeString ClassName() const override { return L"TacBtnWnd"; }
    bool IsButtonWnd() const override { return true; }
    void AfterCreation() override;
    void acWndProc(TMessage& Message) override;

    // 0 normal, 1 hot (or active), 2 pressed, 3 default at rest.
    virtual int CurrentState();
    virtual void DrawGlyph() {}
    virtual TSize GlyphSize() { return TSize{0, 0}; }
    virtual TRect CaptionRect();
    virtual int MaxCaptionWidth();
    // The whole picture into the cache.
    virtual void PrepareCache();

    DWORD CtrlStyle() const;
    // The window reports BST_PUSHED.
    bool Down() const;
    void DrawCaption(const TacColoring& Coloring);
    TSize TextRectSize();
    // The colours of a modal dialog's button (all unset for other buttons).
    void GetColoring(TacColoring& Coloring);
    void Repaint();
    void ac_WMPaint(TMessage& Message);

    int ID = 0;
    bool FMouseClicked = false;

protected:
    // A sibling button of the parent with that command (for a framework button: that modal
    // result) exists.
    bool SiblingExists(int Command);
    // The section's number of states (1 without a section).
    int SectionStates();
    TsSkinManager* Manager() const;
};

class TBitBtn;
class TButton;

// A push button with a glyph: a framework bit button's Glyph, or the bitmap a foreign button
// answers to BM_GETIMAGE.
class TacBitBtnWnd : public TacBtnWnd {
public:
    UnicodeString ClassName() const override { return L"TacBitBtnWnd"; }
    int CurrentState() override;
    void DrawGlyph() override;
    TSize GlyphSize() override;
    TRect CaptionRect() override;
    int MaxCaptionWidth() override;
    TRect GlyphRect();

private:
    TBitBtn* BitBtn() const;
    HBITMAP ForeignBitmap() const;
};

// A framework push button with its image list.
class TacButtonWnd : public TacBtnWnd {
public:
    UnicodeString ClassName() const override { return L"TacButtonWnd"; }
    void AfterCreation() override;
    void DrawGlyph() override;
    TSize GlyphSize() override;
    TRect CaptionRect() override;
    bool HaveImage() const;
    // The image of the current state, each falling back to ImageIndex.
    int GlyphIndex();
    TRect GlyphRect();

    TButton* Btn = nullptr;
};

// Split and command-link buttons: the caption moved left for a drop-down arrow at the right.
class TacSplitBtnWnd : public TacBtnWnd {
public:
    UnicodeString ClassName() const override { return L"TacSplitBtnWnd"; }
    TRect CaptionRect() override;
    void PrepareCache() override;
    TRect ArrowRect();

    int ArrowWidth = 0;
};
