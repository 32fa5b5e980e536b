// Reading form definitions into forms.
#include "controls_test_classes.h"

#include "FormReader.h"
#include "StringList.h"
#include "Timers.h"

namespace {

// A component with a string list, a collection and a reference, registered for the reader.
class TListItem : public TCollectionItem {
public:
    UnicodeString ClassName() const override { return L"TListItem"; }
    const UnicodeString& Text() const { return text_; }
    void SetText(const UnicodeString& v) { text_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }

private:
    UnicodeString text_;
    int width_ = 50;
};

class TListHolder : public TComponent {
public:
    explicit TListHolder(TComponent* owner)
        : TComponent(owner), items_(TCollection::ItemClass<TListItem>(), this)
    {
    }
    UnicodeString ClassName() const override { return L"TListHolder"; }
    TStringList* Lines() { return &lines_; }
    TCollection* Panels() { return &items_; }
    TComponent* Buddy() const { return buddy_; }
    void SetBuddy(TComponent* c) { buddy_ = c; }
    std::vector<int>* loadOrder = nullptr;
    bool loadingWhileRead = false;
    void SetLoadingProbe(int) { loadingWhileRead = ComponentState().Contains(csLoading); }
    int LoadingProbe() const { return 0; }
    void Loaded() override
    {
        TComponent::Loaded();
        if (loadOrder) loadOrder->push_back(static_cast<int>(Tag()));
    }

private:
    TStringList lines_;
    TCollection items_;
    TComponent* buddy_ = nullptr;
};

void RegisterTestClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TListItem", L"TPersistent");
    RegisterPublishedProperty(L"TListItem", StrProp(L"Text", &TListItem::Text, &TListItem::SetText));
    RegisterPublishedProperty(L"TListItem", OrdProp(L"Width", pkInteger, &TListItem::Width, &TListItem::SetWidth));
    RegisterPublishedClass(L"TListHolder", L"TComponent");
    TPropInfo lines;
    lines.Name = L"Lines";
    lines.Kind = pkObject;
    lines.GetObj = [](TPersistent* p) -> TPersistent* { return dynamic_cast<TListHolder&>(*p).Lines(); };
    RegisterPublishedProperty(L"TListHolder", lines);
    TPropInfo panels;
    panels.Name = L"Panels";
    panels.Kind = pkObject;
    panels.GetObj = [](TPersistent* p) -> TPersistent* { return dynamic_cast<TListHolder&>(*p).Panels(); };
    RegisterPublishedProperty(L"TListHolder", panels);
    TPropInfo buddy;
    buddy.Name = L"Buddy";
    buddy.Kind = pkObject;
    buddy.GetObj = [](TPersistent* p) -> TPersistent* { return dynamic_cast<TListHolder&>(*p).Buddy(); };
    buddy.SetObj = [](TPersistent* p, TPersistent* v) {
        dynamic_cast<TListHolder&>(*p).SetBuddy(dynamic_cast<TComponent*>(v));
    };
    RegisterPublishedProperty(L"TListHolder", buddy);
    RegisterPublishedProperty(L"TListHolder",
                              OrdProp(L"LoadingProbe", pkInteger, &TListHolder::LoadingProbe, &TListHolder::SetLoadingProbe));
    RegisterComponentClass<TListHolder>(L"TListHolder");
    RegisterPublishedClass(L"TTestCustom", L"TCustomControl");
    RegisterComponentClass<TTestCustom>(L"TTestCustom");
}

class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner, const UnicodeString& definition) : TForm(owner)
    {
        RegisterTestClasses();
        BindField(L"Button1", Button1);
        BindField(L"Panel1", Panel1);
        BindField(L"Holder", Holder);
        BindField(L"Timer1", Timer1);
        BindHandler(L"Button1Click", &TTestForm::Button1Click);
        BindHandler(L"FormCreate", &TTestForm::FormCreate);
        BindHandler(L"FormClose", &TTestForm::FormClose);
        BindHandler(L"FormHelp", &TTestForm::FormHelp);
        ReadDefinitionText(definition);
    }
    UnicodeString ClassName() const override { return L"TTestForm"; }

    TButton* Button1 = nullptr;
    TTestCustom* Panel1 = nullptr;
    TListHolder* Holder = nullptr;
    TTimer* Timer1 = nullptr;
    int clicks = 0;
    bool buttonSeenInCreate = false;
    UnicodeString captionInCreate;

    void Button1Click(TObject*) { ++clicks; }
    void FormCreate(TObject*)
    {
        buttonSeenInCreate = Button1 != nullptr && Button1->Caption() == L"Übernehmen";
        captionInCreate = Caption();
    }
    void FormClose(TObject*, TCloseAction& action) { action = caNone; }
    bool FormHelp(WORD, intptr_t, bool& callHelp)
    {
        callHelp = false;
        return true;
    }
};

