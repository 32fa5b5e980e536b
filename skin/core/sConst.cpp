#include "sConst.h"

const std::array<TacSkinColorData, 22> acSkinColorNames{{
    {TColorOf(0xFF9E9EFF), "slBtnRed"},
    {TColorOf(0xFF7E7EFF), "slBtnRedActive"},
    {TColorOf(0xFF0000B4), "slBtnRedText"},
    {TColorOf(0xFF0000A2), "slBtnRedTextActive"},
    {TColorOf(0xFF7BD098), "slBtnGreen"},
    {TColorOf(0xFF3EE275), "slBtnGreenActive"},
    {TColorOf(0xFF28851A), "slBtnGreenText"},
    {TColorOf(0xFF008E00), "slBtnGreenTextActive"},
    {TColorOf(0xFFFFEDC9), "slBtnBlue"},
    {TColorOf(0xFFFFE9BE), "slBtnBlueActive"},
    {TColorOf(0xFFAE7400), "slBtnBlueText"},
    {TColorOf(0xFF916000), "slBtnBlueTextActive"},
    {TColorOf(0xFFCAF3FF), "slBtnOrange"},
    {TColorOf(0xFFBAEFFF), "slBtnOrangeActive"},
    {TColorOf(0xFF0079B5), "slBtnOrangeText"},
    {TColorOf(0xFF0098C6), "slBtnOrangeTextActive"},
    {TColorOf(0xFFC9FFD2), "slEditGreen"},
    {TColorOf(0xFFBAFFFF), "slEditYellow"},
    {TColorOf(0xFFDBDBFF), "slEditRed"},
    {TColorOf(0xFF003E0A), "slEditGreenText"},
    {TColorOf(0xFF004C4C), "slEditYellowText"},
    {TColorOf(0xFF00006C), "slEditRedText"},
}};

int SysPopupCount = 0;
bool acDebugMode = false;
bool acCheckScale = false;
bool acDialogPosIsCenter = false;
HWND acPreviewHandle = nullptr;
bool acPreviewNeeded = false;
bool acSkinPreviewUpdating = false;
bool acIgnoreMenuOwnerDraw = false;
bool acHtmlStdBreak = false;
int acAnimCount = 0;
int acScrollBtnLength = 16;
int acArrowSize = 5;
int acSpacing = 4;
int acLineWidth = 2;
bool ShowHintStored = false;
bool FadingForbidden = false;
bool x64woAero = false;
void* TempControl = nullptr;
bool fGlobalFlag = false;
TObject* acMagnForm = nullptr;
wchar_t cMenuCaption = L'-';
TacScaleMode acCurrentScaleMode = smVCL;
bool ac_UseSysCharSet = true;
bool ac_KeepOwnFont = false;
bool ac_OldGlyphsMode = true;
bool DrawSkinnedMDIWall = true;
bool DrawSkinnedMDIScrolls = true;
int ac_DialogsLevel = 2;
bool ac_ChangeThumbPreviews = false;
bool ac_AllowHotEdits = false;
TObject* sPopupCalendar = nullptr;
bool AppShowHint = false;

UnicodeString acs_MsgDlgOK, acs_MsgDlgCancel, acs_MsgDlgHelp, acs_RestoreStr, acs_MoveStr, acs_SizeStr,
    acs_MinimizeStr, acs_MaximizeStr, acs_CloseStr, acs_Calculator, acs_FileOpen, acs_AvailSkins, acs_InternalSkin,
    acs_InvalidDate, acs_ColorDlgAdd, acs_ColorDlgDefine, acs_ColorDlgAddPal, acs_ColorDlgTitle, acs_ColorDlgRed,
    acs_ColorDlgGreen, acs_ColorDlgBlue, acs_ColorDlgDecimal, acs_ColorDlgHex, acs_FrameAdapterError1, acs_Font,
    acs_FontColor, acs_Root, acs_SelectDir, acs_Create, acs_DirWithSkins, acs_SelectSkinTitle, acs_SkinPreview;
