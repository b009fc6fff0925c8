#pragma once

#include "monitor/device/HidPlatform.h"

#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace kelvo::test {

// Passes every call on to another platform and keeps what crossed it: the
// number of calls, the output reports and feature requests in order, and
// every handle that was closed when it was not open.
class RecordingPlatform : public HidPlatform {
public:
    struct Transfer {
        enum class Kind { outputReport, featureRequest };
        Kind kind;
        std::vector<std::uint8_t> bytes; // a feature request: what came back
        friend bool operator==(const Transfer&, const Transfer&) = default;
    };

    explicit RecordingPlatform(std::shared_ptr<HidPlatform> inner) : inner(std::move(inner)) {}

    int CallCount() const {
        std::lock_guard lock(mutex);
        return calls;
    }
    std::vector<Transfer> Transfers() const {
        std::lock_guard lock(mutex);
        return transfers;
    }
    void ClearTransfers() {
        std::lock_guard lock(mutex);
        transfers.clear();
    }
    std::set<HidHandle> OpenHandles() const {
        std::lock_guard lock(mutex);
        return open;
    }
    std::vector<HidHandle> BadCloses() const {
        std::lock_guard lock(mutex);
        return badCloses;
    }
    int OpenCount() const {
        std::lock_guard lock(mutex);
        return opens;
    }

    bool ListInterfaces(std::vector<HidInterfaceEntry>& interfaces) override {
        Count();
        return inner->ListInterfaces(interfaces);
    }
    HidHandle Open(const std::string& path) override {
        Count();
        const HidHandle handle = inner->Open(path);
        std::lock_guard lock(mutex);
        if (handle != invalidHidHandle) {
            open.insert(handle);
            ++opens;
        }
        return handle;
    }
    void Close(HidHandle handle) override {
        Count();
        {
            std::lock_guard lock(mutex);
            if (open.erase(handle) == 0) {
                badCloses.push_back(handle);
            }
        }
        inner->Close(handle);
    }
    bool GetAttributes(HidHandle handle, HidAttributes& attributes) override {
        Count();
        return inner->GetAttributes(handle, attributes);
    }
    bool GetCaps(HidHandle handle, HidCaps& caps) override {
        Count();
        return inner->GetCaps(handle, caps);
    }
    bool WriteOutputReport(HidHandle handle, std::span<const std::uint8_t> report) override {
        Count();
        const bool written = inner->WriteOutputReport(handle, report);
        std::lock_guard lock(mutex);
        if (written) {
            transfers.push_back({Transfer::Kind::outputReport, {report.begin(), report.end()}});
        }
        return written;
    }
    bool GetFeatureReport(HidHandle handle, std::span<std::uint8_t> report) override {
        Count();
        const bool read = inner->GetFeatureReport(handle, report);
        std::lock_guard lock(mutex);
        transfers.push_back({Transfer::Kind::featureRequest, {report.begin(), report.end()}});
        return read;
    }

private:
    void Count() {
        std::lock_guard lock(mutex);
        ++calls;
    }

    std::shared_ptr<HidPlatform> inner;
    mutable std::mutex mutex;
    int calls = 0;
    int opens = 0;
    std::vector<Transfer> transfers;
    std::set<HidHandle> open;
    std::vector<HidHandle> badCloses;
};

} // namespace kelvo::test
