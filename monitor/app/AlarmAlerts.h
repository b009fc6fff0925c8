#pragma once

#include "monitor/core/AlarmNotice.h"
#include "monitor/core/AlarmState.h"
#include "monitor/core/MonitorState.h"
#include "platform/notify/DesktopNotifier.h"
#include "platform/process/CommandRunner.h"

#include <QDBusConnection>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace kelvo {

// The notices beyond the sound: on each hand-off it follows the reading
// against the sound-alarm band and, on a crossing, shows a desktop
// notification and runs the alarm command as the [Extensions] settings ask.
// Lives on the user-interface thread; nothing here waits.
class AlarmAlerts {
public:
    AlarmAlerts();
    ~AlarmAlerts();

    // One hand-off of the reading in state.innerCurrent, from the thermometer
    // named device. With the sound alarm off nothing is followed.
    void HandOff(const MonitorState& state, const std::string& device);

    // True once every alarm command started has ended and been reported;
    // false when `most` passes first.
    bool WaitForCommands(std::chrono::milliseconds most);

    // The bus of the notifications, asked for at the first one; tests give
    // their own, as they give the command's time limit and where lines go.
    std::function<QDBusConnection()> bus = [] { return QDBusConnection::sessionBus(); };
    std::chrono::milliseconds commandLimit = CommandRunner::defaultLimit;
    std::function<void(const std::string&)> report;

private:
    void Notify(const AlarmEvent& event);
    void RunCommand(const AlarmEvent& event, const std::string& commandLine);
    void Tell(const std::string& line);

    const std::string programName;
    AlarmState state;
    std::unique_ptr<DesktopNotifier> notifier;
    std::unique_ptr<CommandRunner> runner;
};

} // namespace kelvo
