// The widgets read from a form definition: classes, properties, collections, string lists,
// references and events.
#include "controls_tests_widgets_support.h"

#include "Buttons.h"
#include "FormReader.h"
#include "Menus.h"

namespace {

const wchar_t* const kDefinition = LR"(object Form1: TForm
  Left = 40
  Top = 40
  Width = 700
  Height = 500
  object ShapeLED1: TShape
    Left = 8
    Top = 8
    Width = 20
    Height = 20
    Brush.Color = clGreen
    Pen.Style = psClear
    Shape = stCircle
  end
  object ToggleSwitch1: TToggleSwitch
    Left = 40
    Top = 8
    FrameColor = clRed
    ThumbColor = clRed
    ShowStateCaption = False
    State = tssOn
    OnClick = ToggleSwitch1Click
  end
  object ActivityIndicator1: TActivityIndicator
    Left = 140
    Top = 4
    IndicatorType = aitRotatingSector
    IndicatorColor = aicWhite
    IndicatorSize = aisLarge
  end
  object StatusBar: TStatusBar
    Panels = <
      item
        Text = 'Disconnect'
        Width = 200
      end
      item
        Text = 'IP:'
        Width = 150
      end>
  end
  object PageControl1: TPageControl
    Left = 8
    Top = 60
    Width = 660
    Height = 360
    ActivePage = TabSheet2
    Images = ImageList1
    object TabSheet1: TTabSheet
      Caption = 'GW-Status'
      ImageIndex = 0
      object StringGrid1: TStringGrid
        Left = 4
        Top = 4
        Width = 600
        Height = 200
        ColCount = 7
        FixedCols = 0
        RowCount = 2
        Font.Style = [fsBold]
        Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goRowSelect]
        HelpContext = 18
        OnDblClick = StringGrid1DblClick
      end
    end
    object TabSheet2: TTabSheet
      Caption = 'Setup'
      object EditPort: TEdit
        Left = 8
        Top = 8
        Alignment = taCenter
        NumbersOnly = True
        Text = '23'
        HelpContext = 7
      end
      object EditDBPassword: TEdit
        Left = 8
        Top = 40
        Alignment = taRightJustify
        PasswordChar = '#'
        Text = '4kq9rwzt'
      end
      object EditMasterKey: TEdit
        Left = 8
        Top = 72
        CharCase = ecUpperCase
        MaxLength = 32
        OnKeyPress = EditMasterKeyKeyPress
      end
      object RadioButtonFile: TRadioButton
        Left = 200
        Top = 8
        Caption = 'mit File'
        Checked = True
      end
      object RadioButtonDB: TRadioButton
        Left = 200
        Top = 30
        Caption = 'mit Datenbank'
      end
      object CheckBoxAutoStart: TCheckBox
        Left = 200
        Top = 60
        Alignment = taLeftJustify
        Caption = 'Server Auto-Start:'
      end
      object GroupBoxDB: TGroupBox
        Left = 350
        Top = 8
        Width = 280
        Height = 120
        Caption = 'Datenbank:'
        object LabelDBStatus: TLabel
          Left = 8
          Top = 20
          Caption = 'unbekannt'
        end
      end
      object ListBoxFiltIDs: TListBox
        Left = 8
        Top = 140
        Items.Strings = (
          '00000001'
          '00000002')
      end
    end
    object TabSheetImport: TTabSheet
      Caption = 'RAW Import'
      TabVisible = False
      object MemoLog: TMemo
        Lines.Strings = (
          'line one'
          'line two')
        ScrollBars = ssVertical
        WordWrap = False
        Font.Name = 'Courier New'
      end
    end
    object TabSheet4: TTabSheet
      Caption = 'Statistik'
      OnShow = TabSheet4Show
      object Calendar1: TMonthCalendar
        FirstDayOfWeek = dowSunday
        OnChange = Calendar1Change
      end
    end
  end
  object Panel1: TPanel
    Left = 8
    Top = 430
    Width = 200
    Height = 30
    BevelOuter = bvLowered
    Caption = 'Info'
  end
  object Image1: TImage
    Left = 220
    Top = 430
    Stretch = True
    Proportional = True
  end
  object ImageList1: TImageList
  end
  object CTrayIcon1: TCTrayIcon
    Icons = ImageList1
    Visible = True
    MinimizeToTray = True
    RestoreOnDblClick = True
    AnimateInterval = 500
  end
  object OpenDialog1: TOpenDialog
    Title = 'IMPORT RAW-Datei'
    Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]
  end
end
)";

class ReaderWidgetsTest : public WidgetsTest {
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        // The image list is the graphics layer's; the reader only needs to make one here.
        if (!IsPublishedClass(L"TImageList")) RegisterPublishedClass(L"TImageList", L"TComponent");
        if (!IsComponentClassRegistered(L"TImageList")) RegisterComponentClass<TImageList>(L"TImageList");
    }
};

