// The skinned menus: painting of pop-up items (on the prepared background) and of the items of
// a form's menu line (into the provider's window image).
#include "sSkinMenus.h"

#include "Forms.h"
#include "acntUtils.h"
#include "sAlphaGraph.h"
#include "sCommonData.h"
#include "sConst.h"
#include "sDefaults.h"
#include "sGlyphUtils.h"
#include "sGraphUtils.h"
#include "sGraphUtilsPaintItem.h"
#include "sGraphUtilsTextEx.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sThirdParty.h"
#include "sVclUtils.h"

#include <algorithm>

namespace {

constexpr UINT WM_MENU_ITEM_BORDER = 0xBCB3;
constexpr UINT WM_MENU_BORDER = 0xBCB4;

const TsGeneralData* Section(const TacSkinData* data, int index)
{
    return data && index >= 0 && index < static_cast<int>(data->gd.size()) ? &data->gd[static_cast<size_t>(index)]
                                                                          : nullptr;
}

const TsMaskData* Mask(const TacSkinData* data, int index)
{
    return data && index >= 0 && index < static_cast<int>(data->ma.size()) ? &data->ma[static_cast<size_t>(index)]
                                                                          : nullptr;
}

// A mask with a picture: a bitmap of its own or a place in its manager's master image.
bool HasPicture(const TsMaskData* mask) { return mask && (mask->Bmp || mask->Manager); }

std::unique_ptr<TBitmap> NewBmp(int w, int h)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf32bit);
    bmp->SetSize(std::max(w, 0), std::max(h, 0));
    return bmp;
}

// Draws image index of list centred in r of bmp.
void DrawListImage(TBitmap* bmp, TCustomImageList* list, int index, const TRect& r, bool enabled, bool grayed,
                   TColor bg, int ppi)
{
    if (!list || index < 0 || index >= list->Count()) return;
    TacDrawGlyphData data;
    data.Images = list;
    data.ImageIndex = index;
    data.DstBmp = bmp;
    data.Canvas = bmp->Canvas();
    data.Enabled = enabled;
    data.Grayed = grayed;
    data.BGColor = bg;
    data.PPI = ppi;
    const int w = list->Width(), h = list->Height();
    data.ImgRect = TRect(r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2, 0, 0);
    data.ImgRect.Right = data.ImgRect.Left + w;
    data.ImgRect.Bottom = data.ImgRect.Top + h;
    acDrawGlyphEx(data);
}

bool IsLastItem(const TMenuItem* item)
{
    return item->Parent() && item->MenuIndex() == item->Parent()->Count() - 1;
}

bool IsFirstVisible(const TMenuItem* item)
{
    const TMenuItem* parent = item->Parent();
    if (!parent) return true;
    for (int i = 0; i < parent->Count(); ++i)
        if (parent->Items(i)->Visible()) return parent->Items(i) == item;
    return false;
}

} // namespace

