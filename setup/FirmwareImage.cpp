#include "FirmwareImage.h"

#include "DataFolders.h"
#include "Exceptions.h"
#include "Files.h"
#include "Streams.h"

namespace {
UnicodeString FirmwareFolder()
{
    return DataSubfolder(L"W_MBUS_SRV_SOFTWARE");
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
    if (FileExists(firmwarePath_)) {
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
    // The size is looked at before anything is read, so an oversized file is never loaded.
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
