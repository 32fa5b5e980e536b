// Reading the preview picture out of a packed skin file.
#include "sSkinManagerPreview.h"

#include "Files.h"
#include "acPNG.h"
#include "sGraphUtilsPng.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

namespace {

constexpr std::string_view kMarker = "previewimg";
constexpr int kCopyBufferSize = 1048576;

} // namespace

bool GetPreviewStream(TMemoryStream& Dest, const UnicodeString& FileName)
{
    if (!FileExists(FileName)) return false;
    TMemoryStream src;
    src.LoadFromFile(FileName);
    return GetPreviewStream(Dest, src);
}

bool GetPreviewStream(TMemoryStream& Dest, TMemoryStream& Src)
{
    Src.SetPosition(0);
    const auto size = static_cast<size_t>(Src.Size());
    const std::string_view content(reinterpret_cast<const char*>(Src.Memory()), size);
    const auto found = std::search(content.begin(), content.end(),
                                   std::boyer_moore_horspool_searcher(kMarker.begin(), kMarker.end()));
    if (found == content.end()) return false;
    const size_t lengthAt = static_cast<size_t>(found - content.begin()) + kMarker.size();
    // The length and the image must lie inside the file.
    if (size - lengthAt < 4) return false;
    const auto* p = Src.Memory() + lengthAt;
    const std::uint32_t length = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                 static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    if (length > size - lengthAt - 4) return false;
    Src.SetPosition(static_cast<long long>(lengthAt + 4));
    Dest.SetSize(length);
    Dest.SetPosition(0);
    if (length > 0) Dest.CopyFrom(Src, length, kCopyBufferSize);
    Dest.SetPosition(0);
    return true;
}

bool GetPreviewImage(TBitmap& Bitmap, const UnicodeString& FileName)
{
    Bitmap.SetSize(0, 0);
    TMemoryStream stream;
    if (!GetPreviewStream(stream, FileName)) return false;
    if (TPNGGraphic::CanLoadFromStream(stream))
        LoadBmpFromPngStream(&Bitmap, stream);
    else
        Bitmap.LoadFromStream(stream);
    return true;
}
