// Writing form definitions and reading them back.
#include "controls_test_support.h"

#include "ExtCtrls.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "Forms.h"
#include "Graphics.h"
#include "StdCtrls.h"
#include "StringList.h"
#include "SysUtils.h"

#include <cmath>
#include <functional>
#include <memory>
#include <sstream>

namespace {

enum TStoreMode { smOff, smSlow, smFast };
enum TStoreOption { soA, soB, soC };
using TStoreOptions = TSet<TStoreOption>;
const TEnumTypeInfo kModeType{{L"smOff", L"smSlow", L"smFast"}, 0};
const TEnumTypeInfo kOptionType{{L"soA", L"soB", L"soC"}, 0};

class TStoreItem : public TCollectionItem {
public:
    UnicodeString ClassName() const override { return L"TStoreItem"; }
    const UnicodeString& Text() const { return text_; }
    void SetText(const UnicodeString& v) { text_ = v; }
    int Width() const { return width_; }
    void SetWidth(int v) { width_ = v; }
    const TBytes& Payload() const { return payload_; }
    void SetPayload(std::span<const std::uint8_t> v) { payload_.assign(v.begin(), v.end()); }

private:
    UnicodeString text_;
    int width_ = 50;
    TBytes payload_;
};

class TStoreInner : public TPersistent {
public:
    UnicodeString ClassName() const override { return L"TStoreInner"; }
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    const UnicodeString& Label() const { return label_; }
    void SetLabel(const UnicodeString& v) { label_ = v; }

private:
    int size_ = 10;
    UnicodeString label_;
};

// One property of every kind, with and without defaults and stored predicates.
class TStoreHolder : public TComponent {
public:
    explicit TStoreHolder(TComponent* owner) : TComponent(owner), items_(TCollection::ItemClass<TStoreItem>(), this) {}
    UnicodeString ClassName() const override { return L"TStoreHolder"; }

    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    TStoreMode Mode() const { return mode_; }
    void SetMode(TStoreMode v) { mode_ = v; }
    TStoreOptions Options() const { return options_; }
    void SetOptions(TStoreOptions v) { options_ = v; }
    TColor Color() const { return color_; }
    void SetColor(TColor v) { color_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    const UnicodeString& Title() const { return title_; }
    void SetTitle(const UnicodeString& v) { title_ = v; }
    const UnicodeString& Note() const { return note_; }
    void SetNote(const UnicodeString& v) { note_ = v; }
    const TBytes& Blob() const { return blob_; }
    void SetBlob(const TBytes& v) { blob_ = v; }
    int Marker() const { return marker_; }
    void SetMarker(int v) { marker_ = v; }
    int Hidden() const { return hidden_; }
    void SetHidden(int v) { hidden_ = v; }
    TStringList* Lines() const { return &lines_; }
    TCollection* Items() const { return &items_; }
    TStoreInner* Inner() const { return &inner_; }
    TBitmap* Picture() const { return &picture_; }
    TComponent* Buddy() const { return buddy_; }
    void SetBuddy(TComponent* v) { buddy_ = v; }

    // Every value, children included, as one text to compare.
    std::wstring Describe() const
    {
        std::wostringstream out;
        out << L"Count=" << count_ << L" Flag=" << flag_ << L" Mode=" << mode_ << L" Options=" << options_.Bits()
            << L" Color=" << color_ << L" Ratio=" << std::hexfloat << ratio_ << std::defaultfloat << L" Title=[" << title_ << L"] Note=[" << note_ << L"] Blob=" << Hex(blob_)
            << L" Marker=" << marker_ << L" Hidden=" << hidden_ << L" Lines=[" << lines_.Text() << L"] Inner="
            << inner_.Size() << L"/" << inner_.Label() << L" Buddy=" << (buddy_ ? buddy_->Name() : L"nil");
        for (int i = 0; i < items_.Count(); ++i) {
            auto* item = static_cast<TStoreItem*>(items_.Items(i));
            out << L" item(" << item->Text() << L"," << item->Width() << L"," << Hex(item->Payload()) << L")";
        }
        for (int i = 0; i < ComponentCount(); ++i) {
            auto* child = dynamic_cast<TStoreHolder*>(Components(i));
            out << L" {" << Components(i)->Name() << L": " << (child ? child->Describe() : L"?") << L"}";
        }
        return out.str();
    }

    static std::wstring Hex(const TBytes& bytes)
    {
        std::wstring s = std::to_wstring(bytes.size()) + L":";
        for (std::uint8_t b : bytes) s += L"0123456789ABCDEF"[b >> 4], s += L"0123456789ABCDEF"[b & 15];
        return s;
    }

private:
    int count_ = 3;
    bool flag_ = false;
    TStoreMode mode_ = smOff;
    TStoreOptions options_{soA};
    TColor color_ = clNone;
    double ratio_ = 0;
    UnicodeString title_;
    UnicodeString note_;
    TBytes blob_;
    int marker_ = 0;
    int hidden_ = 0;
    mutable TStringList lines_;
    mutable TCollection items_;
    mutable TStoreInner inner_;
    mutable TBitmap picture_;
    TComponent* buddy_ = nullptr;
};

void RegisterStoreClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterPublishedClass(L"TStoreItem", L"TCollectionItem");
    RegisterPublishedProperty(L"TStoreItem", StrProp(L"Text", &TStoreItem::Text, &TStoreItem::SetText, UnicodeString()));
    RegisterPublishedProperty(L"TStoreItem", OrdProp(L"Width", pkInteger, &TStoreItem::Width, &TStoreItem::SetWidth, int64_t{50}));
    RegisterPublishedProperty(L"TStoreItem", BinProp(L"Payload", &TStoreItem::Payload, &TStoreItem::SetPayload, TBytes()));
    RegisterPublishedClass(L"TStoreInner", L"TPersistent");
    RegisterPublishedProperty(L"TStoreInner", OrdProp(L"Size", pkInteger, &TStoreInner::Size, &TStoreInner::SetSize, int64_t{10}));
    RegisterPublishedProperty(L"TStoreInner", StrProp(L"Label", &TStoreInner::Label, &TStoreInner::SetLabel, UnicodeString()));

