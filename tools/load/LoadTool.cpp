// Load tool for the gateway server: many simulated gateways, each contact a new connection that
// sends one telegram frame and waits until the server closes, as gateways report. It prints
// contacts per second, telegrams per second, latency percentiles and errors, and the server
// process's CPU time and working set when it runs as WMBusMarlindo.exe (or the process named by
// MARLINDO_LOAD_PROCESS) under the same Wine. A trivial thread-per-connection server is built
// in, as a yardstick.
//
//   marlindo-load trivial <port>
//       serves until its standard input ends: reads one frame, answers 16 bytes, closes
//   marlindo-load run <port> <contacts> <parallel> [telegrams=10] [gateways=50]
//       exit code 0 when every contact was served
//   marlindo-load hold <port> <connections>
//       opens that many connections at once and keeps them silent while it samples the
//       server's working set; then closes them
#include "server_tests_contact_sim.h"

#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The program's default master key.
const sim::MasterKeyBytes kMaster = {0x7C, 0x3A, 0x91, 0xE0, 0x5B, 0x2F, 0x4D, 0x86,
                                     0xA0, 0xC9, 0xE1, 0x37, 0x4B, 0x5D, 0x2F, 0x68};
const sim::DerivationBytes kDeriv = {0x31, 0x4C, 0x07, 0xD2};

struct Winsock {
    Winsock()
    {
        WSADATA data{};
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

// ---------------------------------------------------------------------------------------------
// Trivial server

bool RecvAll(SOCKET s, char* data, int length)
{
    while (length > 0) {
        const int n = recv(s, data, length, 0);
        if (n <= 0) return false;
        data += n;
        length -= n;
    }
    return true;
}

DWORD WINAPI TrivialConnection(void* param)
{
    const SOCKET s = reinterpret_cast<SOCKET>(param);
    char header[2];
    if (RecvAll(s, header, 2)) {
        const int length = (static_cast<unsigned char>(header[0]) << 8) | static_cast<unsigned char>(header[1]);
        std::vector<char> rest(static_cast<size_t>(std::max(length - 2, 0)));
        if (rest.empty() || RecvAll(s, rest.data(), static_cast<int>(rest.size()))) {
            char reply[16] = {};
            send(s, reply, sizeof(reply), 0);
        }
    }
    shutdown(s, SD_BOTH);
    closesocket(s);
    return 0;
}

DWORD WINAPI TrivialAcceptLoop(void* param)
{
    const SOCKET listener = reinterpret_cast<SOCKET>(param);
    for (;;) {
        const SOCKET s = accept(listener, nullptr, nullptr);
        if (s == INVALID_SOCKET) {
            if (WSAGetLastError() == WSAENOTSOCK || WSAGetLastError() == WSAEINVAL) return 0;
            continue;
        }
        BOOL on = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
        const HANDLE thread = CreateThread(nullptr, 0, TrivialConnection, reinterpret_cast<void*>(s), 0, nullptr);
        if (thread)
            CloseHandle(thread);
        else
            closesocket(s);
    }
}

int RunTrivial(int port)
{
    Winsock winsock;
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener, SOMAXCONN) != 0) {
        std::fprintf(stderr, "trivial server: cannot listen on %d\n", port);
        return 2;
    }
    const HANDLE thread = CreateThread(nullptr, 0, TrivialAcceptLoop, reinterpret_cast<void*>(listener), 0, nullptr);
    std::printf("listening on %d\n", port);
    std::fflush(stdout);
    // Serves until standard input ends (the script that started it closes it).
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    }
    closesocket(listener);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The server process's figures

