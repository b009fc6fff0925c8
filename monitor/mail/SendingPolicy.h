#pragma once

#include "monitor/core/MonitorState.h"
#include "monitor/mail/MailSecurity.h"

#include <chrono>
#include <ctime>
#include <string>

namespace kelvo {

// When a due mail tick sends a report, what the report says, and why one failed:
// the e-mail page's rules, kept free of windows and threads.

// A periodic row reports on every due tick; an alarm row only when the value is
// outside its band. A value equal to a limit is inside, and a value that is not
// a number is outside, so that a broken reading is reported rather than hidden.
bool ReportFallsDue(bool periodic, double value, double upper, double lower);

// " :Inner=21.50" for a periodic report, "Alarm:Inner=30.01" for an alarm one.
std::string ReportTag(bool periodic, double value);

// "Clear:Inner=25.00": the one report of an alarm row once the value is back in its band.
std::string ClearTag(double value);

// Everything one report's exchange needs, copied out of its row, so that the
// mail worker shares nothing with the window.
struct Report {
    std::string server;
    std::string sender;
    std::string userName;
    std::string password;
    std::string recipients;
    std::string subject;
    std::string body;
};

// The report of row `row` with the tag: subject = prefix + tag, body =
// "HIDKelvo " + tag + " " + the local time of `now`.
Report ComposeReport(const MailConfigRows& rows, int row, const std::string& tag, std::time_t now);

// The failure text of the first empty field, checked in the order server, user
// name, password, sender, recipients; empty when none is.
std::string MissingFieldText(const Report& report);

// Connects, logs in and sends the report; blocks for the whole exchange, every
// wait bounded by the time-out. Empty on success, else the failure text of the
// step that failed; `detail` then tells why the exchange could not be
// secured, when that was the cause.
std::string DeliverReport(const Report& report, int port, std::chrono::milliseconds timeout,
                          const MailTransport& transport = {}, std::string* detail = nullptr);

// "successes/attempts", as the counter label shows them.
std::string CounterLabel(int successes, int attempts);

// A failed report as the monitor tells it, on standard error and in the counter's
// tooltip: "2026-12-10 11:05:00 mail report failed: " + the failure text, then
// its meaning in brackets.
std::string FailureNote(const std::string& failure, std::time_t when);

// Whether a text would shift the later fields of its row once stored.
bool BreaksRowFields(const std::string& text);

} // namespace kelvo
