#pragma once

#include <string>
#include <thread>
#include <vector>

namespace kelvo::test {

// One turn of a scripted SMTP server: wait until what the client sent since the
// last reply ends with `awaits` (nothing to wait for when empty), then send the
// reply pieces one by one with a short pause between them.
struct ScriptStep {
    std::string awaits;
    std::vector<std::string> pieces;
};

// A loopback server for one connection that plays a script of replies and
// records every byte the client sends. After the script it reads until the
// client hangs up, or hangs up itself when told to.
class ScriptedSmtpServer {
public:
    explicit ScriptedSmtpServer(std::vector<ScriptStep> script, bool hangUpAfterScript = false);
    ~ScriptedSmtpServer();
    ScriptedSmtpServer(const ScriptedSmtpServer&) = delete;
    ScriptedSmtpServer& operator=(const ScriptedSmtpServer&) = delete;

    int Port() const { return port; }

    // Waits for the conversation to end and gives what the client sent.
    const std::string& Received();
    // Whether the client closed the connection (rather than the wait running out).
    bool ClientHungUp();

private:
    void Serve();
    // Reads what is there; false when the client hung up or the wait ran out.
    bool ReadMore();
    void Finish();

    std::vector<ScriptStep> script;
    bool hangUpAfterScript;
    int listener = -1;
    int connection = -1;
    int port = 0;
    std::string received;
    bool clientHungUp = false;
    std::thread thread;
};

} // namespace kelvo::test
