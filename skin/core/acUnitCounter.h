#pragma once
// The start-up counter every unit of the library keeps, so that a unit is started and stopped
// once however often its start-up and shut-down routines are reached.

class TacUnitCounter {
public:
    // Counts a start-up; true only when the unit was not started (the counter was 0).
    bool StartUp() { return value_-- == 0; }
    // Counts a shut-down; true only when this call brings the counter back to 0.
    bool ShutDown() { return ++value_ == 0; }

private:
    int value_ = 0;
};
