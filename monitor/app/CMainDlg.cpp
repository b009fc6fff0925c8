#include "monitor/app/CMainDlg.h"

#include "monitor/app/CAboutDlg.h"
#include "monitor/app/CMoreSettingsDlg.h"
#include "monitor/app/ChartRegistration.h"
#include "monitor/core/MailConfigRow.h"
#include "monitor/core/RecordFile.h"
#include "monitor/core/SamplingRules.h"
#include "monitor/core/SettingRules.h"
#include "monitor/core/TextNumbers.h"
#include "monitor/device/ProcessDeviceTable.h"
#include "monitor/resources/AppIcon.h"
#include "monitor/resources/Strings.h"
#include "monitor/resources/Templates.h"
#include "platform/dialog/MessageBox.h"
#include "platform/dialog/TabControl.h"
#include "platform/dialog/UiThread.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QTimer>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace kelvo {
namespace {

using namespace mainwindow;

constexpr int timerPeriod = 1000;
constexpr int pageTopOffset = 20;
enum TabIndex { logTab = 0, emailTab = 1, curveTab = 2, settingTab = 3 };

// The largest bold font of the dialog's family, of at most `largest`
// pixels, in which text fits the readout.
QFont FittingReadoutFont(const QLabel& readout, const QString& text, int largest) {
    QFont font = readout.font();
    font.setBold(true);
    for (int pixels = largest; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text) <= readout.width() &&
            metrics.height() <= readout.height() + 2) {
            break;
        }
    }
    return font;
}

} // namespace

CMainDlg::CMainDlg(ThermometerProtocol::Pause pause)
    : Dialog(resources::MainTemplate()), devicePause(std::move(pause)),
      protocol(
          ProcessDeviceTable(), *this, [this](const std::string& text) { MessageBox(text); },
          devicePause) {}

// A pass still running must not outlive the window it reports to. Once the
// application has stopped taking calls on the user-interface thread, the
// pass's calls are refused and it ends at once; before that, they are served
// here until it ends.
CMainDlg::~CMainDlg() {
    // A report in flight comes back to the e-mail page; no new one starts meanwhile.
    StopMailTimer();
    emailPage.WaitForReport();
    WaitForSamplingPass();
}

bool CMainDlg::OnInitDialog() {
    // The window manager's menu cannot be extended here; the about item lives
    // in the window's context menu and on F1 instead (see contextMenuEvent).
    // A window inherits the application's icon, which the program sets.
    if (QGuiApplication::windowIcon().isNull()) {
        setWindowIcon(resources::ApplicationIcon());
    }
    deviceList = Item<QComboBox>(deviceListId);
    tabs = Item<dialog::TabControl>(tabsId);

    const ShowMessageFunction showMessage = [this](const std::string& text) { MessageBox(text); };
    if (!EnsureChartControl(showMessage)) {
        MessageBox("could not load Active X control!");
        endProcess(0);
        return false;
    }
    CreatePages();
    // A chart that cannot be created is a chart that is not registered.
    if (!CreateChartRegisteringAgain([this] { return curvePage.CreateChart(); }, showMessage)) {
        MessageBox("could not load Active X control!");
        endProcess(0);
        return false;
    }
    // The pages read and write the window's fields from their first refresh on.
    settingPage.owner = this;
    emailPage.owner = this;
    SetDefaults(*this);
    LoadConfiguration();
    StartMetrics();

    deviceList->clear();
    const int count = HidEnumerateDevices();
    metrics.ThermometersListed(count);
    if (count >= 1) {
        FillDeviceList(count);
    }
    SetReadoutFonts();

    OnControlEvent(readingId, dialog::ControlEvent::Clicked, [this] { OnReading(); });
    OnControlEvent(stopId, dialog::ControlEvent::Clicked, [this] { OnStop(); });
    OnControlEvent(tabsId, dialog::ControlEvent::SelectionChanged, [this] { OnSelchangeTab(); });
    OnControlEvent(deviceListId, dialog::ControlEvent::SelectionChanged,
                   [this] { OnSelchangeDevice(); });

    // The thermometer's exchange waits half a second for an answer: the
    // window is shown and drawn first, and the exchange follows its first
    // frame (see event). A window that is not shown runs it as soon as the
    // event loop turns.
    startupPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!isVisible()) {
                FinishStartup();
            }
        },
        Qt::QueuedConnection);
    return true;
}

