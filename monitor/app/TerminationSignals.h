#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kelvo {

// Turns SIGTERM and SIGINT into a call on the user-interface thread, so that
// being told to stop ends the program as closing its window does.
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
