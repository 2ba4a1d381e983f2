// The record a layer works on, bound by the shell for the life of an
// engine: each layer reaches its own state through one accessor built on
// this (core(), scriptState(), graphics(), engine()), and the shell binds
// them all at once.
#pragma once

#include <cassert>

namespace vr {

namespace detail {
template <typename Record>
inline Record* boundRecord = nullptr;
}

template <typename Record>
Record& boundRecord() {
    assert(detail::boundRecord<Record> && "no engine is bound");
    return *detail::boundRecord<Record>;
}

// Null unbinds.
template <typename Record>
void bindRecord(Record* record) {
    detail::boundRecord<Record> = record;
}

}  // namespace vr
