#pragma once
// A fresh folder under the system temp folder for tests that write files; removed with its
// content when the object goes away.
#include "Strings.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class TestTempDir {
public:
    TestTempDir()
    {
        static std::atomic<unsigned> counter{0};
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        for (;;) {
            path_ = UnicodeString(base) + L"fwtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
            if (CreateDirectoryW(path_.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS) break;
        }
    }
    ~TestTempDir() { RemoveTree(path_); }
    TestTempDir(const TestTempDir&) = delete;
    TestTempDir& operator=(const TestTempDir&) = delete;

    const UnicodeString& Path() const { return path_; }
    UnicodeString File(const UnicodeString& name) const { return path_ + L"\\" + name; }

    // Writes bytes to a file in the folder and returns its path.
    UnicodeString Write(const UnicodeString& name, const std::vector<std::uint8_t>& bytes) const
    {
        const UnicodeString p = File(name);
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(h);
        }
        return p;
    }
    UnicodeString Write(const UnicodeString& name, const std::string& bytes) const
    {
        return Write(name, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }

    // Raw bytes of a file ("" when it cannot be read).
    std::string Read(const UnicodeString& name) const
    {
        std::string out;
        HANDLE h = CreateFileW(File(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return out;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
        CloseHandle(h);
        return out;
    }

private:
    static void RemoveTree(const UnicodeString& dir) noexcept
    {
        if (dir.empty()) return;
        WIN32_FIND_DATAW data;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const UnicodeString name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const UnicodeString full = dir + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
                else {
                    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(h, &data));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }

    UnicodeString path_;
};
