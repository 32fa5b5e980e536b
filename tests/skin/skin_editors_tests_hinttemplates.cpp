// Hint templates: the default template from "ACHINT", the "AShh" writer and reader (byte
// layout, byte-exact round trips, refused files, file names), and templates in form definitions.
#include "../framework/controls_test_support.h"
#include "../framework/graphics_png.h"
#include "../framework/graphics_test_util.h"
#include "../framework/runtime_test_tempdir.h"
#include "BuildFolder.h"
#include "FormReader.h"
#include "FormWriter.h"
#include "acAlphaHints.h"
#include "acPNG.h"
#include "skin_images_png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A component carrying templates, listening to their changes as the hints manager does.
class THintTemplatesHolder : public TComponent, public IacHintTemplatesOwner {
public:
    explicit THintTemplatesHolder(TComponent* owner) : TComponent(owner) {}
    UnicodeString ClassName() const override { return L"THintTemplatesHolder"; }
    void Changed() override { ++changes; }
    TacHintTemplates* Templates() const { return templates.get(); }
    void SetTemplates(TacHintTemplates* value) { templates->Assign(value); }

    std::unique_ptr<TacHintTemplates> templates = std::make_unique<TacHintTemplates>(this);
    int changes = 0;
};

void RegisterHolder()
{
    if (IsPublishedClass(L"THintTemplatesHolder")) return;
    RegisterPublishedClass(L"THintTemplatesHolder", L"TComponent");
    RegisterPublishedProperty(L"THintTemplatesHolder",
                              ObjProp(L"Templates", &THintTemplatesHolder::Templates,
                                      &THintTemplatesHolder::SetTemplates, L"Templates expected", TNilObject::Reject));
    RegisterComponentClass<THintTemplatesHolder>(L"THintTemplatesHolder");
}

// A small RGBA PNG whose pixels depend on seed.
Bytes Png(int w, int h, unsigned seed)
{
    png_writer::Image img;
    img.width = w;
    img.height = h;
    img.colourType = 6;
    for (int i = 0; i < w * h; ++i)
        img.samples.insert(img.samples.end(),
                           {(seed * 40 + static_cast<unsigned>(i)) & 0xFF, seed * 60 & 0xFF, 0x80u, 0xFFu - seed});
    return png_writer::Write(img);
}

void PutInt(Bytes& b, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

std::int32_t GetInt(const Bytes& b, size_t at)
{
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(b.at(at + static_cast<size_t>(i))) << (8 * i);
    return static_cast<std::int32_t>(u);
}

// An image block: modes (Top, Left, Right, Bottom, Center), borders, margins, shadows, kind, m.
Bytes Block(std::uint8_t seed, char kind, const Bytes& picture, std::optional<std::int32_t> m = std::nullopt)
{
    Bytes b{0, 1, static_cast<std::uint8_t>(seed & 1), 1, 0};
    for (int i = 0; i < 12; ++i) PutInt(b, seed + i);
    b.push_back(static_cast<std::uint8_t>(kind));
    PutInt(b, m.value_or(static_cast<std::int32_t>(picture.size())));
    b.insert(b.end(), picture.begin(), picture.end());
    return b;
}

Bytes Header(const char* signature = "AShh", std::optional<std::int32_t> n = std::nullopt)
{
    Bytes b(signature, signature + 4);
    b.push_back('1');
    PutInt(b, 0x00336699);
    PutInt(b, 11);
    b.push_back(5); // bold, underline
    PutInt(b, n.value_or(5));
    for (char c : std::string("Arial")) b.push_back(static_cast<std::uint8_t>(c));
    return b;
}

// A file with four kind "1" pictures.
Bytes FourPictureFile()
{
    Bytes file = Header();
    for (std::uint8_t seed : {1, 2, 3, 4}) {
        const Bytes block = Block(seed, '1', Png(5 + seed, 4 + seed, seed));
        file.insert(file.end(), block.begin(), block.end());
    }
    return file;
}

Bytes StreamBytes(TMemoryStream& s) { return Bytes(s.Memory(), s.Memory() + s.Size()); }

void Fill(TMemoryStream& s, const Bytes& b)
{
    s.Clear();
    if (!b.empty()) s.WriteBuffer(b.data(), static_cast<long long>(b.size()));
    s.SetPosition(0);
}

Bytes ReadFile(const UnicodeString& path)
{
    TMemoryStream s;
    s.LoadFromFile(path);
    return StreamBytes(s);
}

class SkinHintTemplates : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        acPNGInitialization();
        acAlphaHintsInitialization();
        RegisterHolder();
        CurrentHintTemplate = nullptr;
    }
    void TearDown() override
    {
        CurrentHintTemplate = nullptr;
        acAlphaHintsFinalization();
        acPNGFinalization();
        ControlsTest::TearDown();
    }

    THintTemplatesHolder holder{nullptr};
    TacHintTemplates& templates = *holder.Templates();
};

