#include "monitor/core/MailConfigRow.h"

#include "monitor/mail/ZBase64.h"

#include <gtest/gtest.h>

#include <climits>

namespace kelvo {
namespace {

constexpr char emptyRow[] = "|^||^||^||^||^|0|^|0|^|0|^|0.00|^|0.00|^||^|";
constexpr char fullRow[] = "mail.example.org|^|lab@example.org|^|lab|^|"
                           "a@example.org;b@example.org|^|Lab 3|^|15|^|1|^|0|^|30.50|^|-5.25|^|"
                           "c2VjcmV0|^|";

TEST(NextRowField, TakesTheTextBeforeTheNextTerminator) {
    const struct {
        const char* rest;
        const char* field;
        const char* after;
    } cases[] = {
        {"a|^|b|^|", "a", "b|^|"},
        {"|^|", "", ""},
        {"a|^b|^|c", "a|^b", "c"},
        {"no terminator", "", "no terminator"},
        {"", "", ""},
        {"|^|^|", "", "^|"},
    };
    for (const auto& test : cases) {
        std::string rest = test.rest;
        EXPECT_EQ(NextRowField(rest), test.field) << test.rest;
        EXPECT_EQ(rest, test.after) << test.rest;
    }
}

TEST(MailConfigRow, ReadsEveryFieldAndWritesTheSameRowBack) {
    MailConfigRows rows;
    ParseMailRow(rows, fullRow, 4);
    EXPECT_EQ(rows.server[4], "mail.example.org");
    EXPECT_EQ(rows.sender[4], "lab@example.org");
    EXPECT_EQ(rows.userName[4], "lab");
    EXPECT_EQ(rows.recipients[4], "a@example.org;b@example.org");
    EXPECT_EQ(rows.subjectPrefix[4], "Lab 3");
    EXPECT_EQ(rows.interval[4], 15);
    EXPECT_TRUE(rows.sending[4]);
    EXPECT_FALSE(rows.periodic[4]);
    EXPECT_EQ(rows.upper[4], 30.5);
    EXPECT_EQ(rows.lower[4], -5.25);
    EXPECT_EQ(rows.password[4], "secret");
    EXPECT_EQ(FormatMailRow(rows, 4), fullRow);
}

TEST(MailConfigRow, EmptyTextIsAnEmptyRow) {
    MailConfigRows rows;
    ParseMailRow(rows, fullRow, 0);
    ParseMailRow(rows, "", 0);
    EXPECT_EQ(FormatMailRow(rows, 0), emptyRow);
    EXPECT_EQ(FormatMailRow(MailConfigRows{}, 9), emptyRow);
}

TEST(MailConfigRow, SampleRowHoldsASixteenCharacterPassword) {
    MailConfigRows rows;
    ParseMailRow(rows, sampleMailRow, 1);
    EXPECT_EQ(rows.server[1], "smtp.example.com");
    EXPECT_EQ(rows.interval[1], 1);
    EXPECT_TRUE(rows.sending[1] && rows.periodic[1]);
    EXPECT_EQ(rows.upper[1], 1.0);
    EXPECT_EQ(rows.lower[1], 1.0);
    EXPECT_EQ(ZBase64::EncodeText(rows.password[1].c_str()).size(), 16u);
    EXPECT_EQ(FormatMailRow(rows, 1), sampleMailRow);
}

// Fields are not escaped: a terminator typed into the subject prefix moves every
// later field one place on at the next load.
TEST(MailConfigRow, TerminatorInASubjectShiftsTheLaterFields) {
    MailConfigRows rows;
    ParseMailRow(rows, fullRow, 0);
    rows.subjectPrefix[0] = "A|^|B";
    ParseMailRow(rows, FormatMailRow(rows, 0), 1);
    EXPECT_EQ(rows.subjectPrefix[1], "A");
    EXPECT_EQ(rows.interval[1], 0);  // "B"
    EXPECT_FALSE(rows.sending[1]);   // "15"
    EXPECT_TRUE(rows.periodic[1]);   // "1"
    EXPECT_EQ(rows.upper[1], 0.0);   // "0"
    EXPECT_EQ(rows.lower[1], 30.5);  // "30.50"
    EXPECT_EQ(rows.password[1], ""); // "-5.25" decodes to nothing
}

TEST(MailConfigRow, MissingFinalTerminatorLosesOnlyThePassword) {
    std::string row = fullRow;
    row.resize(row.size() - 3);
    MailConfigRows rows;
    ParseMailRow(rows, row, 2);
    EXPECT_EQ(rows.lower[2], -5.25);
    EXPECT_EQ(rows.password[2], "");

    ParseMailRow(rows, std::string(fullRow) + "ignored|^|", 3);
    EXPECT_EQ(rows.password[3], "secret");
}

TEST(MailConfigRow, IndexOutsideTheTenRowsTouchesNothing) {
    MailConfigRows rows;
    for (const int index : {-1, 10, INT_MAX}) {
        ParseMailRow(rows, fullRow, index);
        EXPECT_EQ(FormatMailRow(rows, index), "");
    }
    for (int index = 0; index < mailRowCount; ++index) {
        EXPECT_EQ(FormatMailRow(rows, index), emptyRow);
    }
}

TEST(ActiveMailRow, MapsAnIndexOutsideTheTenRowsToRowZero) {
    const std::pair<int, int> cases[] = {{0, 0}, {9, 9}, {5, 5}, {10, 0}, {-1, 0}, {INT_MIN, 0}};
    MonitorState state;
    for (const auto& [stored, active] : cases) {
        state.mailRowIndex = stored;
        EXPECT_EQ(ActiveMailRow(state), active) << stored;
    }
}

} // namespace
} // namespace kelvo
