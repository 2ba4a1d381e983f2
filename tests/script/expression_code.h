// Expression code written by hand, operation by operation, for the tests of
// the expression machine and of the variables built on it.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vr::test {

struct Code {
    std::vector<uint8_t> bytes;

    Code& op(char opcode, const std::vector<uint8_t>& operand = {}) {
        bytes.push_back(uint8_t(opcode));
        bytes.push_back(uint8_t(operand.size()));
        bytes.push_back(uint8_t(operand.size() >> 8));
        bytes.insert(bytes.end(), operand.begin(), operand.end());
        return *this;
    }
    Code& little(char opcode, uint64_t v, int width) {
        std::vector<uint8_t> b;
        for (int i = 0; i < width; ++i) b.push_back(uint8_t(v >> (8 * i)));
        return op(opcode, b);
    }
    Code& b(int8_t v) { return little('B', uint64_t(v), 1); }
    Code& w(int16_t v) { return little('W', uint64_t(v), 2); }
    Code& i(int32_t v) { return little('I', uint64_t(int64_t(v)), 4); }
    Code& l(int64_t v) { return little('L', uint64_t(v), 8); }
    Code& f(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return little('F', bits, 8);
    }
    // An "M" literal: the body is written as it stands between delimiters.
    Code& text(const std::string& body, char delimiter = '"') {
        std::vector<uint8_t> b{uint8_t(delimiter)};
        b.insert(b.end(), body.begin(), body.end());
        b.push_back(uint8_t(delimiter));
        return op('M', b);
    }
    Code& variable(char opcode, uint16_t number) { return op(opcode, {'i', uint8_t(number), uint8_t(number >> 8)}); }
    Code& h(uint16_t number) { return variable('H', number); }
    Code& v(uint16_t number) { return variable('V', number); }
    Code& ref(uint16_t number) { return variable('v', number); }
    Code& close() { return op(')'); }

    const uint8_t* data() const { return bytes.data(); }
    uint32_t size() const { return uint32_t(bytes.size()); }
};

}  // namespace vr::test
