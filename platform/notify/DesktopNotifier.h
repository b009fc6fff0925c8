#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelvo {

// Desktop notifications through org.freedesktop.Notifications on a D-Bus
// connection (the session bus for the monitor). Each notice replaces the one
// before, so that a run of alarms shows as one notification that changes
// rather than a stack. Calls never wait: the server's answer arrives in the
// event loop of the thread that shows.
class DesktopNotifier {
public:
    // Gets each failure line; called on the showing thread.
    using Report = std::function<void(const std::string&)>;

    enum class Urgency { Normal = 1, Critical = 2 };

    struct Notice {
        std::string summary;
        std::string body;
        Urgency urgency = Urgency::Normal;
    };

    // appName names the sender to the server; icon goes with every notice.
    DesktopNotifier(QDBusConnection connection, std::string appName, QImage icon,
                    Report report = {});
    ~DesktopNotifier();
    DesktopNotifier(const DesktopNotifier&) = delete;
    DesktopNotifier& operator=(const DesktopNotifier&) = delete;

    // Shows the notice. Without a bus, or when the server fails, nothing
    // shows and one line tells why, once until a notice shows again.
    void Show(const Notice& notice);

    // No call is waiting for the server's answer.
    bool Idle() const { return !inFlight; }

private:
    void Send(const Notice& notice);
    void Finished(bool ok, unsigned id, const std::string& error);
    void Fail(const std::string& line);

    QDBusConnection connection;
    const QString appName;
    const QImage icon;
    Report report;
    // Parent of the calls in flight: they go with the notifier.
    std::unique_ptr<QObject> calls;
    bool inFlight = false;
    // The latest notice asked for while a call was in flight: sent once its
    // answer brings the id to replace.
    std::optional<Notice> waiting;
    unsigned lastId = 0;
    bool toldFailure = false;
};

} // namespace kelvo
