// Variables: one record per number, 0 to the highest number of vrt.vbn.
// Numbers below 1000 are the engine's system variables, read through their
// readers; from 1000 up they are the game's own, plain storage.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

constexpr uint32_t kFirstUserVariable = 1000;
constexpr int64_t kMaxElements = 4000000;

enum VariableType : uint8_t { kTypeNone = 0, kTypeInteger = 1, kTypeFloat = 2, kTypeString = 3 };

struct VariableTable;  // the records; see variables.cc

int declareInteger(uint32_t number, int64_t initial);
int declareFloat(uint32_t number, double initial);
int declareString(uint32_t number, std::string_view text);

uint8_t variableType(uint32_t number);
int64_t getInteger(uint32_t number, int64_t element);
double getFloat(uint32_t number, int64_t element);
std::string getString(uint32_t number, int64_t element);

int setNumber(uint32_t number, int64_t element, int64_t value);
int setFloat(uint32_t number, int64_t element, double value);
int setString(uint32_t number, int64_t element, std::string_view text);

int resizeArray(uint32_t number, int64_t newSize);

// Applies vrv.vbn: -1 the global records, or one script's local ones.
int initialiseVariables(int scope);

}  // namespace vr
