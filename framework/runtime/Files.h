#pragma once
// Files, folders, paths and the command line. windows.h comes first so that its DeleteFile
// macro is gone for good in every unit that sees ours; Win32 callers use DeleteFileW by name.
#include <windows.h>
#ifdef DeleteFile
#undef DeleteFile
#endif

#include "Encoding.h"
#include "Strings.h"

#include <optional>

// File attributes as FindFirst reports and filters them.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faVolumeID = 0x08;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faNormal = 0x80;
inline constexpr int faAnyFile = 0x1FF;

bool FileExists(const UnicodeString& fileName);
bool DirectoryExists(const UnicodeString& directory);
bool CreateDir(const UnicodeString& directory);
// Creates directory with every missing parent; true when it exists afterwards. A folder another
// thread created meanwhile counts as success. An empty name raises EInOutError.
bool ForceDirectories(const UnicodeString& directory);
bool DeleteFile(const UnicodeString& fileName);

// Path parts split at the last '\' or ':'. The extension includes its point.
UnicodeString ExtractFilePath(const UnicodeString& fileName);
UnicodeString ExtractFileName(const UnicodeString& fileName);
UnicodeString ExtractFileExt(const UnicodeString& fileName);
UnicodeString ChangeFileExt(const UnicodeString& fileName, const UnicodeString& extension);
UnicodeString ExpandFileName(const UnicodeString& fileName);

// ParamStr(0) is the program's full path; 1..ParamCount the arguments, quotes removed.
// Out of range gives "".
UnicodeString ParamStr(int index);
int ParamCount();
// Test seam: a set command line (the program's name first, as the system gives it) replaces the
// system's for ParamStr(1...) and ParamCount until it is reset with nullopt.
void SetCommandLineOverride(std::optional<UnicodeString> commandLine);
// Test seam: a set path replaces the program's own for ParamStr(0) until it is reset with
// nullopt, so code that works relative to the program's folder can be tested anywhere.
void SetProgramPathOverride(std::optional<UnicodeString> path);

// Directory listing in the order the system returns entries ("." and ".." included).
// Entries with the hidden, system or directory attribute are listed only when attr asks for them.
struct TSearchRec {
    UnicodeString Name;
    long long Size = 0;
    int Attr = 0;
    FILETIME LastWriteTime{};
    int ExcludeAttr = 0;
    HANDLE FindHandle = INVALID_HANDLE_VALUE;
};
// 0 when an entry was found, else the system error code. FindClose is needed after success only.
int FindFirst(const UnicodeString& path, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

class TPath {
public:
    // The all-users documents folder (CSIDL_COMMON_DOCUMENTS), without a trailing separator; the
    // system is asked once per process.
    static UnicodeString GetSharedDocumentsPath();
    // Test seam: a set value replaces the system's folder until it is reset with nullopt.
    static void SetSharedDocumentsPathOverride(std::optional<UnicodeString> path);
};

class TFile {
public:
    // Whole content; raises EFOpenError when the file cannot be opened, EReadError on a failed
    // read. Writers may keep the file open meanwhile.
    static TBytes ReadAllBytes(const UnicodeString& path);
    // Appends text in the ANSI code page without a byte-order mark, creating the file when
    // missing. The 8-bit overload writes its bytes unchanged. Raises EFOpenError when the file
    // cannot be opened, EWriteError when the write fails. Callers serialise appends to one file.
    static void AppendAllText(const UnicodeString& path, const UnicodeString& text);
    static void AppendAllText(const UnicodeString& path, const AnsiString& text);
};

// The system's text for an error code (trailing line break removed).
UnicodeString SystemErrorText(DWORD code);