class ServerProcess {
public:
    ServerProcess()
    {
        const wchar_t* name = _wgetenv(L"MARLINDO_LOAD_PROCESS");
        const std::wstring wanted = name && *name ? name : L"WMBusMarlindo.exe";
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (_wcsicmp(entry.szExeFile, wanted.c_str()) != 0) continue;
            process_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
            if (!process_) process_ = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
            break;
        }
        CloseHandle(snapshot);
    }
    ~ServerProcess()
    {
        if (process_) CloseHandle(process_);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Found() const { return process_ != nullptr; }
    // User and kernel time so far, in milliseconds.
    double CpuMs() const
    {
        FILETIME created, exited, kernel, user;
        if (!process_ || !GetProcessTimes(process_, &created, &exited, &kernel, &user)) return 0;
        auto ms = [](const FILETIME& t) {
            return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
        };
        return ms(kernel) + ms(user);
    }
    // Working set and its peak, in MiB.
    std::pair<double, double> WorkingSetMiB() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        if (!process_ || !GetProcessMemoryInfo(process_, &counters, sizeof(counters))) return {0, 0};
        return {counters.WorkingSetSize / 1048576.0, counters.PeakWorkingSetSize / 1048576.0};
    }

private:
    HANDLE process_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Load

struct Result {
    std::vector<double> latenciesMs;
    int errors = 0;
    int connectRetries = 0;
    // Connects that took a second or more: the listen queue was full and the handshake was
    // retried by the client's TCP stack.
    int slowConnects = 0;
};

// One contact: connect (retrying refusals until the deadline), send, wait for the close.
bool Contact(int port, const sim::Bytes& frame, double& latencyMs, int& retries, int& slowConnects)
{
    const auto start = Clock::now();
    const auto deadline = start + 30s;
    for (;;) {
        try {
            const auto connectStart = Clock::now();
            sim::Gateway gateway(port);
            if (Clock::now() - connectStart >= 900ms) ++slowConnects;
            gateway.Send(frame);
            sim::Bytes reply;
            if (!gateway.WaitClosed(30s, &reply)) return false;
            latencyMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            return true;
        } catch (const std::exception&) {
            if (Clock::now() >= deadline) return false;
            ++retries;
            std::this_thread::sleep_for(10ms);  // pacing of a gateway that reconnects
        }
    }
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
    return values[index];
}

int RunLoad(int port, int contacts, int parallel, int telegrams, int gateways)
{
    // One frame per simulated gateway, made before the clock starts.
    std::vector<sim::Bytes> frames;
    for (int g = 0; g < gateways; ++g) {
        const sim::GatewayIdBytes id = {0x5E, static_cast<uint8_t>(0x40 + g / 256), static_cast<uint8_t>(g % 256)};
        std::vector<sim::Bytes> records;
        for (int t = 0; t < telegrams; ++t) {
            sim::Telegram telegram;
            telegram.Second = static_cast<uint8_t>(t % 60);
            telegram.DeviceId = 0x10000000u + static_cast<uint32_t>(g * 100 + t);
            records.push_back(sim::Record(telegram));
        }
        frames.push_back(sim::GatewayFrame(0x19, id, kDeriv, kMaster,
                                           sim::WmbusPayload(static_cast<uint8_t>(telegrams), records)));
    }

    std::atomic<int> next{0};
    std::mutex mutex;
    Result total;
    const ServerProcess server;
    const double cpuBefore = server.CpuMs();
    const auto start = Clock::now();
    std::vector<std::thread> workers;
    for (int w = 0; w < parallel; ++w) {
        workers.emplace_back([&] {
            Result mine;
            for (int i = next++; i < contacts; i = next++) {
                double latency = 0;
                if (Contact(port, frames[static_cast<size_t>(i % gateways)], latency, mine.connectRetries,
                            mine.slowConnects))
                    mine.latenciesMs.push_back(latency);
                else
                    ++mine.errors;
            }
            std::lock_guard<std::mutex> lock(mutex);
            total.latenciesMs.insert(total.latenciesMs.end(), mine.latenciesMs.begin(), mine.latenciesMs.end());
            total.errors += mine.errors;
            total.connectRetries += mine.connectRetries;
            total.slowConnects += mine.slowConnects;
        });
    }
    for (auto& w : workers) w.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double served = static_cast<double>(total.latenciesMs.size());
    std::printf("contacts %d parallel %d: served %d errors %d connect-retries %d slow-connects %d in %.2f s\n",
                contacts, parallel, static_cast<int>(served), total.errors, total.connectRetries, total.slowConnects,
                seconds);
    std::printf("  %.1f contacts/s, %.1f telegrams/s, latency p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
                served / seconds, served * telegrams / seconds, Percentile(total.latenciesMs, 0.50),
                Percentile(total.latenciesMs, 0.99), Percentile(total.latenciesMs, 1.0));
    if (server.Found()) {
        const double cpu = server.CpuMs() - cpuBefore;
        const auto [workingSet, peak] = server.WorkingSetMiB();
        std::printf("  server: CPU %.0f ms (%.2f ms per contact, %.0f %% of one core), working set %.1f MiB, "
                    "peak %.1f MiB\n",
                    cpu, served > 0 ? cpu / served : 0.0, 100.0 * cpu / 1000.0 / seconds, workingSet, peak);
    }
    return total.errors == 0 ? 0 : 1;
}

