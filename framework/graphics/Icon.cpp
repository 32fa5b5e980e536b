// TIcon: keeps loaded ICO data as they are and makes the HICON for the requested size on demand.
#include "Graphics.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

#pragma pack(push, 1)
struct IconDirHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct IconDirEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    DWORD imageOffset;
};
#pragma pack(pop)
static_assert(sizeof(IconDirHeader) == 6 && sizeof(IconDirEntry) == 16);

[[noreturn]] void InvalidIcon()
{
    throw EInvalidGraphic(L"Icon image is not valid");
}

IconDirEntry EntryAt(const std::vector<std::uint8_t>& data, size_t index)
{
    IconDirEntry entry{};
    std::memcpy(&entry, data.data() + sizeof(IconDirHeader) + index * sizeof(IconDirEntry), sizeof(entry));
    return entry;
}

size_t EntryCount(const std::vector<std::uint8_t>& data)
{
    IconDirHeader header{};
    std::memcpy(&header, data.data(), sizeof(header));
    return header.count;
}

int EntryWidth(const IconDirEntry& e) { return e.width ? e.width : 256; }
int EntryHeight(const IconDirEntry& e) { return e.height ? e.height : 256; }

// The image closest to the wanted size; among equals the one with most colours.
IconDirEntry PickEntry(const std::vector<std::uint8_t>& data, int width, int height)
{
    const size_t count = EntryCount(data);
    IconDirEntry best = EntryAt(data, 0);
    long bestDistance = -1;
    for (size_t i = 0; i < count; ++i) {
        const IconDirEntry e = EntryAt(data, i);
        const long distance = std::labs(EntryWidth(e) - width) + std::labs(EntryHeight(e) - height);
        if (bestDistance < 0 || distance < bestDistance || (distance == bestDistance && e.bitCount > best.bitCount)) {
            best = e;
            bestDistance = distance;
        }
    }
    return best;
}

TSize IconHandleSize(HICON icon)
{
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    BITMAP bm{};
    TSize size;
    if (info.hbmColor && ::GetObjectW(info.hbmColor, sizeof(bm), &bm)) size = {bm.bmWidth, bm.bmHeight};
    else if (info.hbmMask && ::GetObjectW(info.hbmMask, sizeof(bm), &bm)) size = {bm.bmWidth, bm.bmHeight / 2};
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return size;
}

// One 32-bit image with its AND mask, as an ICO file.
std::vector<std::uint8_t> IconToIcoData(HICON icon)
{
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) throw EInvalidGraphic(L"Invalid icon handle");
    struct Bitmaps {
        ICONINFO& i;
        ~Bitmaps()
        {
            if (i.hbmColor) ::DeleteObject(i.hbmColor);
            if (i.hbmMask) ::DeleteObject(i.hbmMask);
        }
    } cleanup{info};
    BITMAP bm{};
    if (!info.hbmColor || !::GetObjectW(info.hbmColor, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        throw EInvalidGraphic(L"Cannot save a monochrome icon");
    const int w = bm.bmWidth, h = bm.bmHeight;
    const size_t colorBytes = static_cast<size_t>(w) * h * 4;
    const size_t maskStride = static_cast<size_t>(BytesPerScanline(w, 1));
    const size_t maskBytes = maskStride * h;

    std::vector<std::uint8_t> color(colorBytes), mask(maskBytes);
    HDC screen = ::GetDC(nullptr);
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof(bih);
    bih.biWidth = w;
    bih.biHeight = h; // ICO images are bottom-up
    bih.biPlanes = 1;
    bih.biBitCount = 32;
    bih.biCompression = BI_RGB;
    ::GetDIBits(screen, info.hbmColor, 0, h, color.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } maskInfo{};
    maskInfo.header = bih;
    maskInfo.header.biBitCount = 1;
    ::GetDIBits(screen, info.hbmMask, 0, h, mask.data(), reinterpret_cast<BITMAPINFO*>(&maskInfo), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);

    const size_t imageBytes = sizeof(BITMAPINFOHEADER) + colorBytes + maskBytes;
    IconDirHeader header{0, 1, 1};
    IconDirEntry entry{};
    entry.width = static_cast<BYTE>(w < 256 ? w : 0);
    entry.height = static_cast<BYTE>(h < 256 ? h : 0);
    entry.planes = 1;
    entry.bitCount = 32;
    entry.bytesInRes = static_cast<DWORD>(imageBytes);
    entry.imageOffset = sizeof(header) + sizeof(entry);
    BITMAPINFOHEADER imageHeader = bih;
    imageHeader.biHeight = 2 * h; // colour rows plus mask rows
    imageHeader.biSizeImage = static_cast<DWORD>(colorBytes + maskBytes);

    std::vector<std::uint8_t> data(sizeof(header) + sizeof(entry) + imageBytes);
    std::uint8_t* p = data.data();
    std::memcpy(p, &header, sizeof(header));
    p += sizeof(header);
    std::memcpy(p, &entry, sizeof(entry));
    p += sizeof(entry);
    std::memcpy(p, &imageHeader, sizeof(imageHeader));
    p += sizeof(imageHeader);
    std::memcpy(p, color.data(), colorBytes);
    p += colorBytes;
    std::memcpy(p, mask.data(), maskBytes);
    return data;
}

} // namespace

TIcon::TIcon()
{
    SetTransparent(true);
    SetModified(false);
}

TIcon::~TIcon()
{
    ReleaseIcon();
}

void TIcon::ReleaseIcon()
{
    if (handle_) {
        ::DestroyIcon(handle_);
        handle_ = nullptr;
    }
}

