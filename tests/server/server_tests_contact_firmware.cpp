// Firmware transfer of a gateway contact: packets, acknowledgements and the image file.
#include "server_tests_contact_fixture.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace contact_test;
using sim::Bytes;

namespace {
Bytes Image(std::size_t size)
{
    Bytes image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>((i * 31 + 7) ^ (i >> 8));
    return image;
}

Bytes TelegramFrame()
{
    return sim::GatewayFrame(0x19, kGw, kDeriv, kMaster, sim::WmbusPayload(1, {sim::Record({})}));
}

struct Packet {
    uint16_t Last = 0;
    uint16_t Current = 0;
    Bytes Data;
    std::optional<uint16_t> Crc;
};

// Decodes one firmware frame whose data part is dataSize bytes; checks length, type, envelope
// and padding on the way.
Packet DecodePacket(const Bytes& frame, std::size_t dataSize, bool last)
{
    Packet p;
    const std::size_t plainLength = dataSize + 7 + (last ? 2 : 0);
    const std::size_t padded = (plainLength + 15) / 16 * 16;
    EXPECT_EQ(frame.size(), 3 + padded);
    if (frame.size() != 3 + padded) return p;
    EXPECT_EQ((frame[0] << 8) | frame[1], static_cast<int>(frame.size()));
    EXPECT_EQ(frame[2], 0x23);
    const Bytes plain = DecryptReply(frame);
    EXPECT_EQ(plain[0], padded - plainLength);
    EXPECT_EQ(plain[1], 0xAA);
    EXPECT_EQ(plain[2], 0x55);
    p.Last = static_cast<uint16_t>((plain[3] << 8) | plain[4]);
    p.Current = static_cast<uint16_t>((plain[5] << 8) | plain[6]);
    p.Data.assign(plain.begin() + 7, plain.begin() + 7 + static_cast<std::ptrdiff_t>(dataSize));
    if (last) p.Crc = static_cast<uint16_t>((plain[7 + dataSize] << 8) | plain[8 + dataSize]);
    EXPECT_TRUE(std::all_of(plain.begin() + static_cast<std::ptrdiff_t>(plainLength), plain.end(),
                            [](uint8_t b) { return b == '/'; }));
    return p;
}

class FirmwareTest : public ContactTest {
protected:
    // Every contact asks for the firmware update; a complete transfer is recorded.
    void FirmwarePending()
    {
        SetFileStoreHooks({.ReadSetupRecord = [](auto, auto&) { return ReplyFirmwareUpdate; },
                           .ClearFirmwareUpdateFlag = [this](std::span<const uint8_t, 3> id) {
                               std::lock_guard<std::mutex> guard(lock_);
                               cleared_.emplace_back(id.begin(), id.end());
                           }});
    }

    std::vector<Bytes> Cleared()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return cleared_;
    }

    std::vector<StatusRow> SoftUpdateRows()
    {
        std::vector<StatusRow> rows = host.Rows();
        rows.erase(rows.begin()); // the telegram frame's own row
        return rows;
    }

private:
    std::mutex lock_;
    std::vector<Bytes> cleared_;
};

StatusRow SoftUpdateRow(int current, int last)
{
    return {L"0A.1B.2C", L"127.0.0.1",
            L"Soft.Update " + std::to_wstring(current) + L"/" + std::to_wstring(last), L"Soft.Update", L""};
}

UnicodeString StartLine(std::size_t size, int packets, uint16_t crc)
{
    wchar_t text[128];
    swprintf(text, 128, L"Sende Software an :0A.1B.2C  Anzahl Byte:%.4d  Packete: %d CRC:%X", static_cast<int>(size),
             packets, crc);
    return text;
}
} // namespace