// Opens that many silent connections at once, samples the server's working set while they
// are open, then closes them.
int RunHold(int port, int connections)
{
    const ServerProcess server;
    const auto [before, peakBefore] = server.WorkingSetMiB();
    std::vector<std::unique_ptr<sim::Gateway>> open;
    std::mutex mutex;
    std::atomic<int> next{0}, failed{0};
    const auto start = Clock::now();
    std::vector<std::thread> openers;
    for (int w = 0; w < 16; ++w) {
        openers.emplace_back([&] {
            for (int i = next++; i < connections; i = next++) {
                try {
                    auto gateway = std::make_unique<sim::Gateway>(port);
                    std::lock_guard<std::mutex> lock(mutex);
                    open.push_back(std::move(gateway));
                } catch (const std::exception&) {
                    ++failed;
                }
            }
        });
    }
    for (auto& t : openers) t.join();
    const double openSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The server ends a silent connection after its frame deadline: sample well inside it.
    double during = 0;
    for (int i = 0; i < 10; ++i) {
        during = std::max(during, server.WorkingSetMiB().first);
        std::this_thread::sleep_for(100ms);
    }
    open.clear();
    const auto closed = Clock::now();
    const double after = server.WorkingSetMiB().first;
    // A burst should leave no lasting cost: the working set is watched for 10 s after the close,
    // until it is back within 20 % of what it was before.
    double settled = after;
    double settledSeconds = -1;
    while (server.Found()) {
        const double seconds = std::chrono::duration<double>(Clock::now() - closed).count();
        settled = server.WorkingSetMiB().first;
        if (settled <= before * 1.2) {
            settledSeconds = seconds;
            break;
        }
        if (seconds >= 10) break;
        std::this_thread::sleep_for(250ms);
    }
    const double peak = server.WorkingSetMiB().second;
    std::printf("hold %d: open %d failed %d in %.2f s\n", connections, static_cast<int>(connections - failed.load()),
                failed.load(), openSeconds);
    if (server.Found()) {
        std::printf("  server working set: before %.1f MiB, while open %.1f MiB, at the close %.1f MiB, peak %.1f MiB "
                    "(%.1f before)\n",
                    before, during, after, peak, peakBefore);
        if (settledSeconds >= 0)
            std::printf("  back within 20 %% of before after %.1f s (%.1f MiB)\n", settledSeconds, settled);
        else
            std::printf("  not back within 20 %% of before 10 s after the close: %.1f MiB\n", settled);
    }
    return failed == 0 ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: marlindo-load trivial <port>\n"
                         "       marlindo-load run <port> <contacts> <parallel> [telegrams=10] [gateways=50]\n"
                         "       marlindo-load hold <port> <connections>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Unbuffered: what a run printed is kept when the run is stopped or fails half-way.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    const int port = std::atoi(argv[2]);
    if (mode == "trivial") return RunTrivial(port);
    if (mode == "run" && argc >= 5) {
        const int telegrams = argc > 5 ? std::atoi(argv[5]) : 10;
        const int gateways = argc > 6 ? std::atoi(argv[6]) : 50;
        if (telegrams < 1 || telegrams > 40 || gateways < 1 || gateways > 10000) return Usage();
        return RunLoad(port, std::atoi(argv[3]), std::max(1, std::atoi(argv[4])), telegrams, gateways);
    }
    if (mode == "hold" && argc >= 4) {
        const int connections = std::atoi(argv[3]);
        if (connections < 1 || connections > 20000) return Usage();
        return RunHold(port, connections);
    }
    return Usage();
}
