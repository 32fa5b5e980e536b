#pragma once
// Fixture of the file-mode tests: the contact fixture with the setup folder, the CSV logs and
// the connection log in its private shared-documents folder, a status grid model driven by the
// real row update, and a clock the test sets (g_now).
#include "ConnectionLog.h"
#include "GatewayStatusGrid.h"
#include "server_tests_contact_fixture.h"

#include <fstream>

namespace filemode_test {

using namespace contact_test;
using sim::Bytes;
using test_support::g_now;
using test_support::ReadFile;

// The string grid of the main window: title row, then one row per gateway; at start the title
// row and one empty row.
class GridModel : public TStatusGridCells {
public:
    using Row = std::array<UnicodeString, StatusGridColumnCount>;
    GridModel()
    {
        Row titles;
        std::copy(StatusGridTitles.begin(), StatusGridTitles.end(), titles.begin());
        rows_ = {titles, Row{}};
    }
    UnicodeString Cell(int column, int row) const override { return rows_.at(row).at(column); }
    void SetCell(int column, int row, const UnicodeString& text) override { rows_.at(row).at(column) = text; }
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    void SetRowCount(int count) override { rows_.resize(static_cast<std::size_t>(count)); }
    const std::vector<Row>& Rows() const { return rows_; }

private:
    std::vector<Row> rows_;
};

class FileModeHost : public FakeHost {
public:
    void UpdateGatewayStatusRow(const UnicodeString& gatewayId, const UnicodeString& address,
                                const UnicodeString& lastData, const UnicodeString& status,
                                const UnicodeString& firmware) override
    {
        FakeHost::UpdateGatewayStatusRow(gatewayId, address, lastData, status, firmware);
        ::UpdateGatewayStatusRow(Grid, gatewayId, address, lastData, status, firmware);
    }

    // The window's side of the 200-line rule with "schreibe in Log-Datei".
    void ConnectionMemoLimitReached() override
    {
        CheckMainThread();
        if (FailConnectionLog) throw Exception(L"connection log locked");
        if (!WriteConnectionLog) return;
        UnicodeString text;
        for (const UnicodeString& line : Lines(TContactMemo::VerLog)) text += line + L"\r\n";
        AppendConnectionLog(text);
    }

    void ShowTelegramLogPath(const UnicodeString& path) override
    {
        CheckMainThread();
        ShownPaths.push_back(path);
    }

    GridModel Grid;
    bool WriteConnectionLog = false;
    bool FailConnectionLog = false;
    std::vector<UnicodeString> ShownPaths;
};

class FileModeTest : public ContactFixture<FileModeHost> {
protected:
    void SetUp() override
    {
        clock_.emplace(EncodeDateTime(2022, 6, 5, 12, 0, 0, 0));
        OpenDocuments(L"filemode_test_");
        const auto setups = Documents() / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS";
        std::filesystem::create_directories(setups);
        host.Folder = setups.wstring() + L"\\";
        StartServer();
    }

    void TearDown() override
    {
        ContactFixture::TearDown();
        clock_.reset();
        EXPECT_EQ(host.OffMainThreadCalls(), 0) << "window calls off the main thread";
        EXPECT_TRUE(host.Exceptions().empty()) << ToUtf8(host.Exceptions().front());
    }

    std::filesystem::path SetupFile(const sim::GatewayIdBytes& id = kGw) const
    {
        return std::filesystem::path(SetupFilePath(host.Folder, id));
    }
    void WriteSetupFile(const std::string& text, const sim::GatewayIdBytes& id = kGw) const
    {
        std::ofstream(SetupFile(id), std::ios::binary | std::ios::trunc) << text;
    }

private:
    std::optional<test_support::ScopedClock> clock_;
};

// Contact n's telegram frame of gateway: count records dated 2022-06-05 (the fixture's day)
// whose device IDs base + 16 n + t no other contact uses, so a line written twice shows.
inline Bytes DistinctTelegramFrame(const sim::GatewayIdBytes& gateway, uint32_t base, int n, int count)
{
    std::vector<Bytes> records;
    for (int t = 0; t < count; ++t) {
        sim::Telegram telegram = TelegramAt(static_cast<uint8_t>(t), base + static_cast<uint32_t>(n * 16 + t));
        telegram.Year = 22;
        telegram.Month = 6;
        telegram.Day = 5;
        records.push_back(sim::Record(telegram));
    }
    return sim::GatewayFrame(0x19, gateway, kDeriv, kMaster, sim::WmbusPayload(static_cast<uint8_t>(count), records));
}

// The record a setup frame from the server carries, decrypted with the gateway's own key.
inline std::optional<GatewaySetupRecord> SetupInReply(const Bytes& reply)
{
    EXPECT_EQ(reply.size(), 1123u);
    if (reply.size() != 1123u || reply[2] != 0x14) return std::nullopt;
    const Bytes plain = DecryptReply(reply);
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 3), (Bytes{1, 0xAA, 0x55}));
    return RecordInEnvelope(plain);
}

} // namespace filemode_test
