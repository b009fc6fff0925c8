// The monitor's own TLS channels: the TLS module's, loaded at the first mail
// sent over TLS. Linked into a program, this definition stands in for the
// mail library's, so that the program itself starts without OpenSSL.

#include "monitor/mail/TlsChannel.h"
#include "monitor/mail/TlsModule.h"
#include "platform/module/ProgramModule.h"

namespace kelvo {
namespace {

// Without the module, every channel fails at its start and says why, so that
// the mail's failure note tells the user.
class MissingTlsChannel final : public TlsChannel {
public:
    explicit MissingTlsChannel(std::string why) : problem("TLS is not available: " + why) {}
    bool Begin(int, const std::string&, const std::string&) override { return false; }
    Step Handshake() override { return Step::Failed; }
    Step Write(std::string_view, std::size_t& written) override {
        written = 0;
        return Step::Failed;
    }
    Step Read(char*, std::size_t, std::size_t& count) override {
        count = 0;
        return Step::Failed;
    }
    void End() override {}
    const std::string& Problem() const override { return problem; }

private:
    std::string problem;
};

struct LoadedModule {
    TlsModuleEntry entry = nullptr;
    std::string problem;
};

const LoadedModule& Module() {
    static const LoadedModule module = [] {
        LoadedModule loaded;
        loaded.entry = reinterpret_cast<TlsModuleEntry>(
            FindModuleEntry(tlsModuleFile, tlsModuleEntry, loaded.problem));
        return loaded;
    }();
    return module;
}

} // namespace

std::unique_ptr<TlsChannel> NewTlsChannel() {
    const LoadedModule& module = Module();
    if (module.entry == nullptr) {
        return std::make_unique<MissingTlsChannel>("the TLS module cannot be loaded: " +
                                                   module.problem);
    }
    return std::unique_ptr<TlsChannel>(module.entry());
}

} // namespace kelvo