TEST_F(FirmwareTest, ImageIsSentInPacketsOf256BytesWithTheCrcInTheLast)
{
    struct Case {
        std::size_t size;
        std::vector<std::size_t> packets; // data bytes per packet
    };
    const std::vector<Case> cases = {{600, {256, 256, 88}}, {512, {256, 256}}, {1, {1}}};
    FirmwarePending();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        host.Reset();
        const Bytes image = Image(c.size);
        WriteFirmwareImage(image);
        host.FirmwareFile.CheckFirmwareFile();

        std::vector<Bytes> frames;
        Bytes rest;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(TelegramFrame());
            for (std::size_t k = 0; k < c.packets.size(); ++k) {
                const bool last = k + 1 == c.packets.size();
                frames.push_back(gw.Receive(3 + (c.packets[k] + 7 + (last ? 2 : 0) + 15) / 16 * 16, kWait));
                gw.Send({0x06});
            }
            EXPECT_TRUE(gw.WaitClosed(kWait, &rest));
        });

        EXPECT_TRUE(rest.empty());
        ASSERT_EQ(frames.size(), c.packets.size());
        Bytes received;
        const int count = static_cast<int>(c.packets.size());
        for (int k = 0; k < count; ++k) {
            const bool last = k + 1 == count;
            const Packet p = DecodePacket(frames[static_cast<std::size_t>(k)], c.packets[static_cast<std::size_t>(k)], last);
            EXPECT_EQ(p.Last, count);
            EXPECT_EQ(p.Current, k + 1);
            received.insert(received.end(), p.Data.begin(), p.Data.end());
            if (last) {
                ASSERT_TRUE(p.Crc.has_value());
                EXPECT_EQ(*p.Crc, sim::Crc16(image));
            }
        }
        EXPECT_EQ(received, image);

        const Lines ver = host.Lines(TContactMemo::VerLog);
        ASSERT_EQ(ver.size(), 3u);
        EXPECT_EQ(ver[1], StartLine(c.size, count, sim::Crc16(image)));
        EXPECT_EQ(ver[2], L"Software Update fertig gesendet.");
        std::vector<StatusRow> expectedRows;
        for (int k = 1; k <= count; ++k) expectedRows.push_back(SoftUpdateRow(k, count));
        EXPECT_EQ(SoftUpdateRows(), expectedRows);
    }
    EXPECT_EQ(Cleared().size(), cases.size());
    EXPECT_EQ(Cleared().front(), Bytes(kGw.begin(), kGw.end()));
}

TEST_F(FirmwareTest, NakAndOtherAnswersResendTheIdenticalPacket)
{
    const Bytes image = Image(600);
    WriteFirmwareImage(image);
    host.FirmwareFile.CheckFirmwareFile();
    FirmwarePending();

    Bytes p1, p2, p2AfterNak, p2AfterOther, p3, rest;
    RunGateway([&](sim::Gateway& gw) {
        gw.Send(TelegramFrame());
        p1 = gw.Receive(275, kWait);
        gw.Send({0x06});
        p2 = gw.Receive(275, kWait);
        gw.Send({0x15});
        p2AfterNak = gw.Receive(275, kWait);
        gw.Send({0x41});
        p2AfterOther = gw.Receive(275, kWait);
        gw.Send({0x06});
        p3 = gw.Receive(115, kWait);
        gw.Send({0x06});
        EXPECT_TRUE(gw.WaitClosed(kWait, &rest));
    });

    ASSERT_EQ(p2.size(), 275u);
    EXPECT_EQ(p2AfterNak, p2);
    EXPECT_EQ(p2AfterOther, p2);
    EXPECT_NE(p1, p2);
    ASSERT_EQ(p3.size(), 115u);
    const Packet last = DecodePacket(p3, 88, true);
    EXPECT_EQ(last.Current, 3);
    EXPECT_EQ(last.Data, Bytes(image.begin() + 512, image.end()));
    EXPECT_TRUE(rest.empty());

    const Lines ver = host.Lines(TContactMemo::VerLog);
    ASSERT_EQ(ver.size(), 4u);
    EXPECT_EQ(ver[1], StartLine(600, 3, sim::Crc16(image)));
    EXPECT_EQ(ver[2], L"NAK bei SoftwareUdate an :0A.1B.2C bei Packet: 2 ");
    EXPECT_EQ(ver[3], L"Software Update fertig gesendet.");
    EXPECT_EQ(SoftUpdateRows(), (std::vector<StatusRow>{SoftUpdateRow(1, 3), SoftUpdateRow(2, 3), SoftUpdateRow(2, 3),
                                                        SoftUpdateRow(2, 3), SoftUpdateRow(3, 3)}));
    EXPECT_EQ(Cleared().size(), 1u);
}