const wchar_t* const kDefinition = LR"(object FormTest: TTestForm
  Left = 10
  Top = -4
  BorderIcons = [biSystemMenu, biHelp]
  BorderStyle = bsSingle
  Caption = 'wM-BUS to TCP'#32'Gateway' +
    ' Server'
  ClientHeight = 200
  ClientWidth = 300
  Color = clRed
  Font.Name = 'Tahoma'
  Font.Height = -11
  Font.Style = [fsBold]
  HelpFile = 'WM-Bus Marlindo.chm'
  OnClose = FormClose
  OnCreate = FormCreate
  OnHelp = FormHelp
  object Panel1: TTestCustom
    Left = 0
    Top = 0
    Width = 300
    Height = 41
    Align = alTop
    object Button1: TButton
      Left = 8
      Top = 8
      Caption = #220'bernehmen'
      ModalResult = mrOk
      HelpContext = 7
      TabOrder = 0
      OnClick = Button1Click
    end
  end
  object Holder: TListHolder
    Tag = 2
    LoadingProbe = 1
    Lines.Strings = (
      'first'
      'it''s second')
    Panels = <
      item
        Text = 'Disconnect'
        Width = 200
      end
      item
        Text = 'IP:'
      end>
    Buddy = Timer1
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 500
  end
end
)";

} // namespace

using FormReading = ControlsTest;

TEST_F(FormReading, DefinitionBuildsTheComponentTree)
{
    auto* form = new TTestForm(Application, kDefinition);
    EXPECT_EQ(form->Name(), L"FormTest");
    EXPECT_EQ(form->Caption(), L"wM-BUS to TCP Gateway Server");
    EXPECT_EQ(form->Left(), 10);
    EXPECT_EQ(form->Top(), -4);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    EXPECT_EQ(form->Color(), clRed);
    EXPECT_EQ(form->BorderStyle(), bsSingle);
    EXPECT_EQ(form->BorderIcons(), (TBorderIcons{biSystemMenu, biHelp}));
    EXPECT_EQ(form->Font()->Name(), L"Tahoma");
    EXPECT_EQ(form->Font()->Height(), -11);
    EXPECT_TRUE(form->Font()->Style().Contains(fsBold));
    EXPECT_EQ(form->HelpFile(), L"WM-Bus Marlindo.chm");

    ASSERT_NE(form->Panel1, nullptr);
    ASSERT_NE(form->Button1, nullptr);
    EXPECT_EQ(form->Panel1->Parent(), form);
    EXPECT_EQ(form->Button1->Parent(), form->Panel1);
    EXPECT_EQ(form->Button1->Owner(), form);
    EXPECT_EQ(form->Button1->Caption(), L"\u00DCbernehmen");
    EXPECT_EQ(form->Button1->ModalResult(), mrOk);
    EXPECT_EQ(form->Button1->HelpContext(), 7);
    EXPECT_TRUE(form->Button1->Font()->Style().Contains(fsBold)) << "children follow the form's font";
    EXPECT_EQ(form->Panel1->Align(), alTop);

    ASSERT_NE(form->Holder, nullptr);
    EXPECT_EQ(form->Holder->Lines()->Text(), L"first\r\nit's second\r\n");
    ASSERT_EQ(form->Holder->Panels()->Count(), 2);
    auto* p0 = dynamic_cast<TListItem*>(form->Holder->Panels()->Items(0));
    auto* p1 = dynamic_cast<TListItem*>(form->Holder->Panels()->Items(1));
    EXPECT_EQ(p0->Text(), L"Disconnect");
    EXPECT_EQ(p0->Width(), 200);
    EXPECT_EQ(p1->Text(), L"IP:");
    EXPECT_EQ(p1->Width(), 50);
    EXPECT_EQ(form->Holder->Buddy(), form->Timer1) << "a reference to a component defined later";
    EXPECT_TRUE(form->Holder->loadingWhileRead);
    EXPECT_FALSE(form->Holder->ComponentState().Contains(csLoading));
    EXPECT_FALSE(form->ComponentState().Contains(csLoading));
    ASSERT_NE(form->Timer1, nullptr);
    EXPECT_FALSE(form->Timer1->Enabled());
    EXPECT_EQ(form->Timer1->Interval(), 500u);

    EXPECT_TRUE(form->buttonSeenInCreate) << "OnCreate runs after the definition was read";
    EXPECT_EQ(form->captionInCreate, L"wM-BUS to TCP Gateway Server");
}

