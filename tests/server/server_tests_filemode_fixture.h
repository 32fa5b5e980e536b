#pragma once
// Fixture of the file-mode tests: the contact tests' gateway simulator and fake main window,
// with the setup folder, the CSV logs and the connection log in a private shared-documents
// folder, a status grid model driven by the real row update, and a clock the test sets.
#include "ConnectionLog.h"
#include "GatewayStatusGrid.h"
#include "server_tests_contact_fixture.h"

#include <fstream>
#include <sstream>

namespace filemode_test {

using namespace contact_test;
using sim::Bytes;

// The clock of the contacts while a test runs (Now() of the server).
inline std::atomic<double> g_now{0};
inline TDateTime TestNow()
{
    return g_now.load();
}

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
    UnicodeString SetupFolder() const override { return Folder; }

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
    void ReportTelegramLogFailure(const UnicodeString& path) override
    {
        CheckMainThread();
        Failures.push_back(path);
    }

    int OffMainThread() const { return offMain_.load(); }

    UnicodeString Folder;
    GridModel Grid;
    bool WriteConnectionLog = false;
    bool FailConnectionLog = false;
    std::vector<UnicodeString> ShownPaths;
    std::vector<UnicodeString> Failures;

private:
    void CheckMainThread()
    {
        if (GetCurrentThreadId() != MainThreadID) ++offMain_;
    }
    std::atomic<int> offMain_{0};
};

class FileModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_now = EncodeDateTime(2022, 6, 5, 12, 0, 0, 0);
        previousClock_ = SetClock(&TestNow);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static std::atomic<int> serial{0};
        documents_ = std::filesystem::path(temp) /
                     (L"filemode_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(serial++));
        std::filesystem::create_directories(documents_ / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS");
        TPath::SetSharedDocumentsPathOverride(documents_.wstring());
        host.Folder = (documents_ / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS").wstring() + L"\\";

        server_ = std::make_unique<TIdTCPServer>(nullptr);
        TIdSocketHandle* binding = server_->Bindings()->Add();
        binding->SetIP(L"127.0.0.1");
        binding->SetPort(0);
        server_->OnExecute = [this](TIdContext* context) { RunGatewayContact(host, context, kTiming); };
        server_->OnException = [this](TIdContext*, Exception* e) { host.RecordException(e->Message()); };
        server_->SetActive(true);
        port_ = server_->Bindings()->Items(0)->Port();
        host.Server = server_.get();
    }

    void TearDown() override
    {
        server_->SetActive(false);
        server_.reset();
        SetClock(previousClock_);
        TPath::SetSharedDocumentsPathOverride(std::nullopt);
        std::error_code ignored;
        std::filesystem::remove_all(documents_, ignored);
        EXPECT_EQ(host.OffMainThreadCalls() + host.OffMainThread(), 0) << "window calls off the main thread";
        EXPECT_TRUE(host.Exceptions().empty()) << ToUtf8(host.Exceptions().front());
    }

    // One gateway per script at once, while this thread runs the synchronised calls, until
    // every script is done and every contact has ended.
    void RunGateways(const std::vector<std::function<void(sim::Gateway&)>>& scripts)
    {
        std::atomic<int> done{0};
        std::vector<std::thread> threads;
        for (const auto& script : scripts) {
            threads.emplace_back([&, script] {
                try {
                    sim::Gateway gateway(port_);
                    script(gateway);
                } catch (const std::exception& e) {
                    ADD_FAILURE() << "gateway: " << e.what();
                }
                ++done;
            });
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        bool finished = false;
        while (std::chrono::steady_clock::now() < deadline) {
            CheckSynchronize(10);
            if (done.load() == static_cast<int>(scripts.size()) && LiveContexts() == 0) {
                finished = true;
                break;
            }
        }
        EXPECT_TRUE(finished) << "gateways or contacts did not end in time";
        for (auto& t : threads) t.join();
    }

    void RunGateway(const std::function<void(sim::Gateway&)>& script) { RunGateways({script}); }

    // Sends frame and collects whatever the server answers until it closes.
    Bytes Contact(const Bytes& frame)
    {
        Bytes reply;
        RunGateway([&](sim::Gateway& gw) {
            gw.Send(frame);
            EXPECT_TRUE(gw.WaitClosed(kWait, &reply));
        });
        return reply;
    }

    int LiveContexts()
    {
        const int count = server_->Contexts()->LockList()->Count();
        server_->Contexts()->UnlockList();
        return count;
    }

    const std::filesystem::path& Documents() const { return documents_; }
    std::filesystem::path SetupFile(const sim::GatewayIdBytes& id = kGw) const
    {
        return std::filesystem::path(SetupFilePath(host.Folder, id));
    }
    void WriteSetupFile(const std::string& text, const sim::GatewayIdBytes& id = kGw) const
    {
        std::ofstream(SetupFile(id), std::ios::binary | std::ios::trunc) << text;
    }
    void WriteFirmwareImage(const Bytes& image) const
    {
        const auto path = documents_ / L"VELMORA" / L"W_MBUS_SRV_SOFTWARE" / L"NewSoftwareGW.bin";
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }

    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    FileModeHost host;

private:
    std::unique_ptr<TIdTCPServer> server_;
    int port_ = 0;
    std::filesystem::path documents_;
    TClockFunction previousClock_ = nullptr;
};

// The record a setup frame from the server carries, decrypted with the gateway's own key.
inline std::optional<GatewaySetupRecord> SetupInReply(const Bytes& reply)
{
    EXPECT_EQ(reply.size(), 1123u);
    if (reply.size() != 1123u || reply[2] != 0x14) return std::nullopt;
    const Bytes plain = sim::CbcDecrypt(sim::Derive(kDeriv, kGw, kMaster), Bytes(reply.begin() + 3, reply.end()));
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + 3), (Bytes{1, 0xAA, 0x55}));
    std::array<uint8_t, GatewaySetupRecordSize> bytes;
    std::copy_n(plain.begin() + 3, bytes.size(), bytes.begin());
    return GatewaySetupRecord::FromBytes(bytes);
}

} // namespace filemode_test
