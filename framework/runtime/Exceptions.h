#pragma once
// Exception hierarchy of the runtime layer. Every exception carries a message and reports the
// class name the program shows to the operator.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message = {});
    ~Exception() override = default;

    const std::wstring& Message() const noexcept { return message_; }
    void SetMessage(std::wstring message);
    virtual std::wstring ClassName() const { return L"Exception"; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::wstring message_;
    std::string what_;
};

#define FW_DECLARE_EXCEPTION(Name, Base)                                     \
    class Name : public Base {                                               \
    public:                                                                  \
        using Base::Base;                                                    \
        std::wstring ClassName() const override { return L## #Name; }        \
    }

FW_DECLARE_EXCEPTION(EAbort, Exception);
FW_DECLARE_EXCEPTION(EConvertError, Exception);
FW_DECLARE_EXCEPTION(ERangeError, Exception);
FW_DECLARE_EXCEPTION(EListError, Exception);
FW_DECLARE_EXCEPTION(EInOutError, Exception);
FW_DECLARE_EXCEPTION(EFCreateError, EInOutError);
FW_DECLARE_EXCEPTION(EFOpenError, EInOutError);
FW_DECLARE_EXCEPTION(EStreamError, Exception);
FW_DECLARE_EXCEPTION(EReadError, EStreamError);
FW_DECLARE_EXCEPTION(EWriteError, EStreamError);
FW_DECLARE_EXCEPTION(EIniFileException, Exception);
FW_DECLARE_EXCEPTION(EThread, Exception);
FW_DECLARE_EXCEPTION(EOSError, Exception);
FW_DECLARE_EXCEPTION(EComponentError, Exception);
FW_DECLARE_EXCEPTION(EPropertyError, Exception);
FW_DECLARE_EXCEPTION(EPropertyConvertError, Exception);

// A failed COM or OLE call, with its result code.
class EOleSysError : public Exception {
public:
    EOleSysError(std::wstring message, long errorCode) : Exception(std::move(message)), errorCode_(errorCode) {}
    std::wstring ClassName() const override { return L"EOleSysError"; }
    // The HRESULT of the failed call.
    long ErrorCode() const noexcept { return errorCode_; }

private:
    long errorCode_;
};
// Raises EOleSysError with the system's text for errorCode.
[[noreturn]] void RaiseOleSysError(long errorCode);

// Message text of the range-check error raised by checked string and array indexing.
inline constexpr const wchar_t* SRangeError = L"Range check error";

[[noreturn]] void RaiseRangeError();