void ExpectSizes(const TacBordersSizes* s, int l, int t, int r, int b)
{
    EXPECT_EQ(s->Left(), l);
    EXPECT_EQ(s->Top(), t);
    EXPECT_EQ(s->Right(), r);
    EXPECT_EQ(s->Bottom(), b);
}

TEST_F(SkinHintTemplates, TheDefaultTemplateIsTheEmbeddedBubble)
{
    ASSERT_NE(DefaultHintTemplate, nullptr);
    const TacHintTemplate& t = *DefaultHintTemplate;
    TacHintImage* image = t.ImageDefault();
    ASSERT_EQ(image->ImageWidth(), 27);
    ASSERT_EQ(image->ImageHeight(), 27);
    EXPECT_EQ(image->ImageData().Size(), 0) << "decoded straight into the picture";
    ExpectSizes(image->BordersWidths(), 11, 10, 14, 15);
    ExpectSizes(image->ShadowSizes(), 6, 5, 7, 8);
    ExpectSizes(image->ClientMargins(), 11, 8, 16, 15);
    EXPECT_EQ(t.Font()->Height(), -12);
    EXPECT_EQ(t.HintAlign(), haHorzCenter);
    EXPECT_TRUE(t.Img_RightTop()->Image()->Empty());
    EXPECT_TRUE(t.SingleImageUsed());
    EXPECT_EQ(t.Collection(), nullptr);

    // An opaque body inside the shadow bands, a transparent corner, a soft shadow below right.
    TBitmap bmp;
    bmp.Assign(image->Image());
    bmp.SetPixelFormat(pf32bit);
    EXPECT_EQ(ScanAlpha(bmp, 13, 12), 255);
    EXPECT_EQ(ScanAlpha(bmp, 0, 0), 0);
    const std::uint8_t shadow = ScanAlpha(bmp, 21, 21);
    EXPECT_GT(shadow, 0);
    EXPECT_LT(shadow, 255);
    EXPECT_TRUE(SaveBitmapAsPng(bmp, BuildFolderFile(L"skin_editors_achint.png"), true));

    // A second start-up changes nothing; the last shut-down frees the template.
    const TacHintTemplate* first = DefaultHintTemplate.get();
    acAlphaHintsInitialization();
    EXPECT_EQ(DefaultHintTemplate.get(), first);
    acAlphaHintsFinalization();
    EXPECT_EQ(DefaultHintTemplate.get(), first);
}

