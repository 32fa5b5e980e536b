#include "Exceptions.h"

#include <windows.h>

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

void RaiseRangeError() { throw ERangeError(SRangeError); }
