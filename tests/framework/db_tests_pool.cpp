#include "DbConnection.h"
#include "DbPool.h"
#include "DbQuery.h"
#include "db_tests_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace dbtest {
namespace {

class DbPoolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Configure(model);
        pool.Configure(model);
    }

    static UnicodeString ConnectionId(TFDConnection& c) { return c.ExecSQLScalar(L"SELECT CONNECTION_ID()"); }

    TFDConnection model{nullptr};
    TFDConnectionPool pool{8};
};

// Contacts run on their own threads, several at once: each must have its connection (and its
// server session) to itself for as long as it holds it.
TEST_F(DbPoolTest, ConcurrentTakersEachHaveTheirOwnConnection)
{
    constexpr int threads = 8;
    constexpr int rounds = 12;
    std::mutex mutex;
    std::map<TFDConnection*, int> holders;
    std::set<UnicodeString> sessions;
    std::atomic<int> failures{0};
    std::vector<std::string> messages;

    const auto worker = [&](int self) {
        for (int round = 0; round < rounds; ++round) {
            try {
                TFDPooledConnection lease = pool.Acquire();
                {
                    const std::lock_guard lock(mutex);
                    if (!holders.emplace(lease.Connection(), self).second) ++failures;
                }
                lease->Open();
                TFDQuery query(nullptr);
                query.SetConnection(lease.Connection());
                const UnicodeString mark = std::to_wstring(self * 1000 + round);
                query.ExecSQL(L"SET @holder = " + mark);
                std::this_thread::yield();
                if (lease->ExecSQLScalar(L"SELECT @holder") != mark) ++failures;
                {
                    const std::lock_guard lock(mutex);
                    sessions.insert(ConnectionId(*lease.Connection()));
                    holders.erase(lease.Connection());
                }
            } catch (const std::exception& e) {
                const std::lock_guard lock(mutex);
                messages.push_back(e.what());
                ++failures;
            }
        }
    };
    std::vector<std::thread> pool_threads;
    for (int i = 0; i < threads; ++i) pool_threads.emplace_back(worker, i);
    for (auto& t : pool_threads) t.join();

    EXPECT_EQ(failures.load(), 0) << (messages.empty() ? "" : messages.front());
    // Returned connections are taken again instead of opening new ones.
    EXPECT_LE(sessions.size(), static_cast<size_t>(threads));
    EXPECT_GE(pool.IdleCount(), 1);
}

TEST_F(DbPoolTest, ReturnedConnectionIsReusedOpenWithoutEventsOrQueries)
{
    UnicodeString first;
    TFDQuery query(nullptr);
    {
        TFDPooledConnection lease = pool.Acquire();
        ASSERT_TRUE(lease);
        EXPECT_FALSE(lease->Connected());
        lease->OnError = [](TObject*, TObject*, Exception*&) { ADD_FAILURE() << "stale handler ran"; };
        lease->Open();
        first = ConnectionId(*lease.Connection());
        query.SetConnection(lease.Connection());
        query.Open(L"SELECT 1 AS one");
    }
    EXPECT_EQ(query.Connection(), nullptr);  // unbound when the connection went back
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(pool.IdleCount(), 1);

    TFDPooledConnection again = pool.Acquire();
    EXPECT_EQ(pool.IdleCount(), 0);
    EXPECT_TRUE(again->Connected());
    EXPECT_FALSE(again->OnError);
    EXPECT_EQ(ConnectionId(*again.Connection()), first);
    EXPECT_THROW(again->ExecSQLScalar(L"SELEC"), EFDDBEngineException);

    // A lease moved on still returns its connection once.
    TFDPooledConnection moved = std::move(again);
    EXPECT_FALSE(again);
    moved.Release();
    moved.Release();
    EXPECT_EQ(pool.IdleCount(), 1);
}

TEST_F(DbPoolTest, ConnectionDroppedByTheServerIsOpenedAfresh)
{
    UnicodeString dropped;
    {
        TFDPooledConnection lease = pool.Acquire();
        lease->Open();
        dropped = ConnectionId(*lease.Connection());
    }
    TFDConnection admin(nullptr);
    Configure(admin);
    admin.Open();
    TFDQuery kill(nullptr);
    kill.SetConnection(&admin);
    kill.ExecSQL(L"KILL " + dropped);

    TFDPooledConnection lease = pool.Acquire();
    EXPECT_FALSE(lease->Connected());
    lease->Open();
    EXPECT_NE(ConnectionId(*lease.Connection()), dropped);
}

TEST_F(DbPoolTest, NewSettingsRetireOlderConnections)
{
    TFDPooledConnection held = pool.Acquire();
    held->Open();
    {
        TFDPooledConnection lease = pool.Acquire();
        lease->Open();
    }
    EXPECT_EQ(pool.IdleCount(), 1);

    model.Params()->SetValues(L"Database", L"mysql");
    pool.Configure(model);
    EXPECT_EQ(pool.IdleCount(), 0);
    held.Release();  // made with the old settings: not pooled again
    EXPECT_EQ(pool.IdleCount(), 0);

    TFDPooledConnection lease = pool.Acquire();
    EXPECT_FALSE(lease->Connected());
    lease->Open();
    EXPECT_EQ(lease->ExecSQLScalar(L"SELECT DATABASE()"), L"mysql");
}

TEST_F(DbPoolTest, FailedOpenIsNotPooledAndLeaseMayOutliveThePool)
{
    {
        TFDPooledConnection lease = pool.Acquire();
        lease->Params()->SetValues(L"Password", L"wrong");
        EXPECT_THROW(lease->Open(), EFDDBEngineException);
    }
    EXPECT_EQ(pool.IdleCount(), 0);

    auto shortLived = std::make_unique<TFDConnectionPool>(2);
    shortLived->Configure(model);
    TFDPooledConnection lease = shortLived->Acquire();
    lease->Open();
    shortLived.reset();
    EXPECT_EQ(lease->ExecSQLScalar(L"SELECT 7"), L"7");
    lease.Release();
}

}  // namespace
}  // namespace dbtest
