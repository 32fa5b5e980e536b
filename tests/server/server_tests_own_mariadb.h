#pragma once
// A MariaDB of the test's own, which the test stops and starts again (never the shared test
// server, which other test executables use at the same time): tools/db-server.sh runs it on a
// port of its own below the ephemeral range, so no other server or client takes that port while
// it is down. The server and its data are removed when the object goes.
#include "server_tests_linux_shell.h"
#include "../framework/db_tests_support.h"
#include "../setup/setup_tests_support.h"
#include "Encoding.h"
#include "Threads.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace own_mariadb {

class Server {
public:
    // pump: the test's main-thread work while a script runs.
    explicit Server(std::function<void()> pump = [] { CheckSynchronize(10); }) : pump_(std::move(pump)) {}
    ~Server()
    {
        if (started_) {
            EXPECT_EQ(Script("stop " + dir_ + " && rm -rf " + dir_ + " " + dir_ + ".env"), 0);
        }
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Starts a fresh server in <build>/run/own-db-<tag>-<process> (tools/test.sh stops what a
    // failed run left there); its port then is Port().
    ::testing::AssertionResult Start(const std::string& tag)
    {
        const std::string build = UnicodeToUtf8(dbtest::Env(L"MARLINDO_BUILD"));
        if (build.empty()) return ::testing::AssertionFailure() << "MARLINDO_BUILD is not set: run through tools/test.sh";
        dir_ = build + "/run/own-db-" + tag + "-" + std::to_string(GetCurrentProcessId());
        if (Script("start " + dir_ + " own >" + dir_ + ".env") != 0)
            return ::testing::AssertionFailure() << "cannot start a MariaDB in " << dir_;
        started_ = true;
        std::istringstream env(test_support::ReadFile(linux_shell::WindowsView(dir_ + ".env")));
        for (std::string word; env >> word;)
            if (word.rfind("MYSQL_TCP_PORT=", 0) == 0) port_ = Utf8ToUnicode(word.substr(15));
        if (port_.empty()) return ::testing::AssertionFailure() << "no port in " << dir_ << ".env";
        return ::testing::AssertionSuccess();
    }

    // Stops the server, or starts it again on its data and port; true when done.
    bool Stop() { return Script("stop " + dir_) == 0; }
    bool Resume() { return Script("resume " + dir_) == 0; }

    const UnicodeString& Port() const { return port_; }

private:
    // tools/db-server.sh with arguments, on the Linux side.
    int Script(const std::string& arguments)
    {
        return linux_shell::Run(std::string(MARLINDO_SOURCE_DIR) + "/tools/db-server.sh " + arguments, dir_ + ".status",
                                std::chrono::seconds(120), pump_);
    }

    std::function<void()> pump_;
    std::string dir_;
    UnicodeString port_;
    bool started_ = false;
};

} // namespace own_mariadb
