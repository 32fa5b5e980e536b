// The program as a user runs it: the real executable started as a child process with its
// settings file in the shared documents folder, a gateway sending telegrams over TCP, the CSV
// log on disk, and the window closed by its close message. Nothing of the server's code runs in
// this process; the child knows nothing of the test's seams.
#include "DateUtils.h"
#include "Strings.h"
#include "server_tests_contact_sim.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The program's default master key.
const sim::MasterKeyBytes kDefaultMaster = {0x7C, 0x3A, 0x91, 0xE0, 0x5B, 0x2F, 0x4D, 0x86,
                                            0xA0, 0xC9, 0xE1, 0x37, 0x4B, 0x5D, 0x2F, 0x68};
// A gateway no other test uses, so that its CSV log is this test's alone.
const sim::GatewayIdBytes kProgramGw = {0x5E, 0x2E, 0x01};
const sim::DerivationBytes kDeriv = {0x31, 0x4C, 0x07, 0xD2};
const wchar_t kCaptionPrefix[] = L"wM-BUS to TCP Gateway Server";

std::string ReadWhole(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Polls check until it holds or the deadline passes; the last result decides.
template <typename Check> bool PollUntil(std::chrono::milliseconds timeout, Check check)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!check()) {
        if (std::chrono::steady_clock::now() >= deadline) return check();
        std::this_thread::sleep_for(25ms);
    }
    return true;
}

fs::path SharedDocuments()
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    return buffer;
}

// The program sits next to the tests' build folder: <build>\server\WMBusMarlindo.exe.
fs::path ProgramPath()
{
    std::wstring self(MAX_PATH * 4, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    self.resize(length);
    return (fs::path(self).parent_path() / L".." / L".." / L"server" / L"WMBusMarlindo.exe").lexically_normal();
}

class Winsock {
public:
    Winsock()
    {
        WSADATA data;
        ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Winsock()
    {
        if (ok_) WSACleanup();
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

private:
    bool ok_ = false;
};

// A port nobody listens on right now: the system's choice for a socket bound to port 0.
int FreePort()
{
    Winsock winsock;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    int port = 0;
    int size = sizeof(address);
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    closesocket(s);
    return port;
}

std::string Hex2(uint8_t b)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 0x0F]};
}

// The gateway's CSV log for a local date.
fs::path CsvLogPath(const fs::path& documents, const SYSTEMTIME& day)
{
    const std::wstring y = std::to_wstring(day.wYear), m = std::to_wstring(day.wMonth), d = std::to_wstring(day.wDay);
    const std::string id = Hex2(kProgramGw[0]) + "_" + Hex2(kProgramGw[1]) + "_" + Hex2(kProgramGw[2]);
    return documents / L"VELMORA" / L"W_MBUS_SRV_LOG" / y / m /
           (d + L"_" + m + L"_" + y + L"_LOG_" + std::wstring(id.begin(), id.end()) + L".csv");
}

SYSTEMTIME Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// The CSV line of a telegram: the locale's short date, for a time of day other than 00:00:00 a
// blank and the long time, ";", the telegram from its 0x68 on in upper-case hexadecimal.
std::string CsvLine(const sim::Telegram& t)
{
    UnicodeString when = DateToStr(EncodeDate(2000 + t.Year, t.Month, t.Day));
    if (t.Hour != 0 || t.Minute != 0 || t.Second != 0)
        when += L" " + TimeToStr(EncodeTime(t.Hour, t.Minute, t.Second, 0));
    const sim::Bytes record = sim::Record(t);
    std::string hex;
    for (std::size_t i = 6; i < record.size(); ++i) hex += Hex2(record[i]);
    return UnicodeToAnsi(when) + ";" + hex + "\r\n";
}

// The INI text as section -> key -> value (keys and sections upper-cased; duplicates count).
struct IniContent {
    std::map<std::string, std::map<std::string, std::string>> Sections;
    int KeyCount = 0;
};

IniContent ParseIni(const std::string& text)
{
    auto upper = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return s;
    };
    auto trim = [](std::string s) {
        const auto first = s.find_first_not_of(" \t\r");
        if (first == std::string::npos) return std::string();
        return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
    };
    IniContent ini;
    std::string section;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        line = trim(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = upper(line.substr(1, line.size() - 2));
            ini.Sections[section];
        } else if (const auto eq = line.find('='); eq != std::string::npos && !section.empty()) {
            ini.Sections[section][upper(trim(line.substr(0, eq)))] = trim(line.substr(eq + 1));
            ++ini.KeyCount;
        }
    }
    return ini;
}

struct WindowSearch {
    DWORD ProcessId;
    HWND Found;
};