TEST_F(SkinHintTemplates, SavingTheDefaultWritesOneBitmapBlockAndReadsBack)
{
    TMemoryStream stream;
    Fill(stream, Bytes(100, 0xEE)); // emptied first
    acSaveHintTemplate(&templates, -1, stream);
    EXPECT_EQ(CurrentHintTemplate, DefaultHintTemplate.get());
    const Bytes b = StreamBytes(stream);
    ASSERT_GE(b.size(), 18u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "AShh");
    EXPECT_EQ(b[4], '1');
    EXPECT_EQ(GetInt(b, 5), 0) << "the system colour of a new font is written as 0";
    EXPECT_EQ(GetInt(b, 9), DefaultHintTemplate->Font()->Size());
    EXPECT_EQ(b[13], 0);
    const std::int32_t n = GetInt(b, 14);
    ASSERT_EQ(n, static_cast<std::int32_t>(DefaultHintTemplate->Font()->Name().size()));
    EXPECT_EQ(std::string(b.begin() + 18, b.begin() + 18 + n), UnicodeToAnsi(DefaultHintTemplate->Font()->Name()));
    const size_t block = 18 + static_cast<size_t>(n);
    EXPECT_EQ(GetInt(b, block + 5), 10) << "BordersWidths.Top";
    EXPECT_EQ(GetInt(b, block + 9), 11) << "BordersWidths.Left";
    EXPECT_EQ(b.at(block + 53), '0');
    const std::int32_t m = GetInt(b, block + 54);
    ASSERT_EQ(b.size(), block + 58 + static_cast<size_t>(m)) << "no corner blocks for a single-image template";
    const size_t bmp = block + 58;
    EXPECT_EQ(b[bmp], 'B');
    EXPECT_EQ(b[bmp + 1], 'M');
    EXPECT_EQ(GetInt(b, bmp + 18), 27);
    EXPECT_EQ(GetInt(b, bmp + 22), 27);

    TacHintTemplate* t = acLoadHintTemplate(&templates, stream);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(templates.Count(), 1);
    EXPECT_EQ(t->Collection(), &templates);
    EXPECT_EQ(t->ImageDefault()->ImageData().Size(), 0);
    EXPECT_EQ(t->ImageDefault()->ImageWidth(), 27);
    EXPECT_EQ(t->ImageDefault()->ImageHeight(), 27);
    ExpectSizes(t->ImageDefault()->ShadowSizes(), 6, 5, 7, 8);
    EXPECT_EQ(t->Font()->Name(), DefaultHintTemplate->Font()->Name());
    EXPECT_EQ(t->Font()->Color(), 0);
    EXPECT_TRUE(t->Img_RightTop()->Image()->Empty());
}

TEST_F(SkinHintTemplates, AFileWithPngPicturesIsWrittenBackByteForByte)
{
    const Bytes file = FourPictureFile();
    TMemoryStream in;
    Fill(in, file);
    TacHintTemplate* t = acLoadHintTemplate(&templates, in);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Font()->Color(), 0x00336699);
    EXPECT_EQ(t->Font()->Size(), 11);
    EXPECT_EQ(t->Font()->Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(t->Font()->Name(), L"Arial");
    // Blocks in file order: ImageDefault, Img_RightTop, Img_RightBottom, Img_LeftBottom.
    const TacHintImage* order[] = {t->ImageDefault(), t->Img_RightTop(), t->Img_RightBottom(), t->Img_LeftBottom()};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(order[i]->ImageWidth(), 6 + i);
        EXPECT_EQ(order[i]->ImageHeight(), 5 + i);
        ExpectSizes(order[i]->BordersWidths(), 2 + i, 1 + i, 3 + i, 4 + i);
        EXPECT_EQ(order[i]->BorderDrawModes()->Left(), dmStretch);
        EXPECT_EQ(order[i]->BorderDrawModes()->Right(), (i & 1) == 0 ? dmStretch : dmRepeat);
        EXPECT_EQ(order[i]->BorderDrawModes()->Center(), dmRepeat);
    }
    EXPECT_FALSE(t->SingleImageUsed());

    TMemoryStream out;
    acSaveHintTemplate(&templates, 0, out);
    EXPECT_EQ(CurrentHintTemplate, t);
    EXPECT_EQ(StreamBytes(out), file);
}

