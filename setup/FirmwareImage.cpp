#include "FirmwareImage.h"

#include "DataFolders.h"
#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"

#include <windows.h>

namespace {
UnicodeString FirmwareFolder()
{
    return DataSubfolder(L"W_MBUS_SRV_SOFTWARE");
}

// An image a transfer can send: at least one byte, and no more packets than 16 bits number.
bool UsableImageFile(const UnicodeString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    const uint64_t size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    return size >= 1 && size <= MaxFirmwareImageSize;
}
} // namespace

bool TFirmwareImage::CheckFirmwareFile()
{
    std::lock_guard<std::mutex> guard(lock_);
    return CheckLocked();
}

bool TFirmwareImage::CheckLocked()
{
    const UnicodeString folder = FirmwareFolder();
    ForceDataFolder(folder);
    firmwarePath_ = folder + L"NewSoftwareGW.bin";
    if (UsableImageFile(firmwarePath_)) {
        firmwareValid_ = true;
        return true;
    }
    firmwarePath_.clear();
    firmwareValid_ = false;
    return false;
}

std::optional<TBytes> TFirmwareImage::ReadFirmwareImage()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (!CheckLocked()) return std::nullopt;
    // The size is looked at again before anything is read: the file may have changed since.
    TFileStream file(firmwarePath_, fmOpenRead | fmShareDenyWrite);
    const long long size = file.Size();
    if (size <= 0 || static_cast<uint64_t>(size) > MaxFirmwareImageSize) return std::nullopt;
    TBytes image(static_cast<size_t>(size));
    file.ReadBuffer(image.data(), size);
    return image;
}

UnicodeString TFirmwareImage::FirmwarePath() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return firmwarePath_;
}

bool TFirmwareImage::FirmwareValid() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return firmwareValid_;
}
