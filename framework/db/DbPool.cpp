#include "DbPool.h"

TFDPooledConnection::TFDPooledConnection(TFDPooledConnection&& other) noexcept
    : pool_(std::move(other.pool_)), connection_(std::move(other.connection_)), generation_(other.generation_)
{
}

TFDPooledConnection& TFDPooledConnection::operator=(TFDPooledConnection&& other) noexcept
{
    if (this != &other) {
        Release();
        pool_ = std::move(other.pool_);
        connection_ = std::move(other.connection_);
        generation_ = other.generation_;
    }
    return *this;
}

void TFDPooledConnection::Release() noexcept
{
    if (!connection_) return;
    std::unique_ptr<TFDConnection> connection = std::move(connection_);
    if (pool_) {
        const std::lock_guard lock(pool_->mutex);
        if (pool_->pool) connection = pool_->pool->Return(std::move(connection), generation_);
    }
    pool_.reset();
    connection.reset();  // not kept by the pool: it closes here, outside the locks
}

// ---------------------------------------------------------------------------------------------

TFDConnectionPool::TFDConnectionPool(int maxIdle)
    : maxIdle_(maxIdle < 0 ? 0 : maxIdle), link_(std::make_shared<dbpool::Link>())
{
    link_->pool = this;
}

TFDConnectionPool::~TFDConnectionPool()
{
    {
        const std::lock_guard lock(link_->mutex);
        link_->pool = nullptr;
    }
    Clear();
}

void TFDConnectionPool::Configure(const TFDConnection& model)
{
    std::vector<std::unique_ptr<TFDConnection>> stale;
    {
        const std::lock_guard lock(mutex_);
        driverName_ = model.DriverName();
        connectionDefName_ = model.ConnectionDefName();
        params_ = model.Params()->Text();
        ++generation_;
        stale.swap(idle_);
    }
    // stale closes here, outside the lock.
}

TFDPooledConnection TFDConnectionPool::Acquire()
{
    std::unique_ptr<TFDConnection> connection;
    unsigned generation = 0;
    {
        const std::lock_guard lock(mutex_);
        generation = generation_;
        if (!idle_.empty()) {
            connection = std::move(idle_.back());
            idle_.pop_back();
        } else {
            connection = std::make_unique<TFDConnection>(nullptr);
            connection->SetDriverName(driverName_);
            connection->SetConnectionDefName(connectionDefName_);
            connection->Params()->SetText(params_);
            connection->SetLoginPrompt(false);
        }
    }
    // An idle connection may have been dropped by the server meanwhile (wait_timeout, restart):
    // hand it out closed, so that the taker's Open connects afresh.
    if (connection->Connected() && !connection->Ping()) connection->Reset();
    return TFDPooledConnection(link_, std::move(connection), generation);
}

std::unique_ptr<TFDConnection> TFDConnectionPool::Return(std::unique_ptr<TFDConnection> connection,
                                                         unsigned generation) noexcept
{
    try {
        connection->DetachQueries();
        connection->AfterConnect = nullptr;
        connection->AfterDisconnect = nullptr;
        connection->OnError = nullptr;
        const std::lock_guard lock(mutex_);
        if (generation == generation_ && connection->Connected() && static_cast<int>(idle_.size()) < maxIdle_) {
            idle_.push_back(std::move(connection));
            return nullptr;
        }
    } catch (...) {
    }
    return connection;
}

void TFDConnectionPool::Clear()
{
    std::vector<std::unique_ptr<TFDConnection>> idle;
    {
        const std::lock_guard lock(mutex_);
        idle.swap(idle_);
    }
}

int TFDConnectionPool::IdleCount() const
{
    const std::lock_guard lock(mutex_);
    return static_cast<int>(idle_.size());
}