void TsSkinableMenus::sAdvancedDrawItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item || !ACanvas || !ActiveManager()) return;
    const int b = RealBorderWidth();
    RECT clip{};
    GetClipBox(ACanvas->Handle(), &clip);
    RefreshForm(item);
    if (NoBorder()) {
        if (clip.right - ARect.Right < 10) ARect.Right = clip.right;
        if (clip.bottom - ARect.Bottom < 10) ARect.Bottom = clip.bottom;
    }
    // A control that still shows the mouse over it hears that the mouse left.
    if (TempControl) {
        if (ShowHintStored && Application) Application->SetShowHint(AppShowHint);
        if (auto* control = static_cast<TWinControl*>(TempControl); control->HandleAllocated())
            SendMessageW(control->Handle(), WM_MOUSELEAVE, 0, 0);
        TempControl = nullptr;
    }
    ACanvas->Lock();
    struct Unlock {
        TCanvas* c;
        ~Unlock() { c->Unlock(); }
    } unlock{ACanvas};

    HWND wnd = WindowFromDC(ACanvas->Handle());
    TacMenuInfo* info = GetMenuInfo(item, ACanvas, wnd);
    TBitmap* menuBmp = info ? info->Bmp.get() : nullptr;
    if (!wnd && Application && Application->Handle()) {
        MSG queued{};
        if (!PeekMessageW(&queued, Application->Handle(), WM_MENU_ITEM_BORDER, WM_MENU_BORDER, PM_NOREMOVE))
            PostMessageW(Application->Handle(), WM_MENU_ITEM_BORDER, 0, reinterpret_cast<LPARAM>(item));
    }
    if (wnd && menuBmp && IsFirstVisible(item)) DrawWndBorder(wnd, menuBmp);

    if (item->IsLine()) {
        it = smDivider;
        PaintDivider(ACanvas, ARect, item, menuBmp, info);
        return;
    }
    if (IsDivText(item->Caption())) {
        it = smCaption;
        PaintCaption(ACanvas, ARect, item, menuBmp, info);
        return;
    }
    it = smNormal;
    if (!menuBmp) return;

    TacSkinData* data = sd ? sd : FOwner->CommonSkinData(PPI);
    const int itemIndex = data ? data->MenuItem.SkinIndex : -1;
    const TsGeneralData* section = Section(data, itemIndex);
    TMenuItem* parent = item->Parent();
    TMenu* menu = item->GetParentMenu();
    const bool rtl = menu && menu->IsRightToLeft();

    // Column backgrounds.
    if (parent && !IsLastItem(item)) {
        if (!info->ItemsIterated && item->Break() == mbBarBreak) {
            HDC dc = menuBmp->Canvas()->Handle();
            HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(section ? section->Props[0].FontColor.Color : 0x808080));
            HGDIOBJ old = SelectObject(dc, pen);
            MoveToEx(dc, ARect.Left + b, 0, nullptr);
            LineTo(dc, ARect.Left + b, menuBmp->Height());
            SelectObject(dc, old);
            DeleteObject(pen);
        }
        if (parent->Items(item->MenuIndex() + 1)->Break() != mbNone) {
            const int bottom = menuBmp->Height() - 2 * b;
            if (bottom > ARect.Bottom)
                BitBlt(ACanvas->Handle(), ARect.Left, ARect.Bottom, ARect.Width(), bottom - ARect.Bottom,
                       menuBmp->Canvas()->Handle(), ARect.Left + b, ARect.Bottom + b, SRCCOPY);
        }
    } else if (parent) {
        const int bottom = menuBmp->Height() - 2 * b;
        if (bottom > ARect.Bottom)
            BitBlt(ACanvas->Handle(), ARect.Left, ARect.Bottom, ARect.Width(), bottom - ARect.Bottom,
                   menuBmp->Canvas()->Handle(), ARect.Left + b, ARect.Bottom + b, SRCCOPY);
        info->ItemsIterated = true;
    }

    auto itemBmp = NewBmp(ARect.Width(), ARect.Height());
    BitBlt(itemBmp->Canvas()->Handle(), 0, 0, ARect.Width(), ARect.Height(), menuBmp->Canvas()->Handle(),
           ARect.Left + b, ARect.Top + b, SRCCOPY);
    TRect area(0, 0, ARect.Width(), ARect.Height());
    const int extra = ExtraWidth(info);
    if (extra) {
        if (!rtl && ARect.Left <= b) area.Left += extra;
        if (rtl && ARect.Right >= menuBmp->Width() - 2 * b) area.Right -= extra;
    }

    const bool selected = item->Enabled() && State.Contains(odSelected);
    const int state = selected ? 1 : 0;
    if (section && (selected || section->Props[0].Transparency < 100))
        PaintItem(itemIndex, MakeCacheInfo(menuBmp, ARect.Left + b, ARect.Top + b), true, state, area,
                  TPoint(area.Left, 0), itemBmp.get(), data);
    TCanvas* canvas = itemBmp->Canvas();
    if (section) canvas->Font()->SetColor(section->Props[static_cast<size_t>(state)].FontColor.Color);

    // Glyph column.
    const int glyphW = GlyphSize(item, false).cx;
    const TColor bg = section ? section->Props[static_cast<size_t>(state)].Color : clWhite;
    TCustomImageList* images = parent && parent->SubMenuImages() ? parent->SubMenuImages() : menu ? menu->Images() : nullptr;
    const bool hasImage = images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
    TRect icoColumn(area.Left, 0, area.Left + IcoLineWidth, area.Height());
    if (rtl) icoColumn = TRect(area.Right - IcoLineWidth, 0, area.Right, area.Height());
    if (State.Contains(odChecked) && !item->HasBitmap() && !hasImage) {
        const TsMaskData* mark = nullptr;
        if (FOwner->ButtonsOptions()->OldGlyphsMode() && FOwner->SkinCommonInfo.IndexGlobalInfo >= 0) {
            const int index = FOwner->GetMaskIndex(FOwner->SkinCommonInfo.IndexGlobalInfo,
                                                   item->RadioItem() ? L"RADIOCHECKED" : L"CHECK", data);
            mark = Mask(data, index);
        }
        if (HasPicture(mark)) {
            const TSize size = MkSize(*mark);
            const TPoint p(icoColumn.Left + (icoColumn.Width() - size.cx) / 2,
                           icoColumn.Top + (icoColumn.Height() - size.cy) / 2);
            DrawSkinGlyph(itemBmp.get(), p, state, 1, *mark, MakeCacheInfo(itemBmp.get()));
        } else {
            DrawListImage(itemBmp.get(), acCharImages(), item->RadioItem() ? 5 : 6, icoColumn, item->Enabled(), false,
                          bg, PPI);
        }
    } else if (item->HasBitmap() || hasImage) {
        TRect glyphRect;
        if (item->HasBitmap()) {
            const int room = glyphW + Margin() + Spacing();
            const int w = item->Bitmap()->Width(), h = item->Bitmap()->Height();
            const int x = rtl ? area.Right - room + (room - w) / 2 : area.Left + (room - w) / 2;
            glyphRect = TRect(x, (area.Height() - h) / 2, x + w, (area.Height() - h) / 2 + h);
        } else {
            const int w = images->Width(), h = images->Height();
            const int x = icoColumn.Left + (icoColumn.Width() - w) / 2;
            glyphRect = TRect(x, (area.Height() - h) / 2, x + w, (area.Height() - h) / 2 + h);
        }
        if (State.Contains(odChecked)) {
            const int small = FOwner->SkinCommonInfo.Sections[ssSpeedButton_Small];
            if (Section(data, small)) {
                TRect frame = glyphRect;
                frame.Left -= 1;
                frame.Top -= 1;
                frame.Right += 1;
                frame.Bottom += 1;
                PaintItem(small, MakeCacheInfo(itemBmp.get()), true, 2, frame, frame.TopLeft(), itemBmp.get(), data);
            }
        }
        TacDrawGlyphData gd;
        gd.Images = item->HasBitmap() ? nullptr : images;
        gd.Glyph = item->HasBitmap() ? item->Bitmap() : nullptr;
        gd.ImageIndex = item->ImageIndex();
        gd.DstBmp = itemBmp.get();
        gd.Canvas = canvas;
        gd.ImgRect = glyphRect;
        gd.Enabled = item->Enabled();
        gd.Grayed = FOwner->Effects()->GetBoolean(1) && !selected;
        gd.BGColor = bg;
        gd.PPI = PPI;
        gd.CommonSkinData = data;
        acDrawGlyphEx(gd);
    } else if (menu && menu->Name().substr(0, 9) == L"acSysMenu") {
        int glyph = -1;
        switch (item->Tag()) {
        case SC_MINIMIZE: glyph = 21; break;
        case SC_MAXIMIZE: glyph = 22; break;
        case SC_RESTORE: glyph = 23; break;
        case SC_CLOSE: glyph = 24; break;
        case SC_MOVE: glyph = 7; break;
        default: break;
        }
        if (glyph >= 0) DrawListImage(itemBmp.get(), acCharImages(), glyph, icoColumn, item->Enabled(), false, bg, PPI);
    }

    // Font and text.
    UpdateFont(canvas, item, false, State.Contains(odDefault));
    TColor fontColor = canvas->Font()->Color();
    if (section) fontColor = section->Props[static_cast<size_t>(state)].FontColor.Color;
    canvas->Font()->SetColor(fontColor);
    bool ownColor = false;
    if (FOwner->OnGetPopupItemData) {
        TacMenuItemData itemData;
        itemData.Font = canvas->Font();
        FOwner->OnGetPopupItemData(item, State, itemData);
        ownColor = canvas->Font()->Color() != fontColor;
    }
    TRect textRect = area;
    const int column = glyphW + 2 * Margin() + Spacing();
    if (rtl)
        textRect.Right -= column;
    else
        textRect.Left += column;
    UnicodeString caption = item->Caption();
    UINT flags = 0;
    const size_t tab = caption.find(L'\t');
    if (tab != UnicodeString::npos) {
        const UnicodeString after = caption.substr(tab + 1);
        caption.resize(tab);
        TRect r(textRect.Left, area.Top, area.Right - 8, area.Bottom);
        acWriteTextEx(canvas, after, item->Enabled(), r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT, ownColor ? -1 : itemIndex,
                      selected, FOwner);
    }
    if (!caption.empty() && caption.front() == L'\b') {
        caption = caption.substr(1) + L"      ";
        flags |= DT_RIGHT;
    } else {
        static constexpr UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        flags |= alignments[FAlignment];
    }
    flags |= caption.find(L'\r') != UnicodeString::npos ? DT_WORDBREAK : DT_SINGLELINE;
    flags |= DT_EXPANDTABS | DT_VCENTER | DT_NOCLIP;
    if (rtl) flags |= DT_RIGHT | DT_RTLREADING;
    if (State.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
    textRect.Top += Margin();
    textRect.Bottom -= Margin();
    const bool hot = item->Enabled() && (State.Contains(odSelected) || State.Contains(odHotLight));
    acWriteTextEx(canvas, caption, item->Enabled(), textRect, flags, ownColor ? -1 : itemIndex, hot, FOwner);

    // Shortcut.
    if (item->ShortCut()) {
        const UnicodeString text = ShortCutToText(item->ShortCut());
        RECT m{0, 0, 0, 0};
        DrawTextW(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &m,
                  DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
        const int spacing = data ? data->Spacing : 0;
        TRect r(area.Right - 2 * spacing - (m.right - m.left), area.Top, area.Right - 2 * spacing, area.Bottom);
        if (rtl) r = TRect(area.Left + 2 * spacing, area.Top, area.Left + 2 * spacing + (m.right - m.left), area.Bottom);
        acWriteTextEx(canvas, text, item->Enabled(), r, DT_SINGLELINE | DT_VCENTER | DT_LEFT, ownColor ? -1 : itemIndex,
                      hot, FOwner);
    }

    if (OnDrawItem) OnDrawItem(item, canvas, TRect(0, 0, itemBmp->Width(), itemBmp->Height()), State, it);

    if (!item->Enabled()) {
        BlendTransRectangle(itemBmp.get(), 0, 0, menuBmp, TRect(ARect.Left + b, ARect.Top + b, ARect.Right + b - 1,
                                                                 ARect.Bottom + b - 1),
                            DefBlendDisabled, clFuchsia);
    }
    BitBlt(ACanvas->Handle(), ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), canvas->Handle(), 0, 0, SRCCOPY);
    itemBmp.reset();
    if (item->OnDrawItem) item->OnDrawItem(item, ACanvas, ARect, State.Contains(odSelected));
}