void CMainDlg::FinishStartup() {
    if (!startupPending) {
        return;
    }
    startupPending = false;
    CreateHiddenPages();
    const bool found = ComboGetCount(deviceListId) >= 1;
    if (found) {
        SelectDevice();
        CheckDeviceType();
    }
    settingPage.ShowCalibration();
    emailPage.ShowRow(ActiveMailRow(*this));
    emailPage.SelectRow(ActiveMailRow(*this));
    settingPage.ShowUnit();
    settingPage.ShowReadInterval();
    settingPage.ShowSaveSettings();
    settingPage.ShowSoundAlarm();
    if (found) {
        CheckDlgButton(readingId, true);
        OnReading();
    } else {
        deviceMissing = true;
    }
    SetTimer(retryTimerId, timerPeriod);
}

bool CMainDlg::event(QEvent* event) {
    const bool handled = Dialog::event(event);
    // Queued, so that the frame is finished and on the screen first.
    if (event->type() == QEvent::Paint && startupPending) {
        QMetaObject::invokeMethod(
            this, [this] { FinishStartup(); }, Qt::QueuedConnection);
    }
    return handled;
}

void CMainDlg::CreatePages() {
    tabs->InsertItem(logTab, QStringLiteral("Log"));
    tabs->InsertItem(emailTab, QStringLiteral("Email"));
    tabs->InsertItem(curveTab, QStringLiteral("Curve"));
    tabs->InsertItem(settingTab, QStringLiteral("Setting"));

    // The log page holds the start-up mode that the configuration sets.
    logPage.Create(tabs);
    curvePage.Create(tabs);
    for (dialog::Dialog* page : std::array<dialog::Dialog*, 2>{&logPage, &curvePage}) {
        page->setGeometry(PageArea());
    }
    logPage.hide();
    curvePage.show();
    tabs->SetCurSel(curveTab);
}

// The e-mail and setting pages are hidden at start and hold a few hundred
// controls and lists of thousands of entries between them: they are built
// once the first frame is out, before anything shows or reads them.
void CMainDlg::CreateHiddenPages() {
    if (hiddenPagesCreated) {
        return;
    }
    hiddenPagesCreated = true;
    // Made hidden: shown and hidden again, their controls would each be laid
    // out and polished for nothing.
    emailPage.Create(tabs, false);
    settingPage.Create(tabs, false);
    for (dialog::Dialog* page : std::array<dialog::Dialog*, 2>{&emailPage, &settingPage}) {
        page->setGeometry(PageArea());
    }
}

QRect CMainDlg::PageArea() const {
    return tabs->rect().adjusted(0, pageTopOffset, 0, 0);
}

// The font in which the widest reading still fits the readout, so that the
// value reads from across a room.
void CMainDlg::SetReadoutFonts() {
    static const QString widestReading = QStringLiteral("-100.00 F");
    for (int id : {innerReadoutId, outerReadoutId}) {
        if (auto* readout = Item<QLabel>(id)) {
            readingFonts[id] = FittingReadoutFont(*readout, widestReading, readout->height());
            readout->setFont(readingFonts[id]);
        }
    }
}

// A reading in the reading font; a longer text, such as the sensor's error,
// in the largest smaller size that shows it whole.
void CMainDlg::SetReadoutText(int id, const std::string& text) {
    auto* readout = Item<QLabel>(id);
    const auto reading = readingFonts.find(id);
    const QString shown = QString::fromStdString(text);
    if (readout != nullptr && readout->text() == shown) {
        return; // a sensor error that lasts is fitted once
    }
    if (readout != nullptr && reading != readingFonts.end()) {
        QFont font = reading->second;
        if (QFontMetrics(font).horizontalAdvance(shown) > readout->width()) {
            font = FittingReadoutFont(*readout, shown, font.pixelSize());
        }
        if (readout->font() != font) {
            readout->setFont(font);
        }
    }
    SetDlgItemText(id, text);
}

void CMainDlg::OnSysCommand(int command) {
    if (command == resources::aboutCommandId) {
        CAboutDlg about(this);
        about.DoModal();
    }
}

void CMainDlg::OnReading() {
    if (IsDlgButtonChecked(readingId)) {
        SetTimer(readTimerId, timerPeriod);
        SetTimer(recordTimerId, timerPeriod);
    }
}

