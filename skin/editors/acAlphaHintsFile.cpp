// The "AShh" hint template file: its writer and reader, over a stream or a file.
//
//   "AShh", corner flag '1'/'0', font colour, size, style bits, name length n, n name bytes
//   (8-bit), then image blocks: ImageDefault, and unless single-image Img_RightTop,
//   Img_RightBottom, Img_LeftBottom. An image block: five draw modes, borders, margins and
//   shadow sizes (Top, Left, Right, Bottom each), kind '1' (PNG file bytes) or '0' (BMP), m, m
//   bytes. Integers are little-endian signed 32-bit.
#include "acAlphaHints.h"

#include "Files.h"
#include "acntUtils.h"

#include <windows.h>

#include <array>
#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr std::array<char, 4> kSignature{'A', 'S', 'h', 'h'};
constexpr char kUnknownFormat[] = "Unknown file format";
// The reader's font name buffer: real face names are at most 31 characters.
constexpr int kFontNameBuffer = 63;

void WriteInt(TStream& stream, std::int32_t value) { stream.WriteBuffer(&value, sizeof(value)); }
void WriteByte(TStream& stream, std::uint8_t value) { stream.WriteBuffer(&value, 1); }

std::int32_t ReadInt(TStream& stream)
{
    std::int32_t value = 0;
    stream.ReadBuffer(&value, sizeof(value));
    return value;
}

std::uint8_t ReadByte(TStream& stream)
{
    std::uint8_t value = 0;
    stream.ReadBuffer(&value, 1);
    return value;
}

long long Remaining(TStream& stream) { return stream.Size() - stream.Position(); }

void WriteSizes(TStream& stream, const TacBordersSizes& sizes)
{
    for (int value : {sizes.Top(), sizes.Left(), sizes.Right(), sizes.Bottom()}) WriteInt(stream, value);
}

void ReadSizes(TStream& stream, TacBordersSizes& sizes)
{
    const std::int32_t top = ReadInt(stream), left = ReadInt(stream), right = ReadInt(stream), bottom = ReadInt(stream);
    sizes.SetValues(left, top, right, bottom);
}