TEST_F(SkinHintTemplates, BrokenFilesAreRefusedAndAddNothing)
{
    const Bytes good = Block(1, '1', Png(4, 4, 1));
    const Bytes png = Png(4, 4, 1);
    const auto join = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* Name;
        Bytes File;
    };
    const Case refused[] = {
        {"signature AShH", join(Header("AShH"), good)},
        {"empty", {}},
        {"name longer than the stream", Header("AShh", 200)},
        {"negative name length", join(Header("AShh", -1), good)},
        {"negative picture size", join(Header(), Block(1, '1', png, -5))},
        {"truncated picture",
         [&] {
             Bytes f = join(Header(), good);
             f.resize(f.size() - 10);
             return f;
         }()},
        {"truncated corner picture",
         [&] {
             Bytes f = join(join(Header(), good), good);
             f.resize(f.size() - 3);
             return f;
         }()},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.Name);
        RecordedDialogs().clear();
        TMemoryStream s;
        Fill(s, c.File);
        EXPECT_EQ(acLoadHintTemplate(&templates, s), nullptr);
        EXPECT_EQ(templates.Count(), 0);
        ASSERT_EQ(RecordedDialogs().size(), 1u);
        EXPECT_EQ(RecordedDialogs()[0].Text, L"Unknown file format");
        EXPECT_EQ(RecordedDialogs()[0].DlgType, mtError);
    }

    // A stream ending inside the fixed fields, or a picture the decoder rejects: the reader's error.
    const Bytes header = Header();
    TMemoryStream s;
    Fill(s, Bytes(header.begin(), header.begin() + 9));
    EXPECT_THROW(acLoadHintTemplate(&templates, s), EReadError);
    Fill(s, join(Header(), Block(1, '1', Bytes(40, 0x55))));
    EXPECT_THROW(acLoadHintTemplate(&templates, s), Exception);
    Fill(s, join(Header(), Block(1, '0', Bytes(40, 0x55))));
    EXPECT_THROW(acLoadHintTemplate(&templates, s), Exception);
    EXPECT_EQ(templates.Count(), 0);

    // A font name longer than the reader's buffer keeps its first 63 bytes.
    Bytes longName(header.begin(), header.begin() + 14);
    PutInt(longName, 100);
    for (int i = 0; i < 100; ++i) longName.push_back('F');
    Fill(s, join(longName, good));
    TacHintTemplate* t = acLoadHintTemplate(&templates, s);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Font()->Name(), UnicodeString(63, L'F'));
}