// The visible top-level windows of a process.
std::vector<HWND> VisibleWindows(DWORD processId)
{
    struct Search {
        DWORD ProcessId;
        std::vector<HWND> Found;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->ProcessId && IsWindowVisible(window)) s->Found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The texts of a window's children, with their windows.
std::vector<std::pair<HWND, std::wstring>> ChildTexts(HWND parent)
{
    std::vector<std::pair<HWND, std::wstring>> texts;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM param) -> BOOL {
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            reinterpret_cast<std::vector<std::pair<HWND, std::wstring>>*>(param)->emplace_back(child, text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->ProcessId) return TRUE;
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (wcsncmp(caption, kCaptionPrefix, wcslen(kCaptionPrefix)) != 0) return TRUE;
    search->Found = window;
    return FALSE;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documents_ = SharedDocuments();
        ASSERT_FALSE(documents_.empty());
        settings_ = documents_ / L"VELMORA" / L"WMBusMarlindo.INI";
        fs::create_directories(settings_.parent_path());
        if (fs::exists(settings_)) savedSettings_ = ReadWhole(settings_);
        port_ = FreePort();
        ASSERT_NE(port_, 0);
    }

    void TearDown() override
    {
        // A failed test never leaves the program running.
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
                TerminateProcess(process_.hProcess, 1);
                WaitForSingleObject(process_.hProcess, 10000);
            }
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
            process_ = {};
        }
        std::error_code ignored;
        for (const fs::path& csv : csvFiles_) fs::remove(csv, ignored);
        if (savedSettings_)
            std::ofstream(settings_, std::ios::binary | std::ios::trunc) << *savedSettings_;
        else
            fs::remove(settings_, ignored);
    }

    void WriteSettings(const std::string& text) const
    {
        std::ofstream(settings_, std::ios::binary | std::ios::trunc) << text;
    }

    // The CSV log of today; removed now and at the end.
    fs::path FreshCsvLog()
    {
        const fs::path csv = CsvLogPath(documents_, Today());
        std::error_code ignored;
        fs::remove(csv, ignored);
        csvFiles_.insert(csv);
        return csv;
    }

    bool Start(const std::wstring& arguments = L"")
    {
        const fs::path exe = ProgramPath();
        EXPECT_TRUE(fs::exists(exe)) << exe.string();
        std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
        if (!arguments.empty()) commandLine += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        // The program shows its window on the test's desktop, where the test looks for it.
        wchar_t desktop[256] = L"";
        GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop, sizeof(desktop), nullptr);
        startup.lpDesktop = desktop;
        const std::wstring folder = exe.parent_path().wstring();
        // No handles inherited: the program must not hold the test run's output pipes.
        const BOOL started = CreateProcessW(exe.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, folder.c_str(), &startup, &process_);
        EXPECT_TRUE(started) << "CreateProcessW failed: " << GetLastError();
        if (!started) process_ = {};
        return started;
    }

    bool Exited() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

    // A connection to the program's server once it listens (it starts 2 s after the window).
    std::unique_ptr<sim::Gateway> ConnectWhenListening(std::chrono::milliseconds timeout)
    {
        std::unique_ptr<sim::Gateway> gateway;
        PollUntil(timeout, [&] {
            if (Exited()) return true;
            try {
                gateway = std::make_unique<sim::Gateway>(port_);
            } catch (const std::exception&) {
            }
            return gateway != nullptr;
        });
        return gateway;
    }

    HWND MainWindow(std::chrono::milliseconds timeout) const
    {
        WindowSearch search{process_.dwProcessId, nullptr};
        PollUntil(timeout, [&] {
            EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
            return search.Found != nullptr || Exited();
        });
        return search.Found;
    }

    fs::path documents_;
    fs::path settings_;
    std::optional<std::string> savedSettings_;
    std::set<fs::path> csvFiles_;
    int port_ = 0;
    PROCESS_INFORMATION process_{};
};

} // namespace

