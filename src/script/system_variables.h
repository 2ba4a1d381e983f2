// The engine's state as variables 0 to 999: the three readers the
// expression machine asks, and the writes the assignment command makes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vr {

// The type of a system variable: 1 integer, 2 floating, 3 string.
uint8_t systemVariableType(uint32_t number);

int64_t readSystemInteger(uint32_t number, int64_t element);
double readSystemFloat(uint32_t number, int64_t element);
std::string readSystemString(uint32_t number, int64_t element);

// 0, or -1 after a report (101150 for a read-only variable).
int writeSystemInteger(uint32_t number, int64_t element, int64_t value);
int writeSystemString(uint32_t number, int64_t element, std::string_view text);

// Takes the local date and time that variable 0 elements 8 to 15 give
// (start-up step 24).
void recordStartTime();
// Starts the four script timers at the current tick and seeds the random
// generator; after the one-time tables (start-up step 11), which take the seed.
void initialiseSystemVariables();

// The engine's random generator: the next tempered MT19937 output, seeded
// from the start-up clock on first use when nothing seeded it before.
uint32_t engineRandom();

}  // namespace vr
