#pragma once
// Runs a shell command on the Linux side from a test under Wine, for what a Windows process
// cannot do there (starting and stopping a MariaDB of the test's own). Wine starts a Linux
// program through CreateProcess, but the handle it returns cannot be waited for: the command
// writes its exit code to a file that the caller polls for until a deadline, running pump
// (the test's main-thread work) meanwhile.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace linux_shell {

// A Linux path as Wine's Z: drive shows it.
inline std::filesystem::path WindowsView(const std::string& linuxPath)
{
    std::wstring path = L"Z:";
    for (const char c : linuxPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

// Runs command with sh -c (it must hold no double quote); statusFile is a Linux path of the
// caller's. Returns the exit code, or -1 when it could not be started or did not end in time.
inline int Run(const std::string& command, const std::string& statusFile, std::chrono::seconds timeout,
               const std::function<void()>& pump)
{
    const auto status = WindowsView(statusFile);
    std::error_code ignored;
    std::filesystem::remove(status, ignored);
    const std::string script = "( " + command + " ) </dev/null >/dev/null 2>&1; echo $? >" + statusFile +
                               ".part && mv " + statusFile + ".part " + statusFile;
    std::wstring line = L"Z:\\bin\\sh -c \"";
    for (const char c : script) line += static_cast<wchar_t>(static_cast<unsigned char>(c));
    line += L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(status)) {
            int code = -1;
            std::ifstream(status) >> code;
            return code;
        }
        pump();
    }
    return -1;
}

} // namespace linux_shell
