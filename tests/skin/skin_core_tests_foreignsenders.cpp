// The library command from outside: pointer arguments count only while the library itself
// delivers the command on this thread, so a message from another process (a second program of
// the test sends it) or any other stray one cannot make a skinned control read or write through
// an address it was given.
#include "PumpUntil.h"
#include "sVclUtils.h"
#include "skin_core_test_routed.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using ForeignSendersTest = RoutedTest;

fs::path SenderPath()
{
    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / L"skin_core_foreign_sender.exe";
}

// Runs the second program against the window with "code:lparam" arguments (hexadecimal) while
// this thread handles what it sends; its exit code, or -1 when it did not run or end.
int SendFromAnotherProcess(HWND window, const std::vector<std::wstring>& commands)
{
    const fs::path exe = SenderPath();
    if (!fs::exists(exe)) return -1;
    wchar_t handle[32];
    swprintf(handle, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + handle;
    for (const std::wstring& c : commands) commandLine += L" " + c;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // On the test's desktop, where its windows are.
    wchar_t desktop[256] = L"";
    GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop, sizeof(desktop), nullptr);
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    const bool ended = PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000);
    DWORD code = static_cast<DWORD>(-1);
    if (ended) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return ended ? static_cast<int>(code) : -1;
}

std::wstring Arg(WORD code, std::uintptr_t lParam)
{
    wchar_t text[48];
    swprintf(text, 48, L"%x:%llx", code, static_cast<unsigned long long>(lParam));
    return text;
}

TEST_F(ForeignSendersTest, PointerCommandsFromAnotherProcessAreIgnored)
{
    TsCtrlSkinData* data = child->SkinData.get();
    const int index = data->SkinIndex;
    ASSERT_GE(index, 0);
    // While the other program's first command is handled, the control asks its parent through
    // the library: our own send nested in a message from another process.
    TRect nested;
    LRESULT nestedAnswer = -1;
    child->OnCommand = [&](TMessage& m) {
        if (AlphaCmdCode(m.WParam) == AC_STOPTIMER) {
            m.Result = 0;
            nestedAnswer = SendAMessage(parent, AC_GETBOUNDS, reinterpret_cast<LPARAM>(&nested));
        }
    };
    // Addresses that point nowhere, for every code that writes or reads through LParam; and
    // addresses that happen to be live in this process (a stray value can hit one).
    const std::uintptr_t garbage = 0x10;
    TRect victim(1, 2, 3, 4);
    const UnicodeString low = L"PANEL_LOW";
    std::vector<std::wstring> commands{Arg(AC_STOPTIMER, 0)};
    for (WORD code : {AC_GETBOUNDS, AC_SETSECTION, AC_UPDATESECTION, AC_GETSKININDEXREC, AC_GETBG, AC_PAINTOUTER,
                      AC_GETFONTINDEX})
        commands.push_back(Arg(code, garbage));
    commands.push_back(Arg(AC_GETBOUNDS, reinterpret_cast<std::uintptr_t>(&victim)));
    commands.push_back(Arg(AC_SETSECTION, reinterpret_cast<std::uintptr_t>(&low)));
    EXPECT_EQ(SendFromAnotherProcess(child->Handle(), commands), 0) << "every command arrived and answered 0";
    EXPECT_EQ(child->Count(AC_GETBOUNDS), 2) << "the commands reached the control";
    EXPECT_EQ(child->Count(AC_SETSECTION), 2);
    EXPECT_EQ(victim, TRect(1, 2, 3, 4)) << "nothing written into this process";
    EXPECT_EQ(data->SkinIndex, index) << "the section did not change";
    EXPECT_EQ(nestedAnswer, 0);
    EXPECT_EQ(nested, parent->BoundsRect()) << "our own send inside the foreign message was answered";

    // Outside any of the library's deliveries a pointer is not used either.
    TRect untouched(1, 2, 3, 4);
    child->Perform(SM_ALPHACMD, MakeAlphaCmd(AC_GETBOUNDS), reinterpret_cast<LPARAM>(&untouched));
    EXPECT_EQ(untouched, TRect(1, 2, 3, 4));

    // The library's own sends still work.
    TRect bounds;
    SendAMessage(child, AC_GETBOUNDS, reinterpret_cast<LPARAM>(&bounds));
    EXPECT_EQ(bounds, child->BoundsRect());
    TrySetSkinSection(child, L"PANEL_LOW");
    EXPECT_EQ(data->SkinIndex, manager->GetSkinIndex(L"PANEL_LOW"));
}

} // namespace
