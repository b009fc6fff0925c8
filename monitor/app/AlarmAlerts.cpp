#include "monitor/app/AlarmAlerts.h"

#include "monitor/resources/AppIcon.h"
#include "platform/autostart/ExecLine.h"
#include "platform/dialog/MessageBox.h"

#include <cstdio>

namespace kelvo {
namespace {

constexpr int iconSize = 48;

} // namespace

AlarmAlerts::AlarmAlerts() : programName(dialog::ProgramName()) {}

AlarmAlerts::~AlarmAlerts() = default;

void AlarmAlerts::HandOff(const MonitorState& monitor, const std::string& device) {
    if (!monitor.innerAlarmOn) {
        // A crossing needs a band that is watched; turned on again, the alarm
        // starts from "in band".
        state.Reset();
        return;
    }
    const ExtensionSettings& settings = monitor.extensions;
    const AlarmState::Transition transition =
        state.Follow(monitor.innerCurrent, AlarmState::Band{monitor.innerLower, monitor.innerUpper,
                                                            settings.alarmHysteresis});
    if (transition == AlarmState::Transition::None) {
        return;
    }
    const AlarmEvent event{transition == AlarmState::Transition::Alarm,
                           monitor.innerCurrent,
                           monitor.isCelsius,
                           monitor.innerLower,
                           monitor.innerUpper,
                           device};
    if (settings.desktopNotify && (event.alarm || settings.backInBandNotice)) {
        Notify(event);
    }
    if (!settings.alarmCommand.empty()) {
        RunCommand(event, settings.alarmCommand);
    }
}

void AlarmAlerts::Notify(const AlarmEvent& event) {
    if (!notifier) {
        notifier = std::make_unique<DesktopNotifier>(
            bus(), programName, resources::ApplicationIcon().pixmap(iconSize, iconSize).toImage(),
            [this](const std::string& line) { Tell(line); });
    }
    notifier->Show(
        {NoticeSummary(event), NoticeBody(event),
         event.alarm ? DesktopNotifier::Urgency::Critical : DesktopNotifier::Urgency::Normal});
}

void AlarmAlerts::RunCommand(const AlarmEvent& event, const std::string& commandLine) {
    // The settings take only lines that split; one edited into the file by
    // hand and broken was refused at load.
    const autostart::ExecLine line = autostart::SplitExecLine(commandLine);
    if (line.arguments.empty()) {
        return;
    }
    if (!runner) {
        runner = std::make_unique<CommandRunner>(commandLimit,
                                                 [this](const std::string& text) { Tell(text); });
    }
    runner->Run(line.arguments, CommandEnvironment(event), line.arguments.front());
}

bool AlarmAlerts::WaitForCommands(std::chrono::milliseconds most) {
    return !runner || runner->WaitUntilIdle(most);
}

void AlarmAlerts::Tell(const std::string& line) {
    // Called from the command's watcher threads too: standard error takes
    // whole lines from any thread.
    if (report) {
        report(line);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), line.c_str());
}

} // namespace kelvo
