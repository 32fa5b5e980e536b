#include "LogFileAppend.h"

#include "Files.h"

#include <mutex>

namespace {
constexpr int AppendAttempts = 3;

std::mutex& AppendLock()
{
    static std::mutex lock;
    return lock;
}

TLogFileWriter& TestWriter()
{
    static TLogFileWriter writer;
    return writer;
}
} // namespace

void SetLogFileWriterForTests(TLogFileWriter writer)
{
    std::lock_guard<std::mutex> guard(AppendLock());
    TestWriter() = std::move(writer);
}

void AppendLogFileText(const UnicodeString& path, const AnsiString& text)
{
    std::lock_guard<std::mutex> guard(AppendLock());
    for (int attempt = 1;; ++attempt) {
        try {
            if (TestWriter())
                TestWriter()(path, text);
            else
                TFile::AppendAllText(path, text);
            return;
        } catch (...) {
            if (attempt >= AppendAttempts) throw;
        }
    }
}