TEST_F(FirmwareTest, SilentGatewayEndsTheContactAfterTheLastWait)
{
    WriteFirmwareImage(Image(600));
    host.FirmwareFile.CheckFirmwareFile();
    FirmwarePending();

    Bytes p1, rest;
    std::chrono::steady_clock::duration silence{};
    RunGateway([&](sim::Gateway& gw) {
        gw.Send(TelegramFrame());
        p1 = gw.Receive(275, kWait);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(gw.WaitClosed(kWait, &rest));
        silence = std::chrono::steady_clock::now() - start;
    });

    EXPECT_EQ(p1.size(), 275u);
    EXPECT_TRUE(rest.empty());
    // 52 waits of 20 ms (less what passed before the gateway started its clock).
    EXPECT_GE(silence, std::chrono::milliseconds(kTiming.AckWaits * kTiming.AckWaitMs - 100));
    EXPECT_TRUE(Cleared().empty());
    EXPECT_EQ(host.Lines(TContactMemo::VerLog).size(), 2u); // connection and start lines only
}

TEST_F(FirmwareTest, StopFlagDuringTheTransferEndsItWithoutFurtherPackets)
{
    WriteFirmwareImage(Image(600));
    host.FirmwareFile.CheckFirmwareFile();
    FirmwarePending();

    Bytes p1, rest;
    RunGateway([&](sim::Gateway& gw) {
        gw.Send(TelegramFrame());
        p1 = gw.Receive(275, kWait);
        // What the server switch does when it stops.
        TIdContextList* list = host.Server->Contexts()->LockList();
        for (TIdContext* context : *list) context->Connection()->SetTag(1);
        host.Server->Contexts()->UnlockList();
        gw.Send({0x06});
        EXPECT_TRUE(gw.WaitClosed(kWait, &rest));
    });
    EXPECT_EQ(p1.size(), 275u);
    EXPECT_TRUE(rest.empty());
    EXPECT_TRUE(Cleared().empty());
}

// Missing, empty and oversized images are refused alike: one line, no reply, and none of them
// counts as a firmware file afterwards.
TEST_F(FirmwareTest, ImagesThatCannotBeSentAreRefused)
{
    struct Case {
        const char* name;
        std::optional<std::uintmax_t> size; // no value: no file
    };
    const std::vector<Case> cases = {
        {"no file", std::nullopt},
        {"empty file", 0},
        {"more than 65535 packets", std::uintmax_t{65535} * 256 + 1},
    };
    FirmwarePending();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.Reset();
        std::error_code ignored;
        std::filesystem::remove(FirmwareFilePath(), ignored);
        if (c.size) {
            WriteFirmwareImage({});
            std::filesystem::resize_file(FirmwareFilePath(), *c.size);
        }
        host.FirmwareFile.CheckFirmwareFile();

        const Bytes reply = Exchange(TelegramFrame());
        EXPECT_TRUE(reply.empty());
        const Lines ver = host.Lines(TContactMemo::VerLog);
        ASSERT_EQ(ver.size(), 2u);
        EXPECT_EQ(ver[1], L"Kein gueltiges Firmware File im Verzeichnis gefunden!");
        EXPECT_EQ(host.Rows().size(), 1u);
        EXPECT_FALSE(host.FirmwareFile.FirmwareValid());
    }
    EXPECT_TRUE(Cleared().empty());
    // The largest image that 16-bit packet numbers can carry counts.
    std::filesystem::resize_file(FirmwareFilePath(), std::uintmax_t{65535} * 256);
    EXPECT_TRUE(host.FirmwareFile.CheckFirmwareFile());

    // A file put there later is noticed by the contact that is refused, and sent at the next.
    host.Reset();
    std::filesystem::remove(FirmwareFilePath());
    host.FirmwareFile.CheckFirmwareFile();
    WriteFirmwareImage(Image(10));
    const Bytes reply = Exchange(TelegramFrame());
    EXPECT_TRUE(reply.empty());
    EXPECT_TRUE(host.FirmwareFile.FirmwareValid());
    RunGateway([&](sim::Gateway& gw) {
        gw.Send(TelegramFrame());
        const Bytes packet = gw.Receive(3 + 32, kWait);
        EXPECT_EQ(DecodePacket(packet, 10, true).Data, Image(10));
        gw.Send({0x06});
        EXPECT_TRUE(gw.WaitClosed(kWait));
    });
    EXPECT_EQ(Cleared().size(), 1u);
}
