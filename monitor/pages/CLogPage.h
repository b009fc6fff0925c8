#pragma once

#include "platform/dialog/Dialog.h"

#include <ctime>
#include <functional>

namespace kelvo {

// Control ids of the table page.
namespace logpage {
inline constexpr int tableId = 1021;
inline constexpr int tableRecordingId = 1008;
inline constexpr int tableStopId = 1009;
inline constexpr int fileRecordingId = 1011;
inline constexpr int fileStopId = 1012;
inline constexpr int autoModeId = 1014;
inline constexpr int manualModeId = 1015;
} // namespace logpage

// The "Log" tab: one row per sample, the two recording switches and the
// start-up mode.
class CLogPage : public dialog::Dialog {
    Q_OBJECT
public:
    // The table numbers its rows up to this, then starts again from 1.
    static constexpr int maximumRows = 32768;

    using Clock = std::function<std::time_t()>;

    CLogPage();

    // The calls below may come from any thread: list and radio work is
    // handed to the user-interface thread, and the caller waits for it.

    // Removes every column and row, then sets the styles and the three columns.
    void InitList();
    // Inserts row number at position number - 1 with the time now and the
    // reading with its unit letter, then scrolls the last row into view.
    void AddRow(int number, double reading, bool centigrade);
    // One sample for the table: while "show table" records, advances
    // tableRowNumber (back to 1 and an empty table past maximumRows) and adds
    // the row; while it stands on "Stop", nothing changes.
    void RecordSample(int& tableRowNumber, double reading, bool centigrade);

    // Auto: "Auto log mode" and both "Recording"; manual: "Manual mode" and
    // both "Stop".
    void SetStartupMode(bool automatic);
    bool IsTableRecording() const;
    bool IsFileRecording() const;
    bool IsAutoStart() const;

    // The time stamped on new rows; the wall clock unless a test sets its own.
    void SetClock(Clock clock);

protected:
    bool OnInitDialog() override;

private:
    void OnAutoLogMode();
    void OnManualMode();
    bool IsChecked(int id) const;
    void ScrollToLastRow();

    Clock clock;
    bool scrollPending = false;
};

} // namespace kelvo