std::uint8_t StyleBits(TFontStyles style)
{
    std::uint8_t bits = 0;
    const TFontStyle order[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
    for (int i = 0; i < 4; ++i)
        if (style.Contains(order[i])) bits |= static_cast<std::uint8_t>(1u << i);
    return bits;
}

TFontStyles StyleOf(std::uint8_t bits)
{
    TFontStyles style;
    const TFontStyle order[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
    for (int i = 0; i < 4; ++i)
        if (bits & (1u << i)) style << order[i];
    return style;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Image blocks

void TacHintImage::SaveToStream(TStream& stream) const
{
    for (int index : {0, 1, 3, 2, 4}) WriteByte(stream, FBorderDrawModes->GetDrawMode(index));
    WriteSizes(stream, *FBordersWidths);
    WriteSizes(stream, *FClientMargins);
    WriteSizes(stream, *FShadowSizes);
    if (FImageData->Size() == 0) {
        TMemoryStream bmp;
        FImage->TBitmap::SaveToStream(bmp);
        WriteByte(stream, '0');
        WriteInt(stream, static_cast<std::int32_t>(bmp.Size()));
        if (bmp.Size() > 0) stream.WriteBuffer(bmp.Memory(), bmp.Size());
    } else {
        WriteByte(stream, '1');
        WriteInt(stream, static_cast<std::int32_t>(FImageData->Size()));
        stream.WriteBuffer(FImageData->Memory(), FImageData->Size());
    }
}

bool TacHintImage::LoadFromStream(TStream& stream)
{
    for (int index : {0, 1, 3, 2, 4})
        FBorderDrawModes->SetDrawMode(index, ReadByte(stream) == dmRepeat ? dmRepeat : dmStretch);
    ReadSizes(stream, *FBordersWidths);
    ReadSizes(stream, *FClientMargins);
    ReadSizes(stream, *FShadowSizes);
    const std::uint8_t kind = ReadByte(stream);
    const std::int32_t m = ReadInt(stream);
    if (m < 0 || m > Remaining(stream)) return false;
    if (kind == '0') {
        TMemoryStream bytes;
        if (m > 0) bytes.CopyFrom(stream, m);
        bytes.SetPosition(0);
        TBitmap bmp;
        bmp.LoadFromStream(bytes);
        FImage->Assign(&bmp);
        FImageData->Clear();
    } else {
        FImageData->Clear();
        if (m > 0) FImageData->CopyFrom(stream, m);
        FImageData->SetPosition(0);
        FImage->LoadFromStream(*FImageData);
        FImageData->SetPosition(0);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Templates

void acSaveHintTemplate(TacHintTemplates* templates, int index, TStream& stream)
{
    TacHintTemplate* t =
        templates && index >= 0 && index < templates->Count() ? templates->Items(index) : DefaultHintTemplate.get();
    if (!t) return;
    CurrentHintTemplate = t;
    stream.SetSize(0);
    stream.SetPosition(0);
    stream.WriteBuffer(kSignature.data(), kSignature.size());
    // Every template has its corner images, so the flag always says they may follow.
    const bool corners = t->Img_RightTop() != nullptr;
    WriteByte(stream, corners ? '1' : '0');
    const TColor color = t->Font()->Color();
    WriteInt(stream, color < 0 ? 0 : color);
    WriteInt(stream, t->Font()->Size());
    WriteByte(stream, StyleBits(t->Font()->Style()));
    const UnicodeString& name = t->Font()->Name();
    WriteInt(stream, static_cast<std::int32_t>(name.size()));
    // Exactly n bytes: a conversion of another length is cut or padded with zeros.
    AnsiString narrow = UnicodeToAnsi(name);
    narrow.resize(name.size(), '\0');
    if (!narrow.empty()) stream.WriteBuffer(narrow.data(), static_cast<long long>(narrow.size()));
    t->ImageDefault()->SaveToStream(stream);
    if (corners && !t->SingleImageUsed()) {
        t->Img_RightTop()->SaveToStream(stream);
        t->Img_RightBottom()->SaveToStream(stream);
        t->Img_LeftBottom()->SaveToStream(stream);
    }
}

void acSaveHintTemplateToFile(TacHintTemplates* templates, int index, const UnicodeString& fileName)
{
    TMemoryStream content;
    acSaveHintTemplate(templates, index, content);
    if (content.Size() == 0) return;
    // The old file goes only once the new content is safely beside it.
    const UnicodeString temp = fileName + L".~tmp";
    content.SaveToFile(temp);
    if (!MoveFileExW(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        throw EFCreateError(L"Cannot create file \"" + fileName + L"\" (error " + std::to_wstring(error) + L")");
    }
}

TacHintTemplate* acLoadHintTemplate(TacHintTemplates* templates, TStream& stream)
{
    stream.SetPosition(0);
    std::array<char, 4> signature{};
    if (Remaining(stream) < 4 || (stream.ReadBuffer(signature.data(), 4), signature != kSignature)) {
        ShowError(AnsiToUnicode(kUnknownFormat));
        return nullptr;
    }
    // Built apart and added only when the whole file was read.
    auto t = std::make_unique<TacHintTemplate>();
    const std::uint8_t flag = ReadByte(stream);
    const std::int32_t color = ReadInt(stream);
    t->Font()->SetColor(color < 0 ? 0 : color);
    t->Font()->SetSize(ReadInt(stream));
    t->Font()->SetStyle(StyleOf(ReadByte(stream)));
    const std::int32_t n = ReadInt(stream);
    if (n < 0 || n > 255 || n > Remaining(stream)) {
        ShowError(AnsiToUnicode(kUnknownFormat));
        return nullptr;
    }
    std::vector<char> name(static_cast<size_t>(n));
    if (n > 0) stream.ReadBuffer(name.data(), n);
    // A longer name keeps what fits the reader's buffer; zero padding ends it.
    const auto end = name.begin() + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(name.size()), kFontNameBuffer);
    const size_t used = static_cast<size_t>(std::find(name.begin(), end, '\0') - name.begin());
    t->Font()->SetName(AnsiToUnicode(std::string_view(name.data(), used)));
    if (!t->ImageDefault()->LoadFromStream(stream)) {
        ShowError(AnsiToUnicode(kUnknownFormat));
        return nullptr;
    }
    if (flag == '1' && stream.Position() < stream.Size()) {
        for (TacHintImage* image : {t->Img_RightTop(), t->Img_RightBottom(), t->Img_LeftBottom()})
            if (!image->LoadFromStream(stream)) {
                ShowError(AnsiToUnicode(kUnknownFormat));
                return nullptr;
            }
    }
    if (!templates) return nullptr;
    t->SetCollection(templates);
    return t.release();
}

TacHintTemplate* acLoadHintTemplateFromFile(TacHintTemplates* templates, const UnicodeString& fileName)
{
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    TacHintTemplate* t = acLoadHintTemplate(templates, stream);
    if (t) {
        const UnicodeString name = ExtractFileName(fileName);
        t->SetName(name.substr(0, name.find(L'.')));
    }
    return t;
}
