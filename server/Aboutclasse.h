#pragma once
// The version resource of a program file, read through the wide version API. The main window
// shows its "FileVersion" text in the caption and on the "Info" page.
#include "Strings.h"

#include <cstdint>
#include <vector>

class MyVersionInfo {
public:
    // The running program's own file.
    MyVersionInfo();
    // Any module file, for example a program that is not running.
    explicit MyVersionInfo(const UnicodeString& modulePath);
    virtual ~MyVersionInfo();

    MyVersionInfo(const MyVersionInfo&) = delete;
    MyVersionInfo& operator=(const MyVersionInfo&) = delete;

    // True and version pointing into the version data (valid while this object lives) when the
    // data hold a "FileVersion" string for their first translation.
    bool GetFileVersion(const wchar_t*& version) const;

    // Language in the high word, code page in the low word; 0 without version data.
    uint32_t Translation() const { return translation_; }

private:
    void Read(const UnicodeString& modulePath);

    std::vector<uint8_t> data_; // the version data; empty when there are none
    uint32_t translation_ = 0;
};

// "4.9.2 (Build 2) " for "4.9.2.2": the text up to the last '.', the rest as the build number,
// and one trailing blank. Without a '.' the whole text is the front part and the build is empty.
UnicodeString VersionCaptionText(const UnicodeString& fileVersion);
