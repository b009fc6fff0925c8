#define FUSE_USE_VERSION 35

#include "tests/device/FakeHidrawServer.h"

#include <fuse.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/mount.h>

namespace kelvo::test {

namespace {

FakeHidrawServer& Server() {
    return *static_cast<FakeHidrawServer*>(fuse_get_context()->private_data);
}

// "/hidraw3" -> "hidraw3".
std::string NodeName(const char* path) {
    return path[0] == '/' ? path + 1 : path;
}

int GetAttributes(const char* path, struct stat* status, struct fuse_file_info*) {
    std::memset(status, 0, sizeof *status);
    if (std::strcmp(path, "/") == 0) {
        status->st_mode = S_IFDIR | 0755;
        status->st_nlink = 2;
        return 0;
    }
    if (!Server().HasNode(NodeName(path))) {
        return -ENOENT;
    }
    // A regular file: FUSE passes write() and the sized ioctls through.
    status->st_mode = S_IFREG | 0666;
    status->st_nlink = 1;
    return 0;
}

int ReadDirectory(const char*, void* buffer, fuse_fill_dir_t fill, off_t, struct fuse_file_info*,
                  enum fuse_readdir_flags) {
    fill(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    fill(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    for (const std::string& name : Server().NodeNames()) {
        fill(buffer, name.c_str(), nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    }
    return 0;
}

int Open(const char* path, struct fuse_file_info* file) {
    // Every write and ioctl must reach the server; nothing is cached.
    file->direct_io = 1;
    file->nonseekable = 1;
    return Server().HandleOpen(NodeName(path));
}

int Release(const char*, struct fuse_file_info*) {
    Server().HandleRelease();
    return 0;
}

int Write(const char* path, const char* data, std::size_t size, off_t, struct fuse_file_info*) {
    // Offsets keep growing with every write; a hidraw node has none.
    return Server().HandleWrite(NodeName(path), reinterpret_cast<const std::uint8_t*>(data), size);
}

int Control(const char* path, unsigned int command, void*, struct fuse_file_info*, unsigned int,
            void* data) {
    return Server().HandleControl(NodeName(path), command, data);
}

} // namespace

FakeHidrawServer::FakeHidrawServer(std::filesystem::path mountPoint,
                                   std::map<std::string, FakeHidrawNode> served)
    : mountPoint(std::move(mountPoint)) {
    for (auto& [name, node] : served) {
        nodes[name].served = std::move(node);
    }
    static const fuse_operations operations = [] {
        fuse_operations table{};
        table.getattr = GetAttributes;
        table.readdir = ReadDirectory;
        table.open = Open;
        table.release = Release;
        table.write = Write;
        table.ioctl = Control;
        return table;
    }();
    char program[] = "kelvo-fake-hidraw";
    char* arguments[] = {program, nullptr};
    fuse_args args = FUSE_ARGS_INIT(1, arguments);
    session = fuse_new(&args, &operations, sizeof operations, this);
    if (session == nullptr) {
        error = "fuse_new failed";
        return;
    }
    if (fuse_mount(session, this->mountPoint.c_str()) != 0) {
        error = "cannot mount FUSE at " + this->mountPoint.string();
        fuse_destroy(session);
        session = nullptr;
        return;
    }
    loop = std::thread([this] { fuse_loop(session); });
}

FakeHidrawServer::~FakeHidrawServer() {
    if (session == nullptr) {
        return;
    }
    // Unmounting severs the connection, so the loop's pending read fails and
    // the loop returns. Only then may libfuse close its end of the device:
    // closing it under that read would race.
    const std::string command = "fusermount3 -u -z '" + mountPoint.string() + "'";
    const bool unmounted =
        umount2(mountPoint.c_str(), MNT_DETACH) == 0 || std::system(command.c_str()) == 0;
    if (!unmounted) {
        // The last resort ends the loop by closing the device under it.
        fuse_exit(session);
        fuse_unmount(session);
    }
    loop.join();
    if (unmounted) {
        fuse_unmount(session);
    }
    fuse_destroy(session);
}

void FakeHidrawServer::SetGone(const std::string& name, bool gone) {
    std::lock_guard lock(mutex);
    nodes.at(name).gone = gone;
}

std::vector<std::vector<std::uint8_t>> FakeHidrawServer::Writes(const std::string& name) const {
    std::lock_guard lock(mutex);
    return nodes.at(name).writes;
}

std::vector<std::size_t> FakeHidrawServer::FeatureRequestLengths(const std::string& name) const {
    std::lock_guard lock(mutex);
    return nodes.at(name).featureRequests;
}

int FakeHidrawServer::OpenFiles() const {
    std::lock_guard lock(mutex);
    return openFiles;
}

int FakeHidrawServer::Opens(const std::string& name) const {
    std::lock_guard lock(mutex);
    return nodes.at(name).opens;
}

bool FakeHidrawServer::HasNode(const std::string& name) const {
    std::lock_guard lock(mutex);
    return nodes.contains(name);
}

std::vector<std::string> FakeHidrawServer::NodeNames() const {
    std::lock_guard lock(mutex);
    std::vector<std::string> names;
    for (const auto& entry : nodes) {
        names.push_back(entry.first);
    }
    return names;
}

int FakeHidrawServer::HandleOpen(const std::string& name) {
    std::lock_guard lock(mutex);
    const auto found = nodes.find(name);
    if (found == nodes.end()) {
        return -ENOENT;
    }
    ++found->second.opens;
    if (found->second.gone) {
        return -ENODEV;
    }
    ++openFiles;
    return 0;
}

void FakeHidrawServer::HandleRelease() {
    std::lock_guard lock(mutex);
    --openFiles;
}

int FakeHidrawServer::HandleWrite(const std::string& name, const std::uint8_t* data,
                                  std::size_t size) {
    std::lock_guard lock(mutex);
    Node& node = nodes.at(name);
    if (node.gone) {
        return -ENODEV;
    }
    node.writes.emplace_back(data, data + size);
    if (node.served.device &&
        !node.served.device->ReceiveOutputReport(std::span<const std::uint8_t>(data, size))) {
        return -EIO;
    }
    return static_cast<int>(size);
}

int FakeHidrawServer::HandleControl(const std::string& name, unsigned int command, void* data) {
    std::lock_guard lock(mutex);
    Node& node = nodes.at(name);
    if (node.gone) {
        return -ENODEV;
    }
    if (_IOC_TYPE(command) != 'H') {
        return -ENOTTY;
    }
    const FakeHidrawNode& served = node.served;
    // The read-only requests bring an uninitialised buffer: fill all of it.
    switch (command) {
    case HIDIOCGRDESCSIZE: {
        const int size = static_cast<int>(served.descriptor.size());
        std::memcpy(data, &size, sizeof size);
        return 0;
    }
    case HIDIOCGRDESC: {
        hidraw_report_descriptor descriptor{};
        descriptor.size = static_cast<__u32>(served.descriptor.size());
        std::memcpy(descriptor.value, served.descriptor.data(), served.descriptor.size());
        std::memcpy(data, &descriptor, sizeof descriptor);
        return 0;
    }
    case HIDIOCGRAWINFO: {
        hidraw_devinfo information{};
        information.bustype = BUS_USB;
        information.vendor = static_cast<__s16>(served.vendorId);
        information.product = static_cast<__s16>(served.productId);
        std::memcpy(data, &information, sizeof information);
        return 0;
    }
    default:
        break;
    }
    // HIDIOCGFEATURE carries its length in the command.
    if (_IOC_NR(command) == _IOC_NR(HIDIOCGFEATURE(0)) &&
        _IOC_DIR(command) == (_IOC_READ | _IOC_WRITE)) {
        const std::size_t length = _IOC_SIZE(command);
        node.featureRequests.push_back(length);
        std::span<std::uint8_t> report(static_cast<std::uint8_t*>(data), length);
        if (!served.device || !served.device->AnswerFeatureReport(report)) {
            return -EPIPE; // the device stalls the request
        }
        return static_cast<int>(length);
    }
    return -ENOTTY;
}

} // namespace kelvo::test
