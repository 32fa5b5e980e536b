#include "Exceptions.h"

#include <windows.h>

#include <cwchar>

namespace {
std::string Narrow(const std::wstring& text)
{
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}
} // namespace

Exception::Exception(std::wstring message) : message_(std::move(message)), what_(Narrow(message_)) {}

void Exception::SetMessage(std::wstring message)
{
    message_ = std::move(message);
    what_ = Narrow(message_);
}

void RaiseOleSysError(long errorCode)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(errorCode), 0, reinterpret_cast<wchar_t*>(&text), 0,
                                   nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) {
        wchar_t buffer[48];
        swprintf(buffer, 48, L"OLE error %08X", static_cast<unsigned>(errorCode));
        message = buffer;
    }
    throw EOleSysError(std::move(message), errorCode);
}

void RaiseRangeError() { throw ERangeError(SRangeError); }
