#pragma once

#include "monitor/device/SimulatedThermometer.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct fuse;

namespace kelvo::test {

// One fake /dev/hidrawN node.
struct FakeHidrawNode {
    std::vector<std::uint8_t> descriptor;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // Takes the output reports and answers feature requests; without one,
    // writes are taken and feature requests stall.
    std::shared_ptr<SimulatedThermometer> device;
};

// Serves hidraw nodes as regular files of a FUSE mount, in a thread of the
// test process: write() goes to the node's device, and the hidraw ioctls
// HIDIOCGRDESCSIZE, HIDIOCGRDESC, HIDIOCGRAWINFO and HIDIOCGFEATURE are
// answered as the driver would.
class FakeHidrawServer {
public:
    FakeHidrawServer(std::filesystem::path mountPoint, std::map<std::string, FakeHidrawNode> nodes);
    ~FakeHidrawServer();
    FakeHidrawServer(const FakeHidrawServer&) = delete;
    FakeHidrawServer& operator=(const FakeHidrawServer&) = delete;

    // Empty when the mount succeeded, else why it did not.
    const std::string& Error() const { return error; }

    // A node that is gone fails every write and ioctl, as a node of an
    // unplugged device does.
    void SetGone(const std::string& name, bool gone);
    std::vector<std::vector<std::uint8_t>> Writes(const std::string& name) const;
    std::vector<std::size_t> FeatureRequestLengths(const std::string& name) const;
    int OpenFiles() const;
    // How often the node was opened since the server started.
    int Opens(const std::string& name) const;

    // Called from the FUSE loop; each answers as the hidraw driver would,
    // with 0 or a byte count for success and a negative errno for failure.
    bool HasNode(const std::string& name) const;
    std::vector<std::string> NodeNames() const;
    int HandleOpen(const std::string& name);
    void HandleRelease();
    int HandleWrite(const std::string& name, const std::uint8_t* data, std::size_t size);
    int HandleControl(const std::string& name, unsigned int command, void* data);

private:
    struct Node {
        FakeHidrawNode served;
        bool gone = false;
        int opens = 0;
        std::vector<std::vector<std::uint8_t>> writes;
        std::vector<std::size_t> featureRequests;
    };

    std::filesystem::path mountPoint;
    mutable std::mutex mutex;
    std::map<std::string, Node> nodes;
    int openFiles = 0;
    std::string error;
    struct fuse* session = nullptr;
    std::thread loop;
};

} // namespace kelvo::test
