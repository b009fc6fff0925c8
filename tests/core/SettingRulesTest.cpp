#include "monitor/core/SettingRules.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(SettingRulesTest, CalibrationLiesStrictlyBetweenMinusElevenAndEleven) {
    for (double accepted : {10.9, -10.9, 0.0, 10.99}) {
        EXPECT_TRUE(IsValidCalibration(accepted)) << accepted;
    }
    for (double rejected : {11.0, -11.0, 11.01, -250.0}) {
        EXPECT_FALSE(IsValidCalibration(rejected)) << rejected;
    }
}

TEST(SettingRulesTest, CalibrationBytesFloorTheOffsetPlusTwenty) {
    struct Case {
        double inner;
        double outer;
        std::array<std::uint8_t, 5> bytes;
    };
    const Case cases[] = {
        {0.7, 0.0, {'X', 20, 6, 20, 0}},   // 20.7 - 20 is just below 0.7
        {-1.5, 2.3, {'X', 18, 5, 22, 3}},  // 22.3 - 22 is just above 0.3
        {10.9, -10.9, {'X', 30, 8, 9, 0}}, // 30.9 - 30 and 9.1 - 9 fall just short
        {-0.05, 0.0, {'X', 19, 9, 20, 0}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(CalibrationBytes('X', test.inner, test.outer), test.bytes)
            << test.inner << " " << test.outer;
    }
}

TEST(SettingRulesTest, SaveItemsAreCorrectedIntoOneTo65535) {
    struct Case {
        const char* typed;
        int value;
        const char* shown; // "" when the typed text stays
    };
    const Case cases[] = {
        {"5000", 5000, ""},
        {"1", 1, ""},
        {"65535", 65535, ""},
        {"12abc", 12, ""},
        {"0", 1, "1"},
        {"abc", 1, "1"},
        {"", 1, "1"},
        {"-5", 1, "1"},
        {"70000", 65535, "65535"},
        {"99999999999", 65535, "65535"},
    };
    for (const Case& test : cases) {
        const SaveItemsEntry entry = ReadSaveItems(test.typed);
        EXPECT_EQ(entry.value, test.value) << test.typed;
        EXPECT_EQ(entry.correctedText, test.shown) << test.typed;
    }
}

TEST(SettingRulesTest, WaveEntrySearchStartsAtTheSecondEntryAndWraps) {
    const std::vector<std::string> list{"alarm2.wav", "Alarm.wav", "Beeps.wav", "chime.wav"};
    struct Case {
        const char* name;
        int index;
    };
    const Case cases[] = {
        {"ALARM", 1},     // the search begins at the second entry
        {"alarm.WAV", 1}, // case does not matter
        {"alarm2", 0},    // wraps round to the first
        {"CHIME.wav", 3}, {"Siren.wav", -1}, {"alarm2.wav.bak", -1},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(FindWaveEntry(list, test.name), test.index) << test.name;
    }
    EXPECT_EQ(FindWaveEntry({}, "Alarm.wav"), -1);
    // A whole name is not taken for the start of a longer one that comes first.
    EXPECT_EQ(FindWaveEntry({"Alarm.wav", "Alarm.wav.bak"}, "alarm.wav"), 0);
}

TEST(SettingRulesTest, UnitChangeConvertsOnlyOnceTheFirstSampleHasArrived) {
    MonitorState state;
    state.innerCurrent = state.innerMax = 40.0;
    state.innerMin = 20.0;
    state.innerAvg = 32.5;
    state.outerCurrent = -40.0;

    EXPECT_FALSE(ChangeUnit(state, false)) << "no sample yet";
    EXPECT_FALSE(state.isCelsius);
    EXPECT_DOUBLE_EQ(state.innerMax, 40.0);

    state.innerPending = false;
    EXPECT_FALSE(ChangeUnit(state, false)) << "the unit in force";
    EXPECT_DOUBLE_EQ(state.innerMax, 40.0);

    EXPECT_TRUE(ChangeUnit(state, true));
    EXPECT_TRUE(state.isCelsius);
    EXPECT_NEAR(state.innerMax, 4.444444, 1e-6);
    EXPECT_TRUE(ChangeUnit(state, false));
    EXPECT_NEAR(state.innerMax, 40.0, 1e-9);
    EXPECT_FALSE(ChangeUnit(state, false)) << "Fahrenheit already";

    state.isCelsius = true;
    ASSERT_TRUE(ChangeUnit(state, false));
    EXPECT_DOUBLE_EQ(state.innerCurrent, 104.0);
    EXPECT_DOUBLE_EQ(state.innerMax, 104.0);
    EXPECT_DOUBLE_EQ(state.innerMin, 68.0);
    EXPECT_DOUBLE_EQ(state.innerAvg, 90.5);
    EXPECT_DOUBLE_EQ(state.outerCurrent, -40.0) << "minus forty is the same in both";
}

TEST(SettingRulesTest, FolderSeparators) {
    EXPECT_EQ(WithTrailingSeparator("/home/a"), "/home/a/");
    EXPECT_EQ(WithTrailingSeparator("/home/a/"), "/home/a/");
    EXPECT_EQ(WithTrailingSeparator("/"), "/");
    EXPECT_EQ(WithoutTrailingSeparator("/home/a/"), "/home/a");
    EXPECT_EQ(WithoutTrailingSeparator("/home/a"), "/home/a");
    EXPECT_EQ(WithoutTrailingSeparator("/"), "/");
}

} // namespace
} // namespace kelvo