TEST_F(ReaderWidgetsTest, MainWindowDefinitionBuildsEveryWidget)
{
    auto* form = new TForm(Application);
    TMethodTable methods;
    int switchClicks = 0;
    int calendarChanges = 0;
    int statisticsShown = 0;
    methods.Add<TNotifyEvent>(L"ToggleSwitch1Click", [&](TObject*) { ++switchClicks; });
    methods.Add<TNotifyEvent>(L"StringGrid1DblClick", [](TObject*) {});
    methods.Add<TKeyPressEvent>(L"EditMasterKeyKeyPress", [](TObject*, wchar_t& key) {
        if (key == L'g') key = 0;
    });
    methods.Add<TNotifyEvent>(L"TabSheet4Show", [&](TObject*) { ++statisticsShown; });
    methods.Add<TNotifyEvent>(L"Calendar1Change", [&](TObject*) { ++calendarChanges; });
    ReadComponentFromText(form, kDefinition, &methods);
    form->Show();

    auto find = [form](const wchar_t* name) { return form->FindComponent(name); };
    auto* led = dynamic_cast<TShape*>(find(L"ShapeLED1"));
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(led->Shape(), stCircle);
    EXPECT_EQ(led->Brush()->Color(), clGreen);
    EXPECT_EQ(led->Pen()->Style(), psClear);

    auto* sw = dynamic_cast<TToggleSwitch*>(find(L"ToggleSwitch1"));
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->State(), tssOn);
    EXPECT_EQ(switchClicks, 0) << "no click while the definition is read";
    EXPECT_EQ(sw->FrameColor(), clRed);
    EXPECT_FALSE(sw->ShowStateCaption());
    sw->SetState(tssOff);
    EXPECT_EQ(switchClicks, 1);

    auto* busy = dynamic_cast<TActivityIndicator*>(find(L"ActivityIndicator1"));
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(busy->IndicatorType(), aitRotatingSector);
    EXPECT_EQ(busy->Width(), 48);

    auto* bar = dynamic_cast<TStatusBar*>(find(L"StatusBar"));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->Panels()->Count(), 2);
    EXPECT_EQ(bar->Panels()->Items(0)->Text(), L"Disconnect");
    EXPECT_EQ(bar->Panels()->Items(1)->Width(), 150);

    auto* pages = dynamic_cast<TPageControl*>(find(L"PageControl1"));
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->PageCount(), 4);
    EXPECT_EQ(pages->ActivePage(), find(L"TabSheet2"));
    EXPECT_EQ(pages->Images(), find(L"ImageList1"));
    EXPECT_EQ(SendMessageW(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(statisticsShown, 0);
    pages->SetActivePage(dynamic_cast<TTabSheet*>(find(L"TabSheet4")));
    EXPECT_EQ(statisticsShown, 1);

    auto* grid = dynamic_cast<TStringGrid*>(find(L"StringGrid1"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->ColCount(), 7);
    EXPECT_EQ(grid->FixedCols(), 0);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_TRUE(grid->Options().Contains(goRowSelect));
    EXPECT_TRUE(grid->Font()->Style().Contains(fsBold));
    EXPECT_TRUE(static_cast<bool>(grid->OnDblClick));

    auto* port = dynamic_cast<TEdit*>(find(L"EditPort"));
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->Text(), L"23");
    EXPECT_EQ(port->Alignment(), taCenter);
    EXPECT_TRUE(port->NumbersOnly());
    EXPECT_EQ(port->HelpContext(), 7);
    auto* password = dynamic_cast<TEdit*>(find(L"EditDBPassword"));
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->PasswordChar(), L'#');
    auto* key = dynamic_cast<TEdit*>(find(L"EditMasterKey"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->CharCase(), ecUpperCase);
    EXPECT_EQ(key->MaxLength(), 32);
    for (wchar_t c : UnicodeString(L"agb")) SendMessageW(key->Handle(), WM_CHAR, c, 1);
    EXPECT_EQ(key->Text(), L"AB");

    auto* file = dynamic_cast<TRadioButton*>(find(L"RadioButtonFile"));
    auto* db = dynamic_cast<TRadioButton*>(find(L"RadioButtonDB"));
    ASSERT_TRUE(file && db);
    EXPECT_TRUE(file->Checked());
    db->SetChecked(true);
    EXPECT_FALSE(file->Checked());
    auto* autoStart = dynamic_cast<TCheckBox*>(find(L"CheckBoxAutoStart"));
    ASSERT_NE(autoStart, nullptr);
    EXPECT_EQ(autoStart->Alignment(), taLeftJustify);
    auto* label = dynamic_cast<TLabel*>(find(L"LabelDBStatus"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Parent(), find(L"GroupBoxDB"));
    EXPECT_GT(label->Width(), 0);
    auto* list = dynamic_cast<TListBox*>(find(L"ListBoxFiltIDs"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items()->Strings(1), L"00000002");

    auto* memo = dynamic_cast<TMemo*>(find(L"MemoLog"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->ScrollBars(), ssVertical);
    EXPECT_FALSE(memo->WordWrap());
    EXPECT_EQ(memo->Font()->Name(), L"Courier New");
    auto* import = dynamic_cast<TTabSheet*>(find(L"TabSheetImport"));
    ASSERT_NE(import, nullptr);
    EXPECT_FALSE(import->TabVisible());

    auto* calendar = dynamic_cast<TMonthCalendar*>(find(L"Calendar1"));
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->FirstDayOfWeek(), dowSunday);
    calendar->NextMonth();
    EXPECT_EQ(calendarChanges, 1);

    auto* panel = dynamic_cast<TPanel*>(find(L"Panel1"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->BevelOuter(), bvLowered);
    EXPECT_EQ(panel->Caption(), L"Info");
    auto* image = dynamic_cast<TImage*>(find(L"Image1"));
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->Stretch() && image->Proportional());

    auto* tray = dynamic_cast<TCTrayIcon*>(find(L"CTrayIcon1"));
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->Visible());
    EXPECT_TRUE(tray->MinimizeToTray());
    EXPECT_EQ(tray->AnimateInterval(), 500u);
    EXPECT_EQ(tray->Icons(), find(L"ImageList1"));
    auto* open = dynamic_cast<TOpenDialog*>(find(L"OpenDialog1"));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->Title(), L"IMPORT RAW-Datei");
    EXPECT_TRUE(open->Options().Contains(ofFileMustExist));

    auto statistics = CaptureWindow(form->Handle());
    SaveCapture(*statistics, L"main-window-statistics");
    // The setup page in the program's style.
    ASSERT_TRUE(TStyleManager::TrySetStyle(L"Slate Classico"));
    form->SetColor(clBtnFace);
    pages->SetActivePage(dynamic_cast<TTabSheet*>(find(L"TabSheet2")));
    auto setup = CaptureWindow(form->Handle());
    SaveCapture(*setup, L"main-window-setup");
    const POINT o = ClientOffset(form->Handle());
    const TRect page = pages->ActivePage()->BoundsRect();
    EXPECT_EQ(PixelOf(*setup, o.x + pages->Left() + page.Right - 5, o.y + pages->Top() + page.Bottom - 5),
              StyledColorToGdi(clBtnFace));
}

} // namespace