TEST_F(SkinHintTemplates, FilesAreNamedAfterTheirFirstPartAndReplacedOnlyWithContent)
{
    TestTempDir dir;
    const UnicodeString path = dir.Write(L"my.hint.file", FourPictureFile());
    TacHintTemplate* t = acLoadHintTemplateFromFile(&templates, path);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Name(), L"my");

    // Saving replaces an existing file with the template and leaves nothing beside it.
    const UnicodeString target = dir.Write(L"out.hnt", Bytes{1, 2, 3});
    acSaveHintTemplateToFile(&templates, 0, target);
    EXPECT_EQ(ReadFile(target), FourPictureFile());
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((dir.Path() + L"\\*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int files = 0;
    do files += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(files, 2);

    // With no template at all an existing file stays as it was.
    auto saved = std::move(DefaultHintTemplate);
    const UnicodeString kept = dir.Write(L"kept.hnt", Bytes{7, 8, 9});
    acSaveHintTemplateToFile(nullptr, -1, kept);
    DefaultHintTemplate = std::move(saved);
    EXPECT_EQ(ReadFile(kept), (Bytes{7, 8, 9}));
}

TEST_F(SkinHintTemplates, TemplatesSurviveAFormDefinitionAndTellTheirOwner)
{
    holder.SetName(L"Holder1");
    TacHintTemplate* a = templates.Add();
    a->SetName(L"glass");
    a->SetHintAlign(haVertCenter);
    a->Font()->SetName(L"Arial");
    a->Font()->SetColor(0x123456);
    const Bytes png = Png(9, 7, 3);
    a->ImageDefault()->SetImgDataBytes(png);
    a->ImageDefault()->BordersWidths()->SetValues(1, 2, 3, 4);
    a->ImageDefault()->ShadowSizes()->SetValues(5, 6, 7, 8);
    a->ImageDefault()->BorderDrawModes()->SetDrawMode(4, dmRepeat);
    a->ImageDefault()->SetOffsetHorz(-3);
    // A second template whose picture has no file bytes keeps it in "Image".
    TacHintTemplate* b = templates.Add();
    TBitmap picture(5, 6, pf32bit);
    b->Img_RightTop()->SetImage(&picture);
    ExpectSizes(b->Img_RightTop()->BordersWidths(), 2, 2, 2, 2);
    ExpectSizes(b->Img_RightTop()->ClientMargins(), 2, 2, 2, 2);

    const UnicodeString text = WriteComponentToText(&holder);
    EXPECT_NE(text.find(L"ImgData"), UnicodeString::npos);

    THintTemplatesHolder copy(nullptr);
    ReadComponentFromText(&copy, text);
    ASSERT_EQ(copy.Templates()->Count(), 2);
    const TacHintTemplate* ra = copy.Templates()->Items(0);
    EXPECT_EQ(ra->Name(), L"glass");
    EXPECT_EQ(ra->HintAlign(), haVertCenter);
    EXPECT_EQ(ra->Font()->Name(), L"Arial");
    EXPECT_EQ(ra->Font()->Color(), 0x123456);
    const TacHintImage* image = ra->ImageDefault();
    EXPECT_EQ(Bytes(image->ImgDataBytes().begin(), image->ImgDataBytes().end()), png);
    EXPECT_EQ(image->ImageWidth(), 9);
    EXPECT_EQ(image->ImageHeight(), 7);
    ExpectSizes(image->BordersWidths(), 1, 2, 3, 4);
    ExpectSizes(image->ShadowSizes(), 5, 6, 7, 8);
    EXPECT_EQ(image->BorderDrawModes()->Center(), dmRepeat);
    EXPECT_EQ(image->OffsetHorz(), -3);
    EXPECT_EQ(copy.Templates()->Items(1)->Img_RightTop()->ImageWidth(), 5);
    EXPECT_EQ(copy.Templates()->Items(1)->Img_RightTop()->ImageHeight(), 6);

    // Changes reach the owner of the collection; a template of no collection tells nobody.
    holder.changes = 0;
    a->ImageDefault()->ClientMargins()->SetValues(9, 9, 9, 9);
    EXPECT_GE(holder.changes, 1);
    const int before = holder.changes;
    a->ImageDefault()->ClientMargins()->SetValues(9, 9, 9, 9);
    EXPECT_EQ(holder.changes, before) << "an unchanged value tells nobody";
    a->ImageDefault()->BorderDrawModes()->SetDrawMode(0, dmRepeat);
    a->SetFont(b->Font());
    EXPECT_EQ(holder.changes, before + 2);
    TacHintTemplate detached;
    detached.ImageDefault()->SetOffsetVert(4);
    detached.ImageDefault()->BordersWidths()->SetValues(1, 1, 1, 1);
    EXPECT_EQ(holder.changes, before + 2);

    // Copying a template copies pictures, bytes, sizes, font and name.
    detached.Assign(a);
    EXPECT_EQ(detached.Name(), L"glass");
    EXPECT_EQ(detached.ImageDefault()->ImageWidth(), 9);
    EXPECT_EQ(detached.ImageDefault()->ImageData().Size(), static_cast<long long>(png.size()));
    ExpectSizes(detached.ImageDefault()->ShadowSizes(), 5, 6, 7, 8);
}

} // namespace