TEST_F(ProgramTest, AutostartedProgramLogsTelegramsAndWritesItsSettingsBackOnClose)
{
    const std::string port = std::to_string(port_);
    WriteSettings("[TCP]\r\nPORT=" + port + "\r\nAUTOSTART=1\r\nMASTERKEY=7C3A91E05B2F4D86A0C9E1374B5D2F68\r\n"
                  "[DB]\r\nENABLE=0\r\n");
    const fs::path csvAtStart = FreshCsvLog();
    ASSERT_TRUE(Start());

    std::unique_ptr<sim::Gateway> gateway = ConnectWhenListening(20s);
    ASSERT_FALSE(Exited()) << "the program ended on its own";
    ASSERT_TRUE(gateway) << "nothing listened on port " << port_;

    // Two records in one telegram frame, then the server ends the contact (no setup queued).
    sim::Telegram first;
    first.Year = 25;
    first.Month = 2;
    first.Day = 28;
    first.Hour = 0;
    first.Minute = 0;
    first.Second = 0;
    first.DeviceId = 0x87654321;
    sim::Telegram second;
    second.Year = 26;
    second.Month = 11;
    second.Day = 3;
    second.Hour = 17;
    second.Minute = 4;
    second.Second = 9;
    second.L = 0x2E;
    second.Rssi = 0xC4;
    const std::vector<sim::Bytes> records = {sim::Record(first), sim::Record(second)};
    gateway->Send(sim::GatewayFrame(0x19, kProgramGw, kDeriv, kDefaultMaster, sim::WmbusPayload(2, records)));
    EXPECT_TRUE(gateway->WaitClosed(10s));
    gateway.reset();

    // The log of the server's day (the day may turn while the test runs).
    const std::string expected = CsvLine(first) + CsvLine(second);
    std::string written;
    const bool logged = PollUntil(10s, [&] {
        const fs::path today = CsvLogPath(documents_, Today());
        csvFiles_.insert(today);
        for (const fs::path& csv : {csvAtStart, today}) {
            written = ReadWhole(csv);
            if (written == expected) return true;
        }
        return false;
    });
    EXPECT_TRUE(logged) << "expected:\n" << expected << "last read:\n" << written;

    // Closed as a user closes it: the running server is stopped first, then the window closes.
    const HWND window = MainWindow(10s);
    ASSERT_TRUE(window) << "no main window of the program";
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, 30000), WAIT_OBJECT_0) << "the program did not end";
    DWORD exitCode = 1;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);

    const IniContent ini = ParseIni(ReadWhole(settings_));
    EXPECT_EQ(ini.KeyCount, 13);
    const std::map<std::string, std::set<std::string>> keys = {
        {"WINDOW", {"TOP", "WIDTH", "HEIGHT", "LEFT"}},
        {"TCP", {"PORT", "AUTOSTART", "RESTART", "MASTERKEY"}},
        {"DB", {"ENABLE", "SERVER", "NAME", "USER", "PWD"}},
    };
    for (const auto& [section, names] : keys) {
        ASSERT_TRUE(ini.Sections.count(section)) << "[" << section << "] missing";
        std::set<std::string> present;
        for (const auto& entry : ini.Sections.at(section)) present.insert(entry.first);
        EXPECT_EQ(present, names) << "[" << section << "]";
    }
    EXPECT_EQ(ini.Sections.at("TCP").at("PORT"), port);
    EXPECT_EQ(ini.Sections.at("TCP").at("AUTOSTART"), "1");
    EXPECT_EQ(ini.Sections.at("TCP").at("MASTERKEY"), "7C3A91E05B2F4D86A0C9E1374B5D2F68");
    EXPECT_EQ(ini.Sections.at("DB").at("ENABLE"), "0");
}

TEST_F(ProgramTest, VersionSwitchShowsTheLibrarysBoxBeforeAnyWindowThenTheProgramRunsAsUsual)
{
    WriteSettings("[TCP]\r\nPORT=" + std::to_string(port_) + "\r\nAUTOSTART=0\r\n[DB]\r\nENABLE=0\r\n");
    ASSERT_TRUE(Start(L"/ACVER"));

    // The library's start-up shows its box before the program creates any window of its own.
    HWND box = nullptr;
    std::vector<HWND> visible;
    PollUntil(20s, [&] {
        visible = VisibleWindows(process_.dwProcessId);
        for (HWND window : visible)
            for (const auto& [child, text] : ChildTexts(window))
                if (text == L"ZozizOzudidad v15.14") box = window;
        return box != nullptr || Exited();
    });
    ASSERT_TRUE(box) << "no version box";
    EXPECT_EQ(visible, std::vector<HWND>{box}) << "the program shows another window beside the box";
    WindowSearch search{process_.dwProcessId, nullptr};
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(search.Found, nullptr) << "the main window exists while the box is up";

    HWND ok = nullptr;
    for (const auto& [child, text] : ChildTexts(box))
        if (text == L"OK") ok = child;
    ASSERT_TRUE(ok) << "no OK button on the box";
    ASSERT_TRUE(PostMessageW(ok, BM_CLICK, 0, 0));

    // Then the program starts as without the switch and ends as a user closes it.
    const HWND window = MainWindow(20s);
    ASSERT_TRUE(window) << "no main window after the box";
    EXPECT_FALSE(IsWindow(box));
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, 30000), WAIT_OBJECT_0) << "the program did not end";
    DWORD exitCode = 1;
    GetExitCodeProcess(process_.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}