    const UnicodeString h = L"TStoreHolder";
    RegisterPublishedClass(h, L"TComponent");
    RegisterPublishedProperty(h, OrdProp(L"Count", pkInteger, &TStoreHolder::Count, &TStoreHolder::SetCount, int64_t{3}));
    RegisterPublishedProperty(h, OrdProp(L"Flag", pkBool, &TStoreHolder::Flag, &TStoreHolder::SetFlag, int64_t{0}));
    RegisterPublishedProperty(h, OrdProp(L"Mode", pkEnum, &TStoreHolder::Mode, &TStoreHolder::SetMode, int64_t{smOff}, &kModeType));
    RegisterPublishedProperty(h, OrdProp(L"Options", pkSet, &TStoreHolder::Options, &TStoreHolder::SetOptions,
                                         int64_t{1}, &kOptionType));
    RegisterPublishedProperty(h, OrdProp(L"Color", pkColor, &TStoreHolder::Color, &TStoreHolder::SetColor, int64_t{clNone}));
    RegisterPublishedProperty(h, FloatProp(L"Ratio", &TStoreHolder::Ratio, &TStoreHolder::SetRatio, 0.0));
    RegisterPublishedProperty(h, StrProp(L"Title", &TStoreHolder::Title, &TStoreHolder::SetTitle, UnicodeString()));
    RegisterPublishedProperty(h, StrProp(L"Note", &TStoreHolder::Note, &TStoreHolder::SetNote)); // no default
    RegisterPublishedProperty(h, BinProp(L"Blob", &TStoreHolder::Blob, &TStoreHolder::SetBlob, TBytes()));
    TPropInfo marker = OrdProp(L"Marker", pkInteger, &TStoreHolder::Marker, &TStoreHolder::SetMarker, int64_t{0});
    marker.Stored = [](TPersistent*) { return true; };
    RegisterPublishedProperty(h, std::move(marker));
    TPropInfo hidden = OrdProp(L"Hidden", pkInteger, &TStoreHolder::Hidden, &TStoreHolder::SetHidden, int64_t{0});
    hidden.Stored = [](TPersistent*) { return false; };
    RegisterPublishedProperty(h, std::move(hidden));
    RegisterPublishedProperty(h, ObjProp(L"Lines", &TStoreHolder::Lines));
    RegisterPublishedProperty(h, ObjProp(L"Items", &TStoreHolder::Items));
    RegisterPublishedProperty(h, ObjProp(L"Inner", &TStoreHolder::Inner));
    RegisterPublishedProperty(h, ObjProp(L"Picture", &TStoreHolder::Picture));
    RegisterPublishedProperty(h, ObjProp(L"Buddy", &TStoreHolder::Buddy, &TStoreHolder::SetBuddy, L"Component expected",
                                         TNilObject::Pass));
    RegisterComponentClass<TStoreHolder>(h);
}

TBytes Sequence(size_t size)
{
    TBytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// Row bytes without padding, top row first, and the format: equal means pixel-exact.
std::vector<std::uint8_t> PixelBytes(TBitmap& bitmap)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(bitmap.PixelFormat())};
    if (bitmap.Empty()) return bytes;
    const size_t rowBytes = (static_cast<size_t>(bitmap.Width()) * BitsPerPixel(bitmap.PixelFormat()) + 7) / 8;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const auto* row = static_cast<const std::uint8_t*>(bitmap.ScanLine(y));
        bytes.insert(bytes.end(), row, row + rowBytes);
    }
    return bytes;
}