TEST_F(FormReading, EventsAreBoundByName)
{
    auto* form = new TTestForm(Application, kDefinition);
    form->Show();
    SendMessageW(form->Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->clicks, 1);
    EXPECT_EQ(form->ModalResult(), mrOk);

    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form->Visible()) << "FormClose answers caNone";

    HELPINFO info{sizeof(info), HELPINFO_WINDOW, 0, form->Button1->Handle(), 0, {0, 0}};
    SendMessageW(form->Handle(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(RecordedHelpCalls().empty()) << "FormHelp keeps the help system out";
}

TEST_F(FormReading, LoadedRunsInCreationOrderAfterReading)
{
    class TOrderForm : public TForm {
    public:
        explicit TOrderForm(TComponent* owner) : TForm(owner) {}
    };
    RegisterTestClasses();
    std::vector<int> order;
    // The holders report their Tag from Loaded; hook them up through a factory for this test.
    RegisterComponentClass(L"TOrderedHolder", [&order](TComponent* owner) -> TComponent* {
        auto* h = new TListHolder(owner);
        h->loadOrder = &order;
        return h;
    });
    auto* form = new TOrderForm(Application);
    form->ReadDefinitionText(LR"(object F: TForm
  object A: TOrderedHolder
    Tag = 1
  end
  object B: TOrderedHolder
    Tag = 2
  end
  object C: TOrderedHolder
    Tag = 3
  end
end)");
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(FormReading, ErrorsNameTheComponentPropertyAndLine)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"object F: TForm\n  Caption = 'x'\n  object B: TButton\n    Colour = clRed\n  end\nend",
         L"Error reading B.Colour: Property Colour does not exist (line 4)"},
        {L"object F: TForm\n  object B: TNoSuchButton\n  end\nend", L"Class TNoSuchButton not found (line 2)"},
        {L"object F: TForm\n  OnCreate = NoSuchHandler\nend", L"Handler NoSuchHandler not found (line 2)"},
        {L"object F: TForm\n  BorderStyle = bsRound\nend", L"Error reading F.BorderStyle: Invalid property value (line 2)"},
        {L"object F: TForm\n  BorderIcons = [biSystemMenu, biFancy]\nend", L"Invalid set element biFancy (line 2)"},
        {L"object F: TForm\n  Caption = 'open\nend", L"Unterminated string (line 2)"},
        {L"object F: TForm\n  Left = 'ten'\nend", L"Error reading F.Left: Invalid property value (line 2)"},
        {L"object F: TForm\n  Font.Nom = 'x'\nend", L"Error reading F.Font.Nom: Property Nom does not exist (line 2)"},
        {L"object F: TForm\n  Left = 1\n", L"'end' expected (line 3)"},
        {L"object F: TForm\n  Caption = #99999999\nend", L"Invalid character code (line 2)"},
    };
    for (const Case& c : cases) {
        auto* form = new TForm(Application);
        try {
            form->ReadDefinitionText(c.text);
            ADD_FAILURE() << "no error for: " << UnicodeToUtf8(c.text);
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.expected), UnicodeString::npos)
                << UnicodeToUtf8(e.Message()) << "\n  expected: " << UnicodeToUtf8(c.expected);
        }
        EXPECT_FALSE(form->ComponentState().Contains(csLoading));
        delete form;
    }
}

TEST_F(FormReading, ASecondInstanceGetsAUniqueName)
{
    auto* first = new TTestForm(Application, kDefinition);
    auto* second = new TTestForm(Application, kDefinition);
    EXPECT_EQ(first->Name(), L"FormTest");
    EXPECT_EQ(second->Name(), L"FormTest_1");
    EXPECT_NE(second->Button1, first->Button1);
}

TEST_F(FormReading, MissingResourceIsReported)
{
    EXPECT_THROW(LoadFormDefinitionResource(L"TNOSUCHFORM"), EResNotFound);
}

TEST_F(FormReading, DefinitionsAreReadFromRcdataResources)
{
    // A copy of this program gets an RCDATA resource, as windres would compile it.
    wchar_t exe[MAX_PATH]{};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + L"controls_res_" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    ASSERT_TRUE(CopyFileW(exe, copy.c_str(), FALSE));
    const std::string text = "\xEF\xBB\xBF"
                             "object F: TForm\r\n  Caption = 'Gr\xC3\xBC\xC3\x9F"
                             "e'#13'x'\r\nend\r\n";
    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, RT_RCDATA, L"TSAMPLEFORM", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                const_cast<char*>(text.data()), static_cast<DWORD>(text.size())));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);

    auto* form = new TForm(Application);
    form->ReadDefinition(L"TSampleForm", module);
    EXPECT_EQ(form->Caption(), L"Gr\u00FC\u00DFe\rx");
    EXPECT_THROW(LoadFormDefinitionResource(L"TOTHERFORM", module), EResNotFound);

    FreeLibrary(module);
    DeleteFileW(copy.c_str());
}
