#pragma once
// Fixture of the main window tests: the program's three windows created in-process as the entry
// function creates them, a private shared-documents folder (so the settings file, the logs and
// the setups of every test are its own), recording dialog, help and relaunch hooks, and a
// clock the test may set.
#include "../setup/setup_tests_support.h"
#include "PumpUntil.h"
#include "Dialogs.h"
#include "Files.h"
#include "Forms.h"
#include "GatewaySetup.h"
#include "IniFiles.h"
#include "Marlindo.h"
#include "RAWimport.h"
#include "StringList.h"
#include "Themes.h"
#include "Threads.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>
#include <utility>
#include <vector>

namespace mainwindow_test {

inline std::vector<TDialogRequest>& Dialogs()
{
    static std::vector<TDialogRequest> list;
    return list;
}

inline TModalResult RecordDialog(const TDialogRequest& request)
{
    Dialogs().push_back(request);
    return mrOk;
}

struct HelpCall {
    UnicodeString File;
    WORD Command;
    intptr_t Data;
};
inline std::vector<HelpCall>& HelpCalls()
{
    static std::vector<HelpCall> list;
    return list;
}
inline bool RecordHelp(HWND, const UnicodeString& file, WORD command, intptr_t data)
{
    HelpCalls().push_back({file, command, data});
    return true;
}

// A relaunch as the program asked for it, and whether the settings file had been written by then.
struct Relaunch {
    UnicodeString Path;
    bool SettingsWritten;
};
inline std::vector<Relaunch>& Relaunches()
{
    static std::vector<Relaunch> list;
    return list;
}
inline UnicodeString& SettingsPathForRelaunch()
{
    static UnicodeString path;
    return path;
}
inline bool RecordRelaunch(const UnicodeString& path)
{
    Relaunches().push_back({path, FileExists(SettingsPathForRelaunch())});
    return true;
}

// The clock of the window while a test runs it (Now()).
using test_support::g_now;
using test_support::TestNow;

inline std::string Utf8(const UnicodeString& text) { return UnicodeToUtf8(text); }

inline bool StartsWith(const UnicodeString& text, const UnicodeString& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}
inline bool EndsWith(const UnicodeString& text, const UnicodeString& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A port no one listens on at the moment (the system's choice for a socket bound to port 0).
inline int FreePort()
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    WSACleanup();
    return ntohs(address.sin_port);
}

// Whether something accepts a connection on 127.0.0.1:port.
inline bool Accepts(int port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    closesocket(s);
    WSACleanup();
    return ok;
}

// The folder of the build (the test program lies in <build>\tests\server).
inline std::filesystem::path BuildFolder()
{
    return std::filesystem::path(ParamStr(0)).parent_path().parent_path().parent_path();
}

inline std::filesystem::path ProgramFile() { return BuildFolder() / L"server" / L"WMBusMarlindo.exe"; }

// Keys of all sections of an INI file.
inline int KeyCount(const std::filesystem::path& file)
{
    TMemIniFile ini(file.wstring());
    TStringList sections;
    ini.ReadSections(&sections);
    int count = 0;
    for (int i = 0; i < sections.Count(); ++i) {
        TStringList keys;
        ini.ReadSection(sections.Strings(i), &keys);
        count += keys.Count();
    }
    return count;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitControls();
        Dialogs().clear();
        HelpCalls().clear();
        Relaunches().clear();
        previousHook_ = SetDialogHook(&RecordDialog);
        previousViewer_ = SetHelpViewer(&RecordHelp);
        previousRelaunch_ = SetRelaunchFunction(&RecordRelaunch);
        previousClock_ = SetClock(nullptr);
        SetClock(previousClock_);

        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static std::atomic<int> serial{0};
        documents_ = std::filesystem::path(temp) / (L"mainwindow_test_" + std::to_wstring(GetCurrentProcessId()) +
                                                    L"_" + std::to_wstring(serial++));
        std::filesystem::create_directories(documents_);
        TPath::SetSharedDocumentsPathOverride(documents_.wstring());
        SettingsPathForRelaunch() = SettingsPath().wstring();
    }

    void TearDown() override
    {
        DoneControls();
        DrainQueue();
        TStyleManager::TrySetStyle(L"Windows");
        SetDialogHook(previousHook_);
        SetHelpViewer(previousViewer_);
        SetRelaunchFunction(previousRelaunch_);
        SetClock(previousClock_);
        TPath::SetSharedDocumentsPathOverride(std::nullopt);
        std::error_code ignored;
        std::filesystem::remove_all(documents_, ignored);
    }

    // The program's start-up order: main window, setup dialog, RAW import window.
    TFormSRV& CreateForms()
    {
        Application->CreateForm(FormSRV);
        Application->CreateForm(FormGWsetup);
        Application->CreateForm(FormImportRAW);
        return *FormSRV;
    }

    std::filesystem::path SettingsPath() const { return documents_ / L"VELMORA" / SettingsFileName(); }
    std::filesystem::path SetupFolder() const { return documents_ / L"VELMORA" / L"W_MBUS_SRV_GWSETUPS"; }

    // Writes settings before the window is created: {section, key} -> value.
    void WriteSettings(const std::map<std::pair<UnicodeString, UnicodeString>, UnicodeString>& values)
    {
        std::filesystem::create_directories(SettingsPath().parent_path());
        TIniFile ini(SettingsPath().wstring());
        for (const auto& [key, value] : values) ini.WriteString(key.first, key.second, value);
    }

    UnicodeString Setting(const wchar_t* section, const wchar_t* key) const
    {
        return TMemIniFile(SettingsPath().wstring()).ReadString(section, key, L"<missing>");
    }

    void UseTestClock(TDateTime now)
    {
        g_now = now;
        SetClock(&TestNow);
    }

    static UnicodeString Panel(TFormSRV& form, int index) { return form.StatusBar->Panels()->Items(index)->Text(); }

    // The windows, the main one with a port no one listens on yet in EditPort (port_).

    TFormSRV& CreateWithPort()
    {
        port_ = FreePort();
        TFormSRV& form = CreateForms();
        form.EditPort->SetText(IntToStr(port_));
        return form;
    }

    void ExpectSwitchedOff(TFormSRV& form)
    {
        EXPECT_FALSE(form.ToggleSwitch1->IsOn());
        EXPECT_TRUE(form.ToggleSwitch1->Enabled());
        EXPECT_FALSE(form.IdTCPServer1->Active());
        EXPECT_TRUE(form.EditPort->Enabled());
        EXPECT_TRUE(form.EditMasterKey->Enabled());
        EXPECT_FALSE(form.CTrayIcon1->Animate());
        EXPECT_EQ(Panel(form, 1), L"Server inactiv");
    }

    int port_ = 0;

    std::filesystem::path documents_;

private:
    TDialogHook previousHook_ = nullptr;
    THelpViewer previousViewer_ = nullptr;
    TRelaunchFunction previousRelaunch_ = nullptr;
    TClockFunction previousClock_ = nullptr;
};

} // namespace mainwindow_test
