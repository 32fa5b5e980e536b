#pragma once
// A small pool of database connections that share one set of settings, taken from a model
// connection. Each connection belongs to one lease at a time; a returned connection stays open
// for the next taker, since opening a MariaDB connection costs milliseconds.
#include "DbConnection.h"

#include <memory>
#include <mutex>
#include <vector>

class TFDConnectionPool;

namespace dbpool {
// The link from leases to their pool; the pool's destructor cuts it.
struct Link {
    std::mutex mutex;
    TFDConnectionPool* pool = nullptr;
};
}  // namespace dbpool

// Exclusive use of one pooled connection until the lease is released or destroyed. Queries
// bound to it are unbound, and its events cleared, when it goes back.
class TFDPooledConnection {
public:
    TFDPooledConnection() = default;
    TFDPooledConnection(TFDPooledConnection&& other) noexcept;
    TFDPooledConnection& operator=(TFDPooledConnection&& other) noexcept;
    TFDPooledConnection(const TFDPooledConnection&) = delete;
    TFDPooledConnection& operator=(const TFDPooledConnection&) = delete;
    ~TFDPooledConnection() { Release(); }

    TFDConnection* Connection() const { return connection_.get(); }
    TFDConnection* operator->() const { return connection_.get(); }
    explicit operator bool() const { return connection_ != nullptr; }
    void Release() noexcept;

private:
    friend class TFDConnectionPool;
    TFDPooledConnection(std::shared_ptr<dbpool::Link> pool, std::unique_ptr<TFDConnection> connection,
                        unsigned generation)
        : pool_(std::move(pool)), connection_(std::move(connection)), generation_(generation)
    {
    }

    std::shared_ptr<dbpool::Link> pool_;
    std::unique_ptr<TFDConnection> connection_;
    unsigned generation_ = 0;
};

class TFDConnectionPool {
public:
    explicit TFDConnectionPool(int maxIdle = 8);
    // Idle connections are closed; leases still out keep their connection and free it on release.
    ~TFDConnectionPool();
    TFDConnectionPool(const TFDConnectionPool&) = delete;
    TFDConnectionPool& operator=(const TFDConnectionPool&) = delete;

    // Takes the driver name, connection definition name and parameters of model; idle
    // connections made with earlier settings are closed. Connections still leased are not
    // pooled again.
    void Configure(const TFDConnection& model);

    // A connection with the configured settings: an idle one that still reaches the server
    // (open), or a new one (closed). The caller opens it as usual; opening an open one does
    // nothing.
    TFDPooledConnection Acquire();

    // Closes and frees the idle connections.
    void Clear();
    int IdleCount() const;

private:
    friend class TFDPooledConnection;
    // Keeps connection for the next taker, or hands it back for the caller to free.
    std::unique_ptr<TFDConnection> Return(std::unique_ptr<TFDConnection> connection, unsigned generation) noexcept;

    const int maxIdle_;
    mutable std::mutex mutex_;
    UnicodeString driverName_;
    UnicodeString connectionDefName_;
    UnicodeString params_;
    unsigned generation_ = 0;
    std::vector<std::unique_ptr<TFDConnection>> idle_;
    std::shared_ptr<dbpool::Link> link_;
};
