#pragma once
// The firmware image offered to the gateways: NewSoftwareGW.bin in the folder
// <shared documents>\VELMORA\W_MBUS_SRV_SOFTWARE\. Nothing in the program writes it.
//
// The path and the validity flag are shared by the setup dialog and every contact; checking the
// file and reading it for a transfer happen under one lock, and each transfer works on its own
// copy of the bytes.
#include "Encoding.h"
#include "Strings.h"

#include <cstdint>
#include <mutex>
#include <optional>

// A transfer numbers its 256-byte packets with 16 bits.
inline constexpr uint32_t FirmwarePacketSize = 256;
inline constexpr uint64_t MaxFirmwareImageSize = uint64_t{65535} * FirmwarePacketSize;

class TFirmwareImage {
public:
    // Creates the folder when missing (raising an error whose message is the folder path when
    // that fails), then notes the file's path and whether it is there to be sent: a file of 1
    // to MaxFirmwareImageSize bytes. An empty or larger one counts as missing, so nothing offers
    // or waits for an update that cannot go out.
    bool CheckFirmwareFile();

    // Checks the file again and reads it, all under the lock. No value when the file is missing,
    // empty or larger than MaxFirmwareImageSize: such an image cannot be sent.
    std::optional<TBytes> ReadFirmwareImage();

    UnicodeString FirmwarePath() const;
    bool FirmwareValid() const;

private:
    bool CheckLocked();

    mutable std::mutex lock_;
    UnicodeString firmwarePath_; // empty when no usable file was there at the last check
    bool firmwareValid_ = false;
};
