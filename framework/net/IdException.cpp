#include "IdException.h"

#include <windows.h>

namespace {
std::wstring SystemText(int code)
{
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0,
                             nullptr);
    std::wstring result;
    if (n != 0 && text != nullptr) result.assign(text, n);
    if (text != nullptr) LocalFree(text);
    while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    return result;
}

std::wstring SocketErrorMessage(int code)
{
    std::wstring message = L"Socket Error # " + std::to_wstring(code);
    std::wstring text = SystemText(code);
    if (!text.empty()) message += L"\r\n" + text;
    return message;
}
} // namespace

EIdSocketError::EIdSocketError(int lastError)
    : EIdException(SocketErrorMessage(lastError)), lastError_(lastError)
{
}

EIdSocketError::EIdSocketError(int lastError, std::wstring message)
    : EIdException(std::move(message)), lastError_(lastError)
{
}
