#pragma once

#include "monitor/app/AlarmAlerts.h"
#include "monitor/core/ConfigurationStore.h"
#include "monitor/core/MetricsEndpoint.h"
#include "monitor/core/MonitorMetrics.h"
#include "monitor/core/MonitorState.h"
#include "monitor/device/ThermometerProtocol.h"
#include "monitor/mail/CEmailPage.h"
#include "monitor/pages/CCurvePage.h"
#include "monitor/pages/CLogPage.h"
#include "monitor/pages/CSettingPage.h"
#include "platform/dialog/Dialog.h"

#include <QFont>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class QComboBox;

namespace kelvo {

namespace dialog {
class TabControl;
}

// Control ids of the main window.
namespace mainwindow {
inline constexpr int tabsId = 1000;
inline constexpr int innerGroupId = 1006;
inline constexpr int innerReadoutId = 1007;
inline constexpr int innerMaxId = 1008;
inline constexpr int innerMinId = 1009;
inline constexpr int innerAvgId = 1010;
inline constexpr int outerGroupId = 1011;
inline constexpr int outerReadoutId = 1012;
inline constexpr int outerMaxId = 1013;
inline constexpr int outerMinId = 1014;
inline constexpr int outerAvgId = 1015;
inline constexpr int stopId = 1016;
inline constexpr int deviceListId = 1017;
inline constexpr int readingId = 1019;

inline constexpr int readTimerId = 888;
inline constexpr int recordTimerId = 999;
inline constexpr int mailTimerId = 1000;
inline constexpr int retryTimerId = 1010;
} // namespace mainwindow

// The main window: owns the monitor state, the four pages in the tab control,
// the thermometer list and the timers.
class CMainDlg : public dialog::Dialog, public MonitorState, private ConfigurationPages {
    Q_OBJECT
public:
    // pause: the wait before a thermometer's answer is read; tests pass their own.
    explicit CMainDlg(ThermometerProtocol::Pause pause = ThermometerProtocol::SleepPause);
    ~CMainDlg() override;

    // Handlers, public so that the application and tests can drive them as the
    // platform would.
    bool OnInitDialog() override;
    void OnSysCommand(int command);
    void OnReading();
    void OnStop();
    void OnSelchangeTab();
    void OnTimer(int id) override;
    void OnClose() override;
    void OnSelchangeDevice();

    // The thermometer's commands, on the selected thermometer.
    bool SendSelectionCommand(bool select) { return protocol.SendSelectionCommand(select); }
    void CheckDeviceType() { protocol.CheckDeviceType(); }
    bool WriteConfiguration(std::uint8_t typeCode, std::uint8_t innerWhole,
                            std::uint8_t innerTenths, std::uint8_t outerWhole,
                            std::uint8_t outerTenths) {
        return protocol.WriteConfiguration(typeCode, innerWhole, innerTenths, outerWhole,
                                           outerTenths);
    }
    double ReadTemperature(bool inner) { return protocol.ReadTemperature(inner); }

    void LoadConfiguration();
    void SaveConfiguration();

    // The sampling cycle.
    void StartSamplingPass();
    void UpdateInnerStatistics(double value);
    void UpdateOuterStatistics(double value);
    // The three statistics lines again, with no new value.
    void ShowInnerStatistics();
    void ShowOuterStatistics();
    void SetInnerColour(bool red);
    void StartMailTimer(int period);
    void StopMailTimer();
    // Waits until the running sampling pass, if any, has ended.
    void WaitForSamplingPass();

    // Ends the process at once when the chart control cannot be had; tests
    // catch it instead.
    std::function<void(int)> endProcess = [](int exitCode) {
        std::fflush(nullptr);
        std::_Exit(exitCode);
    };

    // The wait before a thermometer's answer is read, also used by the
    // settings page before it writes the calibration.
    const ThermometerProtocol::Pause devicePause;

    // The clock that stamps record rows and names record files; tests set their own.
    std::function<std::time_t()> recordClock = [] { return std::time(nullptr); };

    // The metrics for Prometheus, kept whether or not they are served, and
    // their endpoint while MetricsListen names an address that could be bound.
    MonitorMetrics metrics{MonitorVersion()};
    std::unique_ptr<MetricsEndpoint> metricsEndpoint;

    // Desktop notification and alarm command on each crossing of the band.
    AlarmAlerts alarmAlerts;

    CCurvePage curvePage;
    CLogPage logPage;
    CEmailPage emailPage;
    CSettingPage settingPage;
    QComboBox* deviceList = nullptr;
    dialog::TabControl* tabs = nullptr;

protected:
    bool event(QEvent* event) override;
    void OnCtlColor(int id, dialog::ControlColours& colours) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreatePages();
    void CreateHiddenPages();
    void SetReadoutText(int id, const std::string& text);
    QRect PageArea() const;
    // The start-up's thermometer exchange (selection, type check) and what
    // follows it: the page refreshes, reading, the retry timer.
    void FinishStartup();
    void SetReadoutFonts();
    void FillDeviceList(int count);
    void SelectDevice();
    void RetryDevices();
    void StartMetrics();

    void ReadTick();
    void RecordTick();
    void MailTick();
    void SamplingPass();
    // The read half's effect on the window, on the user-interface thread;
    // false when the pass ends here.
    bool ShowReading(double reading);
    void EnterWaitingState();
    // The hand-off half: the last reading to the chart and the table. Gives
    // the wave file to sound when the reading is outside the alarm band; the
    // worker plays it once the window is free again.
    std::optional<std::string> HandOffReading();
    void WriteRecordRow();

    void SetCurveChecks(bool inner, bool outer) override;
    void GetCurveChecks(bool& inner, bool& outer) override;
    void SetStartupMode(bool automatic) override;
    bool IsAutoStart() override;

    bool startupPending = false;
    bool hiddenPagesCreated = false;
    // Each readout's font for readings, by control id.
    std::map<int, QFont> readingFonts;
    ThermometerProtocol protocol;
    // Set from a record row that was not written until the next one that is.
    bool recordRowsLost = false;
    std::thread samplingWorker;
    // Set while a worker thread exists that has not finished its pass.
    std::atomic<bool> workerRunning = false;
};

} // namespace kelvo
