// TGraphic base behaviour and TPicture with its registry of file formats.
#include "Graphics.h"

#include "Files.h"
#include "JPEGImage.h"

#include <vector>

// ---------------------------------------------------------------------------------------------

void TGraphic::SetSize(int width, int height)
{
    SetWidth(width);
    SetHeight(height);
}

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent == transparent_) return;
    transparent_ = transparent;
    Changed();
}

void TGraphic::SetModified(bool modified)
{
    if (modified) Changed();
    else modified_ = false;
}

void TGraphic::Changed()
{
    modified_ = true;
    if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, std::uint8_t percentDone, bool redrawNow,
                        const TRect& rect, const UnicodeString& msg)
{
    if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, rect, msg);
}

void TGraphic::LoadFromFile(const UnicodeString& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const UnicodeString& fileName)
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---------------------------------------------------------------------------------------------

namespace {

struct FileFormat {
    UnicodeString extension;
    UnicodeString description;
    TGraphicClass graphicClass;
};

// Made on first use, so the order of start-up code does not matter.
std::vector<FileFormat>& FileFormats()
{
    static std::vector<FileFormat> formats{
        {L"bmp", L"Bitmaps", &GraphicClass<TBitmap>},
        {L"ico", L"Icons", &GraphicClass<TIcon>},
        {L"jpg", L"JPEG images", &GraphicClass<TJPEGImage>},
        {L"jpeg", L"JPEG images", &GraphicClass<TJPEGImage>},
    };
    return formats;
}

UnicodeString WithoutPoint(const UnicodeString& extension)
{
    return !extension.empty() && extension[0] == L'.' ? extension.substr(1) : extension;
}

} // namespace

void TPicture::RegisterFileFormat(const UnicodeString& extension, const UnicodeString& description,
                                  TGraphicClass graphicClass)
{
    if (!graphicClass) return;
    FileFormats().push_back({LowerCase(WithoutPoint(extension)), description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass)
{
    auto& formats = FileFormats();
    std::erase_if(formats, [&](const FileFormat& f) { return f.graphicClass == graphicClass; });
}

TGraphicClass TPicture::FileFormatClass(const UnicodeString& extension)
{
    const UnicodeString wanted = WithoutPoint(extension);
    const auto& formats = FileFormats();
    for (auto it = formats.rbegin(); it != formats.rend(); ++it)
        if (SameText(it->extension, wanted)) return it->graphicClass;
    return nullptr;
}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange) OnChange(this);
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic)
{
    if (graphic == graphic_.get()) return;
    if (!graphic) {
        TakeGraphic(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy = graphic->NewInstance();
    copy->Assign(graphic);
    TakeGraphic(std::move(copy));
}

TBitmap* TPicture::Bitmap()
{
    if (!dynamic_cast<TBitmap*>(graphic_.get())) TakeGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon()
{
    if (!dynamic_cast<TIcon*>(graphic_.get())) TakeGraphic(std::make_unique<TIcon>());
    return static_cast<TIcon*>(graphic_.get());
}

void TPicture::LoadFromFile(const UnicodeString& fileName)
{
    const UnicodeString extension = WithoutPoint(ExtractFileExt(fileName));
    const TGraphicClass graphicClass = FileFormatClass(extension);
    if (!graphicClass) throw EInvalidGraphic(L"Unknown picture file extension (." + extension + L")");
    std::unique_ptr<TGraphic> graphic = graphicClass();
    graphic->LoadFromFile(fileName);
    TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const UnicodeString& fileName)
{
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* source)
{
    if (source == this) return;
    if (!source) {
        SetGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        SetGraphic(picture->graphic_.get());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}
