#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kelvo {

// Turns SIGTERM, SIGINT and SIGHUP (the terminal the monitor was started from
// going away) into one call on the user-interface thread, so that being told to
// stop ends the program as closing its window does. Only the first request
// counts: once a close is under way, further signals change nothing, and when
// this object ends (the program is ending) they stay ignored.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(std::function<void()> onTermination);
    ~TerminationSignals() override;

private:
    std::function<void()> onTermination;
    QSocketNotifier* notifier = nullptr;
};

} // namespace kelvo
