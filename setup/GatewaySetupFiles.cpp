#include "GatewaySetupFiles.h"

#include <algorithm>
#include <mutex>

namespace {
std::mutex hooksLock;
TSetupFileStoreTestHooks hooks;

TSetupFileStoreTestHooks CurrentHooks()
{
    std::lock_guard<std::mutex> guard(hooksLock);
    return hooks;
}

// Byte ranges [first, last] of the record that SetupMatches compares, in this order.
struct CompareRange {
    std::size_t First;
    std::size_t Last;
};
constexpr CompareRange ComparedRanges[] = {
    {6, 17},      // FixedIp, GatewayIp, SubnetMask
    {22, 53},     // ServerName
    {58, 66},     // NtpIp, DnsIp, ServerPort low byte
    {76, 1075},   // FilterIds
    {1076, 1087}, // FilterManufacturers
    {1088, 1091}, // FilterMedia
    {1115, 1115}, // NetworkFlags
};
} // namespace

void SetSetupFileStoreTestHooks(TSetupFileStoreTestHooks newHooks)
{
    std::lock_guard<std::mutex> guard(hooksLock);
    hooks = std::move(newHooks);
}

TReplyAction ReadSetupRecord(const UnicodeString& /*folder*/, std::span<const uint8_t, 3> gatewayId,
                             GatewaySetupRecord& record)
{
    if (const auto hook = CurrentHooks().ReadSetupRecord) return hook(gatewayId, record);
    return ReplyNone;
}

bool SetupMatches(const UnicodeString& folder, std::span<const uint8_t, 3> gatewayId,
                  GatewaySetupRecord& storedRecord, const GatewaySetupRecord& reportedRecord,
                  TReplyAction& action)
{
    action = ReadSetupRecord(folder, gatewayId, storedRecord);
    if (action != ReplySendSetup) return true;
    const auto stored = storedRecord.Bytes();
    const auto reported = reportedRecord.Bytes();
    return std::all_of(std::begin(ComparedRanges), std::end(ComparedRanges), [&](const CompareRange& range) {
        return std::equal(stored.begin() + range.First, stored.begin() + range.Last + 1,
                          reported.begin() + range.First);
    });
}

void StoreGatewaySetup(const UnicodeString& /*folder*/, std::span<const uint8_t, 3> gatewayId,
                       const GatewaySetupRecord& record, TReplyAction action)
{
    if (const auto hook = CurrentHooks().StoreGatewaySetup) hook(gatewayId, record, action);
}

void ClearFirmwareUpdateFlag(std::span<const uint8_t, 3> gatewayId)
{
    if (const auto hook = CurrentHooks().ClearFirmwareUpdateFlag) hook(gatewayId);
}
