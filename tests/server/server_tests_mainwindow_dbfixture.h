#pragma once
// Main-window fixtures in database mode: a database of the test's own on the test server (a
// unique name, dropped at the end) and the settings that point the windows at it. The product's
// settings carry no port, so the test server's port is added to the connection under test.
#include "server_tests_dbmode_support.h"
#include "server_tests_mainwindow_fixture.h"

namespace mainwindow_test {

template <class Base>
class DatabaseWindowTest : public Base {
protected:
    explicit DatabaseWindowTest(const wchar_t* databasePrefix) : prefix_(databasePrefix) {}

    void SetUp() override
    {
        Base::SetUp();
        ASSERT_TRUE(dbmode_test::EnsureRunDatabase()) << "no test database";
        database_ = dbmode_test::UniqueDatabaseName(prefix_);
    }

    // The windows go first, so that no connection of theirs holds the database.
    void TearDown() override
    {
        Base::TearDown();
        dbmode_test::DropDatabase(database_);
    }

    // The settings file of database mode: the test server's host and user, the test's database.
    void WriteDatabaseSettings(const UnicodeString& password)
    {
        const dbtest::ServerSettings s = dbtest::Server();
        this->WriteSettings({{{L"DB", L"ENABLE"}, L"1"},
                             {{L"DB", L"SERVER"}, s.host},
                             {{L"DB", L"NAME"}, database_},
                             {{L"DB", L"USER"}, s.user},
                             {{L"DB", L"PWD"}, password}});
    }

    // The main window in database mode, with the test server's port in FDConn1.
    TFormSRV& CreateInDatabaseMode(const UnicodeString& password = dbtest::Server().password)
    {
        WriteDatabaseSettings(password);
        TFormSRV& form = this->CreateWithPort();
        dbtest::AddPort(*form.FDConn1->Params());
        return form;
    }

    UnicodeString database_;

private:
    const wchar_t* prefix_;
};

} // namespace mainwindow_test
