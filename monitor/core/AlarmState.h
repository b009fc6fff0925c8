#pragma once

#include <optional>

namespace kelvo {

// Follows the inner reading against the sound-alarm band and tells when it
// leaves the band (alarm) and when it has come back inside by the margin
// (clear), so that notices go out once per excursion. The sound alarm keeps
// its own rule and sounds on every sample outside.
class AlarmState {
public:
    enum class Transition { None, Alarm, Clear };

    // The band as stored: a value equal to a bound is inside, as for the sound.
    struct Band {
        double lower = 0.0;
        double upper = 0.0;
        // How far inside the band a value must be to clear a standing alarm.
        double hysteresis = 0.0;
    };

    // One sample. No value (a sensor error, a skipped sample) and a value that
    // is not a number change nothing.
    Transition Follow(std::optional<double> value, const Band& band);

    bool Alarmed() const { return alarmed; }
    // Forgets a standing alarm without a clear, as when the alarm is turned off.
    void Reset() { alarmed = false; }

private:
    bool alarmed = false;
};

} // namespace kelvo