void CMainDlg::OnStop() {
    if (IsDlgButtonChecked(stopId)) {
        KillTimer(readTimerId);
        KillTimer(recordTimerId);
    }
}

void CMainDlg::OnSelchangeTab() {
    CreateHiddenPages();
    logPage.hide();
    emailPage.hide();
    curvePage.hide();
    settingPage.hide();
    switch (tabs->GetCurSel()) {
    case logTab:
        logPage.show();
        break;
    case emailTab:
        emailPage.show();
        break;
    case curveTab:
        curvePage.show();
        break;
    case settingTab:
        settingPage.show();
        break;
    default:
        break;
    }
}

void CMainDlg::OnTimer(int id) {
    switch (id) {
    case readTimerId:
        ReadTick();
        break;
    case recordTimerId:
        RecordTick();
        break;
    case mailTimerId:
        MailTick();
        break;
    case retryTimerId:
        RetryDevices();
        break;
    default:
        break;
    }
}

void CMainDlg::FillDeviceList(int count) {
    for (int number = 1; number <= count; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "HID Device %02d", number);
        ComboAddString(deviceListId, name);
    }
    ComboSetCurSel(deviceListId, 0);
}

void CMainDlg::SelectDevice() {
    HidSelectDevice(ComboGetCurSel(deviceListId));
    // Their results tell nothing: a lost thermometer shows at the next reading.
    SendSelectionCommand(true);
    SendSelectionCommand(false);
    OnReading();
}

void CMainDlg::OnSelchangeDevice() {
    // A running pass may be between its T and its read: its answer must come
    // from the device it asked, so the new device is told only once it ends.
    WaitForSamplingPass();
    SelectDevice();
}

void CMainDlg::RetryDevices() {
    if (!deviceMissing) {
        return;
    }
    deviceList->clear();
    const int count = HidEnumerateDevices();
    metrics.ThermometersListed(count);
    if (count == 0) {
        return;
    }
    deviceMissing = false;
    innerPending = true;
    EnableDlgItem(readingId, true);
    EnableDlgItem(stopId, true);
    // The list selects its first entry, so the device selection picks device 0.
    FillDeviceList(count);
    SelectDevice();
    CheckDeviceType();
    LoadConfiguration();
    // The sound alarm's display keeps what the user set there.
    settingPage.ShowCalibration();
    settingPage.ShowUnit();
    settingPage.ShowReadInterval();
    settingPage.ShowSaveSettings();
    CheckDlgButton(readingId, true);
    CheckDlgButton(stopId, false);
    OnReading();
}

void CMainDlg::StartMetrics() {
    // Taken once, at start: a value changed in "More settings..." waits for
    // the next start.
    const std::string& listen = extensions.metricsListen;
    if (listen.empty()) {
        return;
    }
    std::string problem;
    metricsEndpoint = MetricsEndpoint::Open(listen, metrics.Registry(), problem);
    if (metricsEndpoint) {
        return;
    }
    const std::string text = "Prometheus metrics are off: MetricsListen=" + listen + " " + problem +
                             ". The monitor goes on without them.";
    std::fprintf(stderr, "%s\n", text.c_str());
    // Over the running window, and without waiting for OK: reading goes on,
    // and a monitor without a desktop, where nobody can press OK, still ends
    // when it is told to.
    QTimer::singleShot(0, this, [this, text] { dialog::OpenMessage(this, text); });
}

void CMainDlg::LoadConfiguration() {
    // A bad [Extensions] value falls back to its default; the user learns which.
    for (const std::string& note : kelvo::LoadConfiguration(*this, *this, ConfigurationPath())) {
        std::fprintf(stderr, "%s: %s\n", dialog::ProgramName().c_str(), note.c_str());
    }
}

void CMainDlg::SaveConfiguration() {
    // A save that fails leaves the old file whole; it is told on standard error.
    errno = 0;
    if (!kelvo::SaveConfiguration(*this, *this, ConfigurationPath())) {
        const int error = errno;
        dialog::WriteErrorNote(FormatLocalDateTime(std::time(nullptr)) + " settings not saved to " +
                               ConfigurationPath().string() +
                               (error != 0 ? std::string(": ") + std::strerror(error) : "") +
                               "; the file keeps what it held");
    }
}

void CMainDlg::SetCurveChecks(bool inner, bool outer) {
    curvePage.SetCurveChecks(inner, outer);
}

