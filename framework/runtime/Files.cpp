#include "Files.h"

#include "Exceptions.h"

#include <shlobj.h>

#include <mutex>
#include <vector>

namespace {
std::mutex sharedDocsMutex;
std::optional<UnicodeString> sharedDocsOverride;
// The system's answer, asked once: under Wine each lookup costs about ten server requests and
// a registry write, and contacts ask for it per frame.
std::optional<UnicodeString> sharedDocsSystem;
std::mutex commandLineMutex;
std::optional<UnicodeString> commandLineOverride;
std::optional<UnicodeString> programPathOverride;

// Index of the last '\' or ':' (npos when none).
size_t LastPathDelimiter(const UnicodeString& fileName) { return fileName.find_last_of(L"\\:"); }

// Index of the extension's point, npos when the name part has none.
size_t ExtensionPoint(const UnicodeString& fileName)
{
    const size_t p = fileName.find_last_of(L".\\:");
    return p != UnicodeString::npos && fileName[p] == L'.' ? p : UnicodeString::npos;
}

bool AttributesMatch(const WIN32_FIND_DATAW& data, int excludeAttr)
{
    return (static_cast<int>(data.dwFileAttributes) & excludeAttr) == 0;
}

void Fill(TSearchRec& rec, const WIN32_FIND_DATAW& data)
{
    rec.Name = data.cFileName;
    rec.Size = static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    rec.Attr = static_cast<int>(data.dwFileAttributes);
    rec.LastWriteTime = data.ftLastWriteTime;
}

// Advances to the next entry the record's attribute filter admits; 0 or the error code.
int NextMatching(TSearchRec& rec, WIN32_FIND_DATAW& data)
{
    while (!AttributesMatch(data, rec.ExcludeAttr)) {
        if (!FindNextFileW(rec.FindHandle, &data)) return static_cast<int>(GetLastError());
    }
    Fill(rec, data);
    return 0;
}

void AppendBytes(const UnicodeString& path, const void* data, size_t size)
{
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        throw EFOpenError(L"Cannot open file \"" + path + L"\". " + SystemErrorText(err));
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    bool ok = true;
    DWORD err = 0;
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(h, p, chunk, &written, nullptr) || written == 0) {
            err = GetLastError();
            ok = false;
            break;
        }
        p += written;
        size -= written;
    }
    CloseHandle(h);
    if (!ok) throw EWriteError(L"Stream write error: " + path + L". " + SystemErrorText(err));
}
} // namespace

