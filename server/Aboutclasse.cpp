#include "Aboutclasse.h"

#include "Files.h"
#include "SysUtils.h"

#include <windows.h>

#include <cwchar>

MyVersionInfo::MyVersionInfo() { Read(ParamStr(0)); }

MyVersionInfo::MyVersionInfo(const UnicodeString& modulePath) { Read(modulePath); }

MyVersionInfo::~MyVersionInfo() = default;

void MyVersionInfo::Read(const UnicodeString& modulePath)
{
    if (modulePath.empty()) return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(modulePath.c_str(), &ignored);
    if (size == 0) return;
    std::vector<uint8_t> data(size);
    if (!GetFileVersionInfoW(modulePath.c_str(), 0, size, data.data())) return;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value ||
        length < sizeof(uint32_t))
        return;
    // Stored as language then code page, each 16 bits little-endian.
    const auto* words = static_cast<const uint16_t*>(value);
    translation_ = (uint32_t{words[0]} << 16) | words[1];
    data_ = std::move(data);
}

bool MyVersionInfo::GetFileVersion(const wchar_t*& version) const
{
    if (data_.empty()) return false;
    wchar_t query[64];
    std::swprintf(query, 64, L"\\StringFileInfo\\%08lx\\FileVersion", static_cast<unsigned long>(translation_));
    void* value = nullptr;
    UINT length = 0;
    // VerQueryValueW does not write to the block, the cast only meets its signature.
    if (!VerQueryValueW(const_cast<uint8_t*>(data_.data()), query, &value, &length) || !value || length == 0)
        return false;
    version = static_cast<const wchar_t*>(value);
    return true;
}

UnicodeString VersionCaptionText(const UnicodeString& fileVersion)
{
    const size_t dot = fileVersion.rfind(L'.');
    const UnicodeString front = dot == UnicodeString::npos ? fileVersion : fileVersion.substr(0, dot);
    const UnicodeString build = dot == UnicodeString::npos ? UnicodeString() : fileVersion.substr(dot + 1);
    return Format(UnicodeString(L"%s (Build %s) %s"), front, build, UnicodeString());
}