void CMainDlg::GetCurveChecks(bool& inner, bool& outer) {
    curvePage.GetCurveChecks(inner, outer);
}

void CMainDlg::SetStartupMode(bool automatic) {
    logPage.SetStartupMode(automatic);
}

bool CMainDlg::IsAutoStart() {
    return logPage.IsAutoStart();
}

void CMainDlg::OnClose() {
    if (ComboGetCount(deviceListId) >= 1) {
        SaveConfiguration();
    }
    Dialog::OnClose();
}

void CMainDlg::ReadTick() {
    if (CountTick(readTicks, readInterval)) {
        StartSamplingPass();
    }
}

void CMainDlg::RecordTick() {
    if (CountTick(saveTicks, saveInterval) && HasInnerTemperature() && logPage.IsFileRecording()) {
        WriteRecordRow();
    }
}

void CMainDlg::MailTick() {
    if (CountTick(mailTicks, mailInterval) && HasInnerTemperature() &&
        IsDlgButtonChecked(readingId)) {
        // The page keeps and shows the failure text itself.
        std::string failure;
        emailPage.CheckAndSend(failure, innerCurrent, ActiveMailRow(*this));
    }
}

void CMainDlg::StartSamplingPass() {
    if (samplingBusy) {
        return;
    }
    samplingBusy = true;
    // The previous pass cleared the busy mark as one of its last acts, so
    // this join only collects a thread that is ending anyway.
    if (samplingWorker.joinable()) {
        samplingWorker.join();
    }
    workerRunning = true;
    samplingWorker = std::thread([this] {
        SamplingPass();
        workerRunning = false;
    });
}

// The worker does the slow parts (the thermometer's exchange, the alarm
// sound); every change to the window and its fields is made through a call on
// the user-interface thread, so the two threads never touch a field at once.
void CMainDlg::SamplingPass() {
    bool reads = false;
    if (!dialog::UiThread::BlockingCall([this, &reads] { reads = readPhase; })) {
        return;
    }
    if (reads) {
        const double reading = ReadTemperature(true);
        bool goesOn = false;
        const bool served = dialog::UiThread::BlockingCall([this, reading, &goesOn] {
            goesOn = ShowReading(reading);
            if (!goesOn) {
                samplingBusy = false;
            }
        });
        if (!served || !goesOn) {
            return;
        }
    }
    std::optional<std::string> alarm;
    const bool served = dialog::UiThread::BlockingCall([this, &alarm] {
        readPhase = !readPhase;
        if (readPhase && HasInnerTemperature()) {
            alarm = HandOffReading();
        }
        if (!alarm) {
            samplingBusy = false;
        }
    });
    if (!served || !alarm) {
        return;
    }
    // The sound plays here, outside any call into the window: the window
    // stays responsive, and sampling waits, since the pass is still busy. A
    // sound that cannot be played is no reason to stop.
    settingPage.PlayAlarmSound(*alarm);
    dialog::UiThread::BlockingCall([this] { samplingBusy = false; });
}

bool CMainDlg::ShowReading(double reading) {
    const ReadingKind kind = ClassifyReading(reading);
    metrics.ReadingFailed(kind);
    switch (kind) {
    case ReadingKind::failure:
        innerCurrent = 0.0;
        innerSkipped = true;
        EnterWaitingState();
        return false;
    case ReadingKind::sensorError:
        SetReadoutText(innerReadoutId, "sensor maybe error");
        [[fallthrough]];
    case ReadingKind::noData:
        // A skipped sample: innerCurrent keeps the last temperature, and the
        // next pass reads again.
        innerSkipped = true;
        return false;
    case ReadingKind::temperature:
        break;
    }
    innerSkipped = false;
    innerCurrent = DisplayTemperature(reading, isCelsius, innerCalibration);
    SetReadoutText(innerReadoutId, FormatTemperature(innerCurrent, isCelsius));
    metrics.ReadingTaken(deviceList->currentText().toStdString(),
                         isCelsius ? innerCurrent : FahrenheitToCelsius(innerCurrent),
                         static_cast<double>(recordClock()));
    UpdateInnerStatistics(innerCurrent);
    SetInnerColour(colourPhase);
    colourPhase = !colourPhase;
    return true;
}

