#include "monitor/core/AlarmState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kelvo {
namespace {

using Transition = AlarmState::Transition;
constexpr Transition none = Transition::None;
constexpr Transition alarm = Transition::Alarm;
constexpr Transition clear = Transition::Clear;

struct Sequence {
    const char* name;
    double hysteresis;
    std::vector<std::optional<double>> values;
    std::vector<Transition> transitions;
};

class AlarmStateTest : public testing::TestWithParam<Sequence> {};

// Band 10 to 30 throughout; each value gives the transition beside it.
TEST_P(AlarmStateTest, ReportsEachCrossingOnce) {
    const Sequence& sequence = GetParam();
    ASSERT_EQ(sequence.values.size(), sequence.transitions.size());
    AlarmState state;
    const AlarmState::Band band{10.0, 30.0, sequence.hysteresis};
    for (std::size_t index = 0; index < sequence.values.size(); ++index) {
        EXPECT_EQ(state.Follow(sequence.values[index], band), sequence.transitions[index])
            << "sample " << index;
    }
}

const double notANumber = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Band10To30, AlarmStateTest,
    testing::Values(
        Sequence{"BoundsAreInside", 0.0, {30.0, 10.0, 20.0}, {none, none, none}},
        Sequence{"AboveThenBack", 0.0, {30.01, 31.0, 30.0, 29.0}, {alarm, none, clear, none}},
        Sequence{"BelowThenBack", 0.0, {9.99, 10.0}, {alarm, clear}},
        Sequence{"AcrossTheBand", 0.0, {31.0, 9.0, 20.0}, {alarm, none, clear}},
        Sequence{"AgainAfterClear", 0.0, {31.0, 20.0, 31.0}, {alarm, clear, alarm}},
        // The margin holds the alarm until the value is back by it, exactly
        // by it included.
        Sequence{"MarginHoldsTheAlarm", 0.3, {30.5, 30.0, 29.8, 29.7}, {alarm, none, none, clear}},
        Sequence{"MarginBelow", 0.5, {9.0, 10.25, 10.5}, {alarm, none, clear}},
        Sequence{"MarginDoesNotWidenTheAlarm", 0.5, {29.9, 10.1}, {none, none}},
        Sequence{"SensorErrorChangesNothing",
                 0.0,
                 {std::nullopt, 31.0, std::nullopt, notANumber, 20.0},
                 {none, alarm, none, none, clear}}),
    [](const testing::TestParamInfo<Sequence>& info) { return info.param.name; });

TEST(AlarmState, ResetForgetsTheAlarmWithoutAClear) {
    AlarmState state;
    const AlarmState::Band band{10.0, 30.0, 0.0};
    ASSERT_EQ(state.Follow(31.0, band), alarm);
    state.Reset();
    EXPECT_FALSE(state.Alarmed());
    EXPECT_EQ(state.Follow(20.0, band), none);
    EXPECT_EQ(state.Follow(31.0, band), alarm);
}

} // namespace
} // namespace kelvo