int TIcon::Width() const
{
    if (handle_) return IconHandleSize(handle_).cx;
    if (requestedWidth_ > 0) return requestedWidth_;
    if (!data_.empty())
        return EntryWidth(PickEntry(data_, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)));
    return 0;
}

int TIcon::Height() const
{
    if (handle_) return IconHandleSize(handle_).cy;
    if (requestedHeight_ > 0) return requestedHeight_;
    if (!data_.empty())
        return EntryHeight(PickEntry(data_, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON)));
    return 0;
}

void TIcon::SetSize(int width, int height)
{
    if (width == requestedWidth_ && height == requestedHeight_) return;
    requestedWidth_ = std::max(width, 0);
    requestedHeight_ = std::max(height, 0);
    if (!data_.empty()) ReleaseIcon(); // made again from the data at the new size
    Changed();
}

HICON TIcon::Handle()
{
    if (!handle_ && !data_.empty()) {
        const int wantedWidth = requestedWidth_ > 0 ? requestedWidth_ : ::GetSystemMetrics(SM_CXICON);
        const int wantedHeight = requestedHeight_ > 0 ? requestedHeight_ : ::GetSystemMetrics(SM_CYICON);
        const IconDirEntry entry = PickEntry(data_, wantedWidth, wantedHeight);
        const int width = requestedWidth_ > 0 ? requestedWidth_ : EntryWidth(entry);
        const int height = requestedHeight_ > 0 ? requestedHeight_ : EntryHeight(entry);
        handle_ = ::CreateIconFromResourceEx(data_.data() + entry.imageOffset, entry.bytesInRes, TRUE, 0x00030000,
                                             width, height, LR_DEFAULTCOLOR);
        if (!handle_) InvalidIcon();
    }
    return handle_;
}

void TIcon::SetHandle(HICON icon)
{
    if (icon == handle_) return;
    ReleaseIcon();
    data_.clear();
    handle_ = icon;
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    HICON icon = Handle();
    handle_ = nullptr;
    data_.clear();
    Changed();
    return icon;
}

void TIcon::Assign(const TPersistent* source)
{
    if (source == this) return;
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    const auto* other = dynamic_cast<const TIcon*>(source);
    if (!other) {
        TGraphic::Assign(source);
        return;
    }
    HICON copy = nullptr;
    if (other->data_.empty() && other->handle_) {
        copy = ::CopyIcon(other->handle_);
        if (!copy) throw EOutOfResources(L"Out of system resources");
    }
    ReleaseIcon();
    data_ = other->data_;
    handle_ = copy;
    requestedWidth_ = other->requestedWidth_;
    requestedHeight_ = other->requestedHeight_;
    Changed();
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect)
{
    if (Empty() || !canvas) return;
    ::DrawIconEx(canvas->Handle(), rect.Left, rect.Top, Handle(), rect.Width(), rect.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream)
{
    const long long available = stream.Size() - stream.Position();
    if (available <= 0) {
        SetHandle(nullptr);
        return;
    }
    try {
        if (available < static_cast<long long>(sizeof(IconDirHeader))) InvalidIcon();
        std::vector<std::uint8_t> data(sizeof(IconDirHeader));
        stream.ReadBuffer(data.data(), static_cast<long long>(data.size()));
        IconDirHeader header{};
        std::memcpy(&header, data.data(), sizeof(header));
        if (header.reserved != 0 || header.type != 1 || header.count == 0) InvalidIcon();
        const long long directoryEnd = sizeof(IconDirHeader) + static_cast<long long>(header.count) * sizeof(IconDirEntry);
        if (directoryEnd > available) InvalidIcon();
        data.resize(static_cast<size_t>(directoryEnd));
        stream.ReadBuffer(data.data() + sizeof(IconDirHeader), directoryEnd - static_cast<long long>(sizeof(IconDirHeader)));
        long long end = directoryEnd;
        for (size_t i = 0; i < header.count; ++i) {
            const IconDirEntry e = EntryAt(data, i);
            const long long imageEnd = static_cast<long long>(e.imageOffset) + e.bytesInRes;
            if (e.imageOffset < directoryEnd || e.bytesInRes < sizeof(BITMAPINFOHEADER) || imageEnd > available)
                InvalidIcon();
            end = std::max(end, imageEnd);
        }
        data.resize(static_cast<size_t>(end));
        stream.ReadBuffer(data.data() + directoryEnd, end - directoryEnd);
        ReleaseIcon();
        data_ = std::move(data);
        Changed();
    } catch (const EReadError&) {
        InvalidIcon();
    }
}

void TIcon::SaveToStream(TStream& stream)
{
    if (!data_.empty()) {
        stream.WriteBuffer(data_.data(), static_cast<long long>(data_.size()));
    } else if (handle_) {
        const std::vector<std::uint8_t> data = IconToIcoData(handle_);
        stream.WriteBuffer(data.data(), static_cast<long long>(data.size()));
    }
}

void TIcon::LoadResource(HINSTANCE instance, LPCWSTR name)
{
    if (!instance) instance = ::GetModuleHandleW(nullptr);
    const UINT flags = LR_DEFAULTCOLOR | (requestedWidth_ > 0 ? 0 : LR_DEFAULTSIZE);
    HICON icon = static_cast<HICON>(::LoadImageW(instance, name, IMAGE_ICON, requestedWidth_, requestedHeight_, flags));
    if (!icon) {
        const UnicodeString text =
            IS_INTRESOURCE(name) ? std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : UnicodeString(name);
        throw EResNotFound(L"Resource " + text + L" not found");
    }
    SetHandle(icon);
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const UnicodeString& name)
{
    LoadResource(instance, name.c_str());
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id)
{
    LoadResource(instance, MAKEINTRESOURCEW(id));
}