TEST_F(ReaderWidgetsTest, SpeedButtonAndEditBordersFromADefinition)
{
    auto* form = new TForm(Application);
    ReadComponentFromText(form, LR"(object Form2: TForm
  object SpeedButton1: TSpeedButton
    Left = 4
    Top = 6
    Width = 30
  end
  object Edit1: TEdit
    BorderStyle = bsNone
    BevelKind = bkSoft
    BevelInner = bvSpace
    BevelOuter = bvNone
    BevelWidth = 3
    TextHint = 'Search'
  end
end
)");
    auto* button = dynamic_cast<TSpeedButton*>(form->FindComponent(L"SpeedButton1"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->ClassName(), L"TSpeedButton");
    EXPECT_EQ(button->Parent(), form);
    EXPECT_EQ(button->BoundsRect(), Bounds(4, 6, 30, 22));
    auto* edit = dynamic_cast<TEdit*>(form->FindComponent(L"Edit1"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->BorderStyle(), bsNone);
    EXPECT_EQ(edit->BevelKind(), bkSoft);
    EXPECT_EQ(edit->BevelInner(), bvSpace);
    EXPECT_EQ(edit->BevelOuter(), bvNone);
    EXPECT_EQ(edit->BevelWidth(), 3);
    EXPECT_EQ(edit->TextHint(), L"Search");
    EXPECT_EQ(GetPropValue(edit, L"BevelKind"), L"bkSoft");
}

TEST_F(ReaderWidgetsTest, ControlForgetsItsPopupMenuWhenTheMenuGoes)
{
    auto* form = new TForm(Application);
    auto* edit = new TEdit(form);
    auto* menu = new TPopupMenu(form);
    EXPECT_EQ(edit->PopupMenu(), nullptr);
    edit->SetPopupMenu(menu);
    EXPECT_EQ(edit->PopupMenu(), menu);
    delete menu;
    EXPECT_EQ(edit->PopupMenu(), nullptr);
    // A control that goes first leaves the menu no dangling notification.
    auto* second = new TPopupMenu(form);
    edit->SetPopupMenu(second);
    delete edit;
    delete second;
}