void CMainDlg::EnterWaitingState() {
    SetReadoutText(innerReadoutId, "Watting");
    SetReadoutText(outerReadoutId, "Watting");
    KillTimer(readTimerId);
    CheckDlgButton(readingId, false);
    CheckDlgButton(stopId, true);
    OnStop();
    EnableDlgItem(readingId, false);
    EnableDlgItem(stopId, false);
    deviceMissing = true;
    metrics.ThermometerLost();
}

std::optional<std::string> CMainDlg::HandOffReading() {
    curvePage.AddPoint(innerCurrent, outerCurrent);
    logPage.RecordSample(tableRowNumber, innerCurrent, isCelsius);
    alarmAlerts.HandOff(*this, deviceList->currentText().toStdString());
    // The outer band is kept and shown, but no outer reading is ever taken.
    const bool alarm = innerAlarmOn && IsOutsideBand(innerCurrent, innerLower, innerUpper);
    metrics.AlarmDecided(alarm);
    if (alarm) {
        return innerWaveFile;
    }
    return std::nullopt;
}

void CMainDlg::WriteRecordRow() {
    // A row that cannot be written is lost alone: the next tick tries again.
    // The first lost row of a run and the first row written after it are told.
    const std::time_t now = recordClock();
    errno = 0;
    const bool written = kelvo::WriteRecordRow(*this, now);
    if (written == recordRowsLost) {
        recordRowsLost = !written;
        dialog::WriteErrorNote(written ? RecordResumedNote(*this, now)
                                       : RecordLostNote(*this, now, errno));
    }
}

void CMainDlg::UpdateInnerStatistics(double value) {
    Statistics{innerPending, innerMax, innerMin, innerAvg}.Add(value);
    ShowInnerStatistics();
}

void CMainDlg::ShowInnerStatistics() {
    SetDlgItemText(innerMaxId, "Max Temp:" + FormatFixed2(innerMax));
    SetDlgItemText(innerMinId, "Min Temp:" + FormatFixed2(innerMin));
    SetDlgItemText(innerAvgId, "Avg Temp:" + FormatFixed2(innerAvg));
}

void CMainDlg::UpdateOuterStatistics(double value) {
    Statistics{outerPending, outerMax, outerMin, outerAvg}.Add(value);
    ShowOuterStatistics();
}

void CMainDlg::ShowOuterStatistics() {
    SetDlgItemText(outerMaxId, "Max Temp:" + FormatFixed2(outerMax));
    SetDlgItemText(outerMinId, "Min Temp:" + FormatFixed2(outerMin));
    SetDlgItemText(outerAvgId, "Avg Temp:" + FormatFixed2(outerAvg));
}

void CMainDlg::SetInnerColour(bool red) {
    innerTextColour = red ? Colour{255, 0, 0} : Colour{0, 0, 255};
    // The new palette asks for a repaint; the readout is drawn in the next
    // frame together with its text and the statistics, not on its own now.
    UpdateControlColours(innerReadoutId);
    if (QWidget* readout = GetDlgItem(innerReadoutId)) {
        readout->update();
    }
}

void CMainDlg::StartMailTimer(int period) {
    if (!mailTimerOn) {
        mailTimerOn = true;
        SetTimer(mailTimerId, period);
    }
}

void CMainDlg::StopMailTimer() {
    if (mailTimerOn) {
        mailTimerOn = false;
        KillTimer(mailTimerId);
    }
}

void CMainDlg::WaitForSamplingPass() {
    // The pass may be waiting for a call on this thread: serve calls until it ends.
    while (workerRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (samplingWorker.joinable()) {
        samplingWorker.join();
    }
}

void CMainDlg::OnCtlColor(int id, dialog::ControlColours& colours) {
    auto toQColor = [](const Colour& colour) {
        return QColor(colour.red, colour.green, colour.blue);
    };
    if (id == innerReadoutId) {
        colours.transparent = true;
        colours.text = toQColor(innerTextColour);
    } else if (id == outerReadoutId) {
        colours.text = toQColor(outerTextColour);
    }
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        OnSysCommand(resources::aboutCommandId);
        return;
    }
    Dialog::keyPressEvent(event);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QString::fromUtf8(resources::aboutItemText),
                   [this] { OnSysCommand(resources::aboutCommandId); });
    menu.addAction(QString::fromUtf8(resources::moreSettingsItemText), [this] {
        CMoreSettingsDlg more(extensions, this);
        more.DoModal();
    });
    menu.exec(event->globalPos());
}

} // namespace kelvo