void FillBitmap(TBitmap& bitmap, int width, int height, TPixelFormat format)
{
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    const size_t rowBytes = (static_cast<size_t>(width) * BitsPerPixel(format) + 7) / 8;
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(bitmap.ScanLine(y));
        for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<std::uint8_t>(y * 31 + i * 13 + 1);
    }
}

using FormWriting = ControlsTest;

} // namespace

TEST_F(FormWriting, WrittenValuesReadBackEqual)
{
    RegisterStoreClasses();
    struct Case {
        const char* name;
        std::function<void(TStoreHolder&)> setup;
    };
    const Case cases[] = {
        {"defaults", [](TStoreHolder&) {}},
        {"ordinals", [](TStoreHolder& h) {
             h.SetCount(-7);
             h.SetFlag(true);
             h.SetMode(smFast);
             h.SetOptions({soB, soC});
             h.SetColor(clRed);
         }},
        {"extreme ordinals", [](TStoreHolder& h) {
             h.SetCount(INT32_MIN);
             h.SetOptions({});
             h.SetColor(static_cast<TColor>(0xFF000005));
         }},
        {"a colour without a name", [](TStoreHolder& h) { h.SetColor(0x00123456); }},
        {"strings with quotes, line breaks and non-ASCII", [](TStoreHolder& h) {
             h.SetTitle(L"it's \"quoted\"\r\n\ttabbed ''");
             h.SetNote(L"\u00DCbernehmen \u20AC \U0001F600 #13 + '");
         }},
        {"string of control characters only", [](TStoreHolder& h) { h.SetTitle(UnicodeString(L"\x01\x7F\n", 3)); }},
        {"binary of one byte", [](TStoreHolder& h) { h.SetBlob({0x00}); }},
        {"binary of every byte value", [](TStoreHolder& h) {
             TBytes all(256);
             for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
             h.SetBlob(all);
         }},
        {"binary over 1 KiB", [](TStoreHolder& h) { h.SetBlob(Sequence(1500)); }},
        {"string list", [](TStoreHolder& h) { h.Lines()->SetText(L"first\r\n\r\nit's third\r\n"); }},
        {"nested object", [](TStoreHolder& h) {
             h.Inner()->SetSize(11);
             h.Inner()->SetLabel(L"inner");
         }},
        {"collection items with binary values", [](TStoreHolder& h) {
             auto* a = static_cast<TStoreItem*>(h.Items()->Add());
             a->SetText(L"a");
             a->SetPayload(Sequence(1100));
             auto* b = static_cast<TStoreItem*>(h.Items()->Add());
             b->SetWidth(0);
             auto* c = static_cast<TStoreItem*>(h.Items()->Add());
             c->SetPayload(TBytes{0xFF});
         }},
        {"children and references", [](TStoreHolder& h) {
             auto* first = new TStoreHolder(&h);
             first->SetName(L"First");
             first->SetBlob(Sequence(40));
             auto* second = new TStoreHolder(&h);
             second->SetName(L"Second");
             second->SetBuddy(first);
             first->SetBuddy(&h);
             h.SetBuddy(second); // a reference to a component written after the property
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStoreHolder original(nullptr);
        original.SetName(L"Root");
        c.setup(original);
        const UnicodeString text = WriteComponentToText(&original);
        for (wchar_t ch : text) ASSERT_TRUE(ch == L'\r' || ch == L'\n' || (ch >= 0x20 && ch < 0x7F)) << "plain ASCII";
        TStoreHolder copy(nullptr);
        ASSERT_NO_THROW(ReadComponentFromText(&copy, text)) << text;
        EXPECT_EQ(copy.Name(), L"Root");
        EXPECT_EQ(copy.Describe(), original.Describe()) << text;
        EXPECT_EQ(WriteComponentToText(&copy), text) << "writing the copy gives the same text";
    }
}

TEST_F(FormWriting, OnlyStoredValuesAreWrittenInTheReadersForm)
{
    RegisterStoreClasses();
    struct Case {
        const char* name;
        std::function<void(TStoreHolder&)> setup;
        const wchar_t* properties; // the lines between "object" and "end"
    };
    const Case cases[] = {
        // Marker's predicate keeps its default; Note has no default; Hidden's predicate leaves it out.
        {"defaults", [](TStoreHolder&) {}, L"  Note = ''\r\n  Marker = 0\r\n"},
        {"values set to their defaults", [](TStoreHolder& h) {
             h.SetCount(3);
             h.SetOptions({soA});
             h.SetBlob({});
             h.SetHidden(9);
             h.Inner()->SetSize(10);
         }, L"  Note = ''\r\n  Marker = 0\r\n"},
        {"every kind", [](TStoreHolder& h) {
             h.SetCount(-1);
             h.SetFlag(true);
             h.SetMode(smSlow);
             h.SetOptions({soA, soC});
             h.SetColor(clBtnFace);
             h.SetTitle(L"a'b\r\n");
             h.SetBlob(Sequence(33));
             h.SetMarker(2);
             h.Lines()->SetText(L"x\r\ny\r\n");
             static_cast<TStoreItem*>(h.Items()->Add())->SetPayload(TBytes{1, 2});
             h.Items()->Add();
             h.Inner()->SetLabel(L"L");
         },
         L"  Count = -1\r\n  Flag = True\r\n  Mode = smSlow\r\n  Options = [soA,soC]\r\n  Color = clBtnFace\r\n"
         L"  Title = 'a''b'#13#10\r\n  Note = ''\r\n"
         L"  Blob = {\r\n"
         L"    030A11181F262D343B424950575E656C737A81888F969DA4ABB2B9C0C7CED5DC\r\n"
         L"    E3}\r\n"
         L"  Marker = 2\r\n"
         L"  Lines.Strings = (\r\n    'x'\r\n    'y')\r\n"
         L"  Items = <\r\n    item\r\n      Payload = {\r\n        0102}\r\n    end\r\n    item\r\n    end>\r\n"
         L"  Inner.Label = 'L'\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStoreHolder holder(nullptr);
        holder.SetName(L"Root");
        c.setup(holder);
        EXPECT_EQ(WriteComponentToText(&holder), UnicodeString(L"object Root: TStoreHolder\r\n") + c.properties + L"end\r\n");
    }
}

TEST_F(FormWriting, FloatValuesAreWrittenWithAPointWhateverTheLocaleAndReadBackExactly)
{
    RegisterStoreClasses();
    struct LocaleGuard {
        TFormatSettings saved = FormatSettings;
        ~LocaleGuard() { FormatSettings = saved; }
    } guard;
    FormatSettings.DecimalSeparator = L',';
    struct Case {
        double value;
        const wchar_t* line; // nullptr: not written
    };
    const Case cases[] = {
        {15.5, L"  Ratio = 15.5\r\n"},
        {-0.0025, L"  Ratio = -0.0025\r\n"},
        {0.1 + 0.2, L"  Ratio = 0.30000000000000004\r\n"},
        {42, L"  Ratio = 42\r\n"},
        {1e20, L"  Ratio = 1.0E20\r\n"},
        {-1.5e-300, L"  Ratio = -1.5E-300\r\n"},
        {12345678901234567890.0, L"  Ratio = 1.2345678901234567E19\r\n"},
        {0, nullptr},                       // the default
        {std::nan(""), nullptr},            // no number form: left out
        {HUGE_VAL, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value);
        TStoreHolder holder(nullptr);
        holder.SetName(L"Root");
        holder.SetRatio(c.value);
        const UnicodeString text = WriteComponentToText(&holder);
        EXPECT_EQ(text, UnicodeString(L"object Root: TStoreHolder\r\n") + (c.line ? c.line : L"") +
                            L"  Note = ''\r\n  Marker = 0\r\n" + L"end\r\n");
        TStoreHolder copy(nullptr);
        ASSERT_NO_THROW(ReadComponentFromText(&copy, text)) << text;
        if (c.line) EXPECT_EQ(copy.Ratio(), c.value) << "exactly the value";
        else EXPECT_EQ(copy.Ratio(), 0.0);
    }
    // The reader takes the other number forms and refuses what is no number.
    TStoreHolder read(nullptr);
    ReadComponentFromText(&read, L"object Root: TStoreHolder\r\n  Ratio = -7\r\nend\r\n");
    EXPECT_EQ(read.Ratio(), -7.0);
    ReadComponentFromText(&read, L"object Root: TStoreHolder\r\n  Ratio = 2.5e-3\r\nend\r\n");
    EXPECT_EQ(read.Ratio(), 0.0025);
    for (const wchar_t* bad : {L"'1.5'", L"True", L"1.5E999"})
        EXPECT_THROW(ReadComponentFromText(&read, UnicodeString(L"object Root: TStoreHolder\r\n  Ratio = ") + bad +
                                                      L"\r\nend\r\n"),
                     EReadError)
            << std::wstring(bad);
}

TEST_F(FormWriting, BitmapPropertyRoundTripsPixelExact)
{
    RegisterStoreClasses();
    struct Case {
        const char* name;
        int width, height;
        TPixelFormat format;
    };
    const Case cases[] = {
        {"32-bit with alpha", 37, 5, pf32bit},
        {"24-bit, padded rows", 13, 7, pf24bit},
        {"8-bit with its colour table", 9, 3, pf8bit},
        {"empty", 0, 0, pf32bit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TStoreHolder original(nullptr);
        original.SetName(L"Root");
        if (c.width) FillBitmap(*original.Picture(), c.width, c.height, c.format);
        const UnicodeString text = WriteComponentToText(&original);
        EXPECT_EQ(text.find(L"Picture.Data") != UnicodeString::npos, c.width != 0) << text;
        TStoreHolder copy(nullptr);
        FillBitmap(*copy.Picture(), 2, 2, pf24bit); // replaced by the stored image, or kept when none is stored
        ASSERT_NO_THROW(ReadComponentFromText(&copy, text)) << text;
        if (c.width == 0) continue;
        EXPECT_EQ(copy.Picture()->Width(), c.width);
        EXPECT_EQ(copy.Picture()->Height(), c.height);
        EXPECT_EQ(PixelBytes(*copy.Picture()), PixelBytes(*original.Picture()));
    }
}

TEST_F(FormWriting, MalformedBinaryValuesRaiseTheReadersError)
{
    RegisterStoreClasses();
    const wchar_t* const cases[] = {
        L"object Root: TStoreHolder\n  Blob = {0}\nend\n",                // odd digit count
        L"object Root: TStoreHolder\n  Blob = {0A0}\nend\n",
        L"object Root: TStoreHolder\n  Blob = {0G}\nend\n",               // not hex
        L"object Root: TStoreHolder\n  Blob = {00 -1}\nend\n",
        L"object Root: TStoreHolder\n  Blob = {00",                       // text ends inside the value
        L"object Root: TStoreHolder\n  Blob = {",
        L"object Root: TStoreHolder\n  Blob = 'text'\nend\n",             // not a binary value
        L"object Root: TStoreHolder\n  Title = {00}\nend\n",              // binary for a string
        L"object Root: TStoreHolder\n  Items = <\n    item\n      Payload = {ABC}\n    end>\nend\n",
        L"object Root: TStoreHolder\n  Items = <\n    item\n      Payload = {AB",
        L"object Root: TStoreHolder\n  Picture.Data = {424D00}\nend\n", // not a bitmap
    };
    for (const wchar_t* text : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(text));
        TStoreHolder holder(nullptr);
        EXPECT_THROW(ReadComponentFromText(&holder, text), EReadError);
    }
}

TEST_F(FormWriting, ControlsAreWrittenInsideTheirParents)
{
    RegisterStoreClasses();
    auto* form = NewForm(320, 200);
    form->SetName(L"WriterForm");
    auto* panel = new TPanel(form);
    panel->SetName(L"Panel1");
    panel->SetParent(form);
    panel->SetBounds(4, 6, 120, 50);
    panel->Font()->SetSize(14); // its own font; the button follows it
    auto* button = new TButton(form);
    button->SetName(L"Button1");
    button->SetParent(panel);
    button->SetBounds(8, 9, 75, 25);
    button->SetCaption(L"OK");
    auto* holder = new TStoreHolder(form);
    holder->SetName(L"Holder");
    holder->SetBuddy(button);

    const UnicodeString text = WriteComponentToText(form);
    const size_t panelAt = text.find(L"  object Panel1: TPanel\r\n");
    const size_t buttonAt = text.find(L"    object Button1: TButton\r\n");
    ASSERT_NE(panelAt, UnicodeString::npos) << text;
    ASSERT_NE(buttonAt, UnicodeString::npos) << text;
    EXPECT_LT(panelAt, buttonAt);
    EXPECT_NE(text.find(L"  object Holder: TStoreHolder\r\n"), UnicodeString::npos) << text;
    const UnicodeString buttonBlock = text.substr(buttonAt, text.find(L"    end\r\n", buttonAt) - buttonAt);
    EXPECT_EQ(buttonBlock.find(L"Font."), UnicodeString::npos) << "a parent's font is not stored: " << buttonBlock;
    EXPECT_NE(text.substr(panelAt, buttonAt - panelAt).find(L"    Font.Size = 14\r\n"), UnicodeString::npos) << text;
    EXPECT_FALSE(form->ComponentState().Contains(csWriting));

    auto* copy = new TForm(Application);
    ASSERT_NO_THROW(ReadComponentFromText(copy, text)) << text;
    auto* panel2 = dynamic_cast<TPanel*>(copy->FindComponent(L"Panel1"));
    auto* button2 = dynamic_cast<TButton*>(copy->FindComponent(L"Button1"));
    auto* holder2 = dynamic_cast<TStoreHolder*>(copy->FindComponent(L"Holder"));
    ASSERT_TRUE(panel2 && button2 && holder2);
    EXPECT_EQ(panel2->Parent(), copy);
    EXPECT_EQ(button2->Parent(), panel2);
    EXPECT_EQ(panel2->BoundsRect(), panel->BoundsRect());
    EXPECT_EQ(button2->BoundsRect(), button->BoundsRect());
    EXPECT_EQ(button2->Caption(), L"OK");
    EXPECT_FALSE(panel2->ParentFont());
    EXPECT_EQ(panel2->Font()->Size(), 14);
    EXPECT_TRUE(button2->ParentFont());
    EXPECT_EQ(button2->Font()->Size(), 14);
    EXPECT_EQ(holder2->Buddy(), button2);
    EXPECT_EQ(copy->ClientWidth(), form->ClientWidth());
    EXPECT_EQ(copy->ClientHeight(), form->ClientHeight());
}

TEST_F(FormWriting, NullRootIsAWriteError)
{
    EXPECT_THROW(WriteComponentToText(nullptr), EWriteError);
}
