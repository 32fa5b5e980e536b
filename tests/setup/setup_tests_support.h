#pragma once
// Scaffolding the setup and server tests share: scratch folders (one standing in for the shared
// documents), the server's clock set by the test, reading a file whole, and the sample gateway
// whose setup most tests build on.
#include "DateUtils.h"
#include "Files.h"
#include "GatewaySetupRecord.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace test_support {

// A folder of its own below the temp folder, removed with all it holds at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& prefix)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static std::atomic<int> serial{0};
        path_ = std::filesystem::path(temp) /
                (prefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(serial++));
        // Wine hands out the same process IDs run after run: a killed run's folder may be here.
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A scratch folder that stands in for the shared documents folder while it lives.
class ScratchDocuments {
public:
    explicit ScratchDocuments(const std::wstring& prefix) : folder_(prefix)
    {
        TPath::SetSharedDocumentsPathOverride(folder_.Path().wstring());
    }
    ~ScratchDocuments()
    {
        try {
            TPath::SetSharedDocumentsPathOverride(std::nullopt);
        } catch (...) {
        }
    }

    const std::filesystem::path& Path() const { return folder_.Path(); }
    // Where the server looks for a new gateway firmware.
    std::filesystem::path FirmwareFile() const
    {
        return Path() / L"VELMORA" / L"W_MBUS_SRV_SOFTWARE" / L"NewSoftwareGW.bin";
    }

private:
    ScratchFolder folder_;
};

// A clock the test sets through g_now; contacts on other threads read it too.
inline std::atomic<double> g_now{0};
inline TDateTime TestNow()
{
    return g_now.load();
}

// The server's clock (Now) replaced while it lives: by clock, or by g_now from start on.
class ScopedClock {
public:
    explicit ScopedClock(TClockFunction clock) : previous_(SetClock(clock)) {}
    explicit ScopedClock(TDateTime start) : ScopedClock(&TestNow) { g_now = start; }
    ~ScopedClock() { SetClock(previous_); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    TClockFunction previous_;
};

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The sample gateway 0A.1B.2C.
inline const std::array<uint8_t, 3> kGw = {0x0A, 0x1B, 0x2C};

inline GatewaySetupTime SetupTime(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute,
                                  uint8_t second)
{
    GatewaySetupTime t{.Year = {}, .Month = month, .Day = day, .Hour = hour, .Minute = minute, .Second = second};
    t.Year = year;
    return t;
}

// 16 key bytes counting up from first.
inline std::array<uint8_t, 16> CountingKey(uint8_t first)
{
    std::array<uint8_t, 16> key{};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<uint8_t>(first + i);
    return key;
}

// The sample gateway's network part, master key and network flags, as the setup and contact
// tests share them; filters, times and firmware are left to each test.
inline GatewaySetupRecord SampleNetworkSetup()
{
    GatewaySetupRecord r;
    r.GatewayId = kGw;
    r.FixedIp = {192, 168, 1, 10};
    r.GatewayIp = {192, 168, 1, 1};
    r.SubnetMask = {255, 255, 255, 0};
    r.SetServerName("gw.example.net");
    r.NtpIp = {82, 96, 64, 2};
    r.DnsIp = {8, 8, 8, 8};
    r.ServerPort = 5000;
    r.MasterKey = CountingKey(0x30);
    r.NetworkFlags = NetworkDhcp | NetworkIntervalHourly;
    return r;
}

} // namespace test_support
