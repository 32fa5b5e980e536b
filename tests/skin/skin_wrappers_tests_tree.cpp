// Tree wrappers: a real "SysTreeView32" gets the section's background and text colours through its
// own messages and the system's back when the skin goes, fills its background by state unless
// made with SkipBG, and the virtual-tree wrapper answers the header elements it draws.
#include "skin_wrappers_test_edit.h"

#include "acSBUtilsTree.h"
#include "sCommonData.h"
#include "sGraphUtilsFill.h"
#include "sSkinManager.h"

#include <commctrl.h>

namespace {

namespace hs = house_skin;

class TreeWrapperTest : public EditWrapperTest {};

TEST_F(TreeWrapperTest, AForeignTreeGetsTheSectionColoursAndTheSystemsBack)
{
    ForeignWrapped f(WC_TREEVIEWW, WS_VSCROLL);
    const LRESULT ownBack = SendMessageW(f.Handle, TVM_GETBKCOLOR, 0, 0);
    const LRESULT ownText = SendMessageW(f.Handle, TVM_GETTEXTCOLOR, 0, 0);
    f.Wrap(&WrapperFactory<TacTreeViewWnd>, manager.get(), L"EDIT");
    f.sw->SetSkinParams();
    auto* tree = dynamic_cast<TacTreeViewWnd*>(f.sw);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(f.Handle, TVM_GETBKCOLOR, 0, 0)), static_cast<COLORREF>(tree->BackgroundColor()));
    f.Unwrap();
    EXPECT_EQ(SendMessageW(f.Handle, TVM_GETBKCOLOR, 0, 0), ownBack) << "the system colour, not clNone";
    EXPECT_EQ(SendMessageW(f.Handle, TVM_GETTEXTCOLOR, 0, 0), ownText);
}

TEST_F(TreeWrapperTest, TheBackgroundIsFilledByStateUnlessSkipped)
{
    for (bool skip : {false, true}) {
        SCOPED_TRACE(skip ? "SkipBG" : "filled");
        ForeignWrapped f(WC_TREEVIEWW, 0);
        f.Wrap(&WrapperFactory<TacTreeViewWnd>, manager.get(), L"EDIT");
        auto* tree = dynamic_cast<TacTreeViewWnd*>(f.sw);
        ASSERT_NE(tree, nullptr);
        tree->SkipBG = skip;
        const COLORREF normal = static_cast<COLORREF>(tree->BackgroundColor());
        TBitmap bmp(60, 40, pf32bit);
        HDC dc = bmp.Canvas()->Handle();
        FillDC(dc, TRect(0, 0, 60, 40), static_cast<TColor>(RGB(1, 2, 3)));
        f.Recorder->Log.Clear();
        SendMessageW(f.Handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        if (skip) {
            EXPECT_EQ(f.Recorder->Log.Count(WM_ERASEBKGND), 1) << "erasing is left to the tree";
        } else {
            EXPECT_EQ(f.Recorder->Log.Count(WM_ERASEBKGND), 0);
            EXPECT_EQ(PixelOf(bmp, 30, 20), normal);
        }
    }
}

TEST_F(TreeWrapperTest, TheVirtualTreeDrawsFourHeaderElements)
{
    TacVirtualTreeViewWnd w;
    THeaderPaintInfo info;
    THeaderPaintElements elements{hpeHeaderGlyph};
    w.HeaderDrawQueryElements(nullptr, info, elements);
    EXPECT_EQ(elements, (THeaderPaintElements{hpeBackground, hpeDropMark, hpeSortGlyph, hpeText}));
}

} // namespace