UnicodeString SystemErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UnicodeString text = n && buffer ? UnicodeString(buffer, n) : L"System error " + std::to_wstring(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

bool FileExists(const UnicodeString& fileName)
{
    const DWORD attr = GetFileAttributesW(fileName.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const UnicodeString& directory)
{
    const DWORD attr = GetFileAttributesW(directory.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const UnicodeString& directory) { return CreateDirectoryW(directory.c_str(), nullptr) != FALSE; }

bool ForceDirectories(const UnicodeString& directory)
{
    if (directory.empty()) throw EInOutError(L"Unable to create directory");
    auto withoutTrailingDelimiter = [](UnicodeString dir) {
        while (dir.size() > 1 && dir.back() == L'\\') dir.pop_back();
        return dir;
    };
    // Walk up to the first folder that exists (or a root), then create downwards.
    std::vector<UnicodeString> missing;
    UnicodeString dir = withoutTrailingDelimiter(directory);
    while (!dir.empty() && !DirectoryExists(dir) && ExtractFilePath(dir) != dir) {
        missing.push_back(dir);
        dir = withoutTrailingDelimiter(ExtractFilePath(dir));
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // Several threads may build the same folder at once; the loser still has its folder.
        if (!CreateDir(*it) && !DirectoryExists(*it)) return false;
    }
    return true;
}

bool DeleteFile(const UnicodeString& fileName) { return DeleteFileW(fileName.c_str()) != FALSE; }

UnicodeString ExtractFilePath(const UnicodeString& fileName)
{
    const size_t p = LastPathDelimiter(fileName);
    return p == UnicodeString::npos ? UnicodeString() : fileName.substr(0, p + 1);
}

UnicodeString ExtractFileName(const UnicodeString& fileName)
{
    const size_t p = LastPathDelimiter(fileName);
    return p == UnicodeString::npos ? fileName : fileName.substr(p + 1);
}

UnicodeString ExtractFileExt(const UnicodeString& fileName)
{
    const size_t p = ExtensionPoint(fileName);
    return p == UnicodeString::npos ? UnicodeString() : fileName.substr(p);
}

UnicodeString ChangeFileExt(const UnicodeString& fileName, const UnicodeString& extension)
{
    const size_t p = ExtensionPoint(fileName);
    return (p == UnicodeString::npos ? fileName : fileName.substr(0, p)) + extension;
}

UnicodeString ExpandFileName(const UnicodeString& fileName)
{
    if (fileName.empty()) return {};
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0) return fileName;
        if (n < buffer.size()) return UnicodeString(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

namespace {
UnicodeString ModuleFileName()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return UnicodeString(buffer.data(), n);
        if (buffer.size() >= 32768) return UnicodeString(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

// Splits the command line: blanks separate, double quotes group and are removed.
std::vector<UnicodeString> CommandLineArgs()
{
    std::vector<UnicodeString> args;
    std::optional<UnicodeString> overridden;
    {
        std::lock_guard lock(commandLineMutex);
        overridden = commandLineOverride;
    }
    const wchar_t* p = overridden ? overridden->c_str() : GetCommandLineW();
    if (!p) return args;
    for (;;) {
        while (*p && *p <= L' ') ++p;
        if (!*p) break;
        UnicodeString arg;
        bool quoted = false;
        while (*p && (quoted || *p > L' ')) {
            if (*p == L'"') quoted = !quoted;
            else arg.push_back(*p);
            ++p;
        }
        args.push_back(std::move(arg));
    }
    return args;
}
} // namespace

UnicodeString ParamStr(int index)
{
    if (index == 0) {
        std::lock_guard lock(commandLineMutex);
        if (programPathOverride) return *programPathOverride;
        return ModuleFileName();
    }
    const auto args = CommandLineArgs();
    if (index < 0 || static_cast<size_t>(index) >= args.size()) return {};
    return args[static_cast<size_t>(index)];
}

int ParamCount()
{
    const auto args = CommandLineArgs();
    return args.empty() ? 0 : static_cast<int>(args.size()) - 1;
}

void SetCommandLineOverride(std::optional<UnicodeString> commandLine)
{
    std::lock_guard lock(commandLineMutex);
    commandLineOverride = std::move(commandLine);
}

void SetProgramPathOverride(std::optional<UnicodeString> path)
{
    std::lock_guard lock(commandLineMutex);
    programPathOverride = std::move(path);
}

int FindFirst(const UnicodeString& path, int attr, TSearchRec& rec)
{
    constexpr int faSpecial = faHidden | faSysFile | faDirectory;
    rec.ExcludeAttr = ~attr & faSpecial;
    WIN32_FIND_DATAW data{};
    rec.FindHandle = FindFirstFileW(path.c_str(), &data);
    if (rec.FindHandle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
    const int result = NextMatching(rec, data);
    if (result != 0) FindClose(rec);
    return result;
}

int FindNext(TSearchRec& rec)
{
    if (rec.FindHandle == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    WIN32_FIND_DATAW data{};
    if (!FindNextFileW(rec.FindHandle, &data)) return static_cast<int>(GetLastError());
    return NextMatching(rec, data);
}

void FindClose(TSearchRec& rec)
{
    if (rec.FindHandle != INVALID_HANDLE_VALUE) ::FindClose(rec.FindHandle);
    rec.FindHandle = INVALID_HANDLE_VALUE;
}

UnicodeString TPath::GetSharedDocumentsPath()
{
    {
        std::lock_guard lock(sharedDocsMutex);
        if (sharedDocsOverride) return *sharedDocsOverride;
        if (sharedDocsSystem) return *sharedDocsSystem;
    }
    wchar_t buffer[MAX_PATH] = {};
    // A failure is not kept, so the next call asks again.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_DOCUMENTS, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    std::lock_guard lock(sharedDocsMutex);
    if (!sharedDocsSystem) sharedDocsSystem = UnicodeString(buffer);
    return *sharedDocsSystem;
}

void TPath::SetSharedDocumentsPathOverride(std::optional<UnicodeString> path)
{
    std::lock_guard lock(sharedDocsMutex);
    sharedDocsOverride = std::move(path);
}

TBytes TFile::ReadAllBytes(const UnicodeString& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        throw EFOpenError(L"Cannot open file \"" + path + L"\". " + SystemErrorText(err));
    }
    TBytes bytes;
    constexpr DWORD chunk = 1 << 16;
    for (;;) {
        const size_t old = bytes.size();
        bytes.resize(old + chunk);
        DWORD got = 0;
        if (!ReadFile(h, bytes.data() + old, chunk, &got, nullptr)) {
            const DWORD err = GetLastError();
            CloseHandle(h);
            throw EReadError(L"Stream read error: " + path + L". " + SystemErrorText(err));
        }
        bytes.resize(old + got);
        if (got == 0) break;
    }
    CloseHandle(h);
    return bytes;
}

void TFile::AppendAllText(const UnicodeString& path, const UnicodeString& text)
{
    const TBytes bytes = TEncoding::ANSI->GetBytes(text);
    AppendBytes(path, bytes.data(), bytes.size());
}

void TFile::AppendAllText(const UnicodeString& path, const AnsiString& text)
{
    AppendBytes(path, text.data(), text.size());
}
