#pragma once
// The simulated platform keeps what a handle names in tables keyed by number, and a handle of
// any kind is the number of its entry. These two are where number and handle meet.
#include <cstdint>
#include <type_traits>

using TSimId = std::uintptr_t;

template <class THandleKind>
requires std::is_enum_v<THandleKind>
constexpr TSimId SimId(THandleKind handle) { return static_cast<TSimId>(handle); }

template <class THandleKind>
requires std::is_enum_v<THandleKind>
constexpr THandleKind SimHandle(TSimId id) { return static_cast<THandleKind>(id); }