void TsSkinableMenus::PaintDivider(TCanvas* Canvas, const TRect& R, TMenuItem* Item, TBitmap* MenuBmp,
                                   TacMenuInfo* Info)
{
    TacSkinData* data = sd ? sd : (FOwner ? FOwner->CommonSkinData(PPI) : nullptr);
    const int b = RealBorderWidth();
    int offset = 0;
    const int icoIndex = FOwner ? FOwner->GetSkinIndex(FOwner->MenuSupport()->IcoLineSkin, data) : -1;
    if (const TsGeneralData* ico = Section(data, icoIndex);
        ico && (ico->Props[0].Transparency < 100 || ico->BorderIndex >= 0))
        offset = (data ? data->Spacing : 0) + IcoLineWidth;
    const bool rtl = Item->GetParentMenu() && Item->GetParentMenu()->IsRightToLeft();
    TRect line = R;
    if (rtl)
        line.Right -= offset + ExtraWidth(Info);
    else
        line.Left += offset + ExtraWidth(Info);
    const int divIndex = FOwner ? FOwner->SkinCommonInfo.Sections[ssDividerV] : -1;
    const TsGeneralData* divider = Section(data, divIndex);
    const TsMaskData* mask = divider ? Mask(data, divider->BorderIndex) : nullptr;
    if (ActiveManager() && HasPicture(mask) && MenuBmp) {
        auto bmp = NewBmp(R.Width(), R.Height());
        BitBlt(bmp->Canvas()->Handle(), 0, 0, R.Width(), R.Height(), MenuBmp->Canvas()->Handle(), R.Left + b, R.Top + b,
               SRCCOPY);
        DrawSkinRect(bmp.get(), TRect(line.Left - R.Left, 0, line.Right - R.Left, R.Height()), EmptyCI, *mask, 0, true);
        BitBlt(Canvas->Handle(), R.Left, R.Top, R.Width(), R.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    TColor color = FOwner ? static_cast<TColor>(FOwner->Palette[pcBorder]) : clBtnShadow;
    if (color == clFuchsia) color = clBtnShadow;
    Canvas->Pen()->SetColor(color);
    const int y = (R.Top + R.Bottom) / 2;
    Canvas->MoveTo(line.Left, y);
    Canvas->LineTo(line.Right, y);
}

void TsSkinableMenus::PaintCaption(TCanvas* Canvas, const TRect& R, TMenuItem* Item, TBitmap* MenuBmp, TacMenuInfo*)
{
    TacSkinData* data = sd ? sd : (FOwner ? FOwner->CommonSkinData(PPI) : nullptr);
    const int b = RealBorderWidth();
    auto bmp = NewBmp(R.Width(), R.Height());
    if (MenuBmp)
        BitBlt(bmp->Canvas()->Handle(), 0, 0, R.Width(), R.Height(), MenuBmp->Canvas()->Handle(), R.Left + b,
               R.Top + b, SRCCOPY);
    const int index = FOwner ? FOwner->SkinCommonInfo.Sections[ssMenuCaption] : -1;
    if (Section(data, index) && MenuBmp)
        PaintItem(index, MakeCacheInfo(MenuBmp, R.Left + b + 1, R.Top + b + 1), true, 0,
                  TRect(0, 0, R.Width(), R.Height()), TPoint(0, 0), bmp.get(), data);
    UpdateFont(bmp->Canvas(), Item, true, false);
    const UnicodeString& caption = Item->Caption();
    const UnicodeString text = caption.size() >= 2 ? caption.substr(1, caption.size() - 2) : UnicodeString();
    TRect r(0, Margin() + 2, R.Width(), R.Height() - Margin() - 2);
    acWriteTextEx(bmp->Canvas(), text, true, r, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_HIDEPREFIX, index, false,
                  FOwner);
    BitBlt(Canvas->Handle(), R.Left, R.Top, R.Width(), R.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TsSkinableMenus::sAdvancedDrawLineItem(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item || !ACanvas || !ActiveManager()) return;
    TMenu* menu = item->GetParentMenu();
    TsSkinProvider* provider = MenuProvider;
    if (!provider && menu && menu->WindowHandle())
        provider = reinterpret_cast<TsSkinProvider*>(SendAMessage(menu->WindowHandle(), AC_GETPROVIDER));
    if (!provider) provider = MDISkinProvider;
    if (!provider) return;
    TBitmap* cache = provider->SkinData() ? provider->SkinData()->FCacheBmp.get() : nullptr;
    if (!cache) return;
    ACanvas->Lock();
    struct Unlock {
        TCanvas* c;
        ~Unlock() { c->Unlock(); }
    } unlock{ACanvas};

    HWND formWnd = provider->Form && provider->Form->HandleAllocated() ? provider->Form->Handle() : nullptr;
    const bool caption = formWnd && (GetWindowLongW(formWnd, GWL_STYLE) & WS_CAPTION) != 0;
    TacBorderForm* borderForm = provider->BorderForm;
    const int sysBorder = provider->SysBorderWidth();
    const int sysBorderHeight = SysBorderHeight(formWnd, borderForm, true);
    TPoint offset;
    if (ACanvas == cache->Canvas()) {
        // The menu line is being painted into the window image.
        if (borderForm)
            offset.Y = ARect.Top - provider->CaptionHeight(true) - provider->ShadowSize().Top;
        else
            offset.Y = caption ? ARect.Top - provider->SysCaptHeight() - sysBorderHeight : 0;
        offset.X = ARect.Left - provider->ShadowSize().Left - sysBorder;
    } else {
        // The system asks for the item on the window.
        if (borderForm)
            offset.Y = ARect.Top - provider->CaptionHeight(true) + (provider->FSysExHeight ? DiffTitle(borderForm) + 4 : 0);
        else
            offset.Y = caption ? ARect.Top - provider->SysCaptHeight() + DiffTitle(borderForm) - sysBorderHeight : 0;
        offset.X = ARect.Left - sysBorder + DiffBorder(borderForm);
    }

    TacSkinData* data = FOwner->CommonSkinData(PPI);
    const int itemIndex = data ? data->MenuItem.SkinIndex : -1;
    const TsGeneralData* section = Section(data, itemIndex);
    auto itemBmp = NewBmp(ARect.Width(), ARect.Height());
    BitBlt(itemBmp->Canvas()->Handle(), 0, 0, ARect.Width(), ARect.Height(), cache->Canvas()->Handle(), offset.X,
           offset.Y, SRCCOPY);
    const bool hot = item->Enabled() && (State.Contains(odSelected) || State.Contains(odHotLight));
    if (section)
        PaintItem(itemIndex, MakeCacheInfo(cache, offset.X, offset.Y), true, hot ? 1 : 0,
                  TRect(0, 0, ARect.Width(), ARect.Height()), TPoint(0, 0), itemBmp.get(), data);
    const bool rtl = menu && menu->IsRightToLeft();
    TRect textRect(0, 0, ARect.Width(), ARect.Height());
    TCustomImageList* images = menu ? menu->Images() : nullptr;
    const bool hasImage = images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
    if (item->HasBitmap() || hasImage) {
        const int w = item->HasBitmap() ? item->Bitmap()->Width() : images->Width();
        const int h = item->HasBitmap() ? item->Bitmap()->Height() : images->Height();
        const int x = rtl ? ARect.Width() - 3 - w : 3;
        TacDrawGlyphData gd;
        gd.Images = item->HasBitmap() ? nullptr : images;
        gd.Glyph = item->HasBitmap() ? item->Bitmap() : nullptr;
        gd.ImageIndex = item->ImageIndex();
        gd.DstBmp = itemBmp.get();
        gd.Canvas = itemBmp->Canvas();
        gd.ImgRect = TRect(x, (ARect.Height() - h) / 2, x + w, (ARect.Height() - h) / 2 + h);
        gd.Enabled = item->Enabled();
        gd.Grayed = FOwner->Effects()->GetBoolean(1);
        gd.BGColor = section ? section->Props[0].Color : 0xFFFFFF;
        gd.PPI = PPI;
        gd.CommonSkinData = data;
        acDrawGlyphEx(gd);
        if (rtl)
            textRect.Right = x - 3;
        else
            textRect.Left = x + w + 3;
    }
    UpdateFont(itemBmp->Canvas(), item, false, State.Contains(odDefault));
    static constexpr UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | alignments[FAlignment];
    if (rtl) flags |= DT_RTLREADING;
    if (State.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
    const int lineIndex = FOwner->SkinCommonInfo.Sections[ssMenuLine];
    if (borderForm)
        WriteText32(itemBmp.get(), item->Caption(), item->Enabled(), textRect, flags, lineIndex, hot ? 1 : 0, FOwner);
    else
        WriteTextEx(itemBmp->Canvas(), item->Caption(), item->Enabled(), textRect, flags, lineIndex, hot, FOwner);
    if (OnDrawItem) OnDrawItem(item, itemBmp->Canvas(), TRect(0, 0, itemBmp->Width(), itemBmp->Height()), State, smTopLine);
    if (!item->Enabled() && provider->MenuLineBmp)
        BlendTransRectangle(itemBmp.get(), 0, 0, provider->MenuLineBmp.get(),
                            TRect(ARect.Left, 0, ARect.Right - 1, ARect.Height() - 1), DefBlendDisabled, clFuchsia);
    BitBlt(ACanvas->Handle(), ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), itemBmp->Canvas()->Handle(), 0, 0,
           SRCCOPY);
}
