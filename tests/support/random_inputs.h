// What the randomized window tests of both editions draw their keys and pastes from, so that the
// two editions meet the same corners of the reading rules.
#pragma once

#include <array>
#include <cstdint>

namespace random_inputs {

// Fixed so that every CI run walks the same path; VELTRIX_RANDOM_SEED picks another.
inline constexpr std::uint64_t DefaultSeed = 20240917;

// Texts that reach the reading rules' corners when pasted: overflow in both ranges, radix forms,
// blanks, commas, exponents, and results too long for the typing limit. UTF-8.
inline constexpr std::array<const char *, 33> ClipboardTexts{
    "", "1e15", "-1e15", "1e400", "1e-400", "1E14", "922337203685477", "900000000000000",
    "&HFFFF", "&H10000", "&O17", "&HFFFFFFFFF", "&h", "12,50", "12.50 K\u010d", " 1 234.5 ",
    "-0.001", "1234567890", "9999999", "11899998.81", "0.005", "2D2", "2d-2", ".", "-", "+3",
    "abc", "1\t2", "5.", "1e", "\u20ac5", "0,5", "123456789012345678",
};

// What typing draws from, UTF-8: digits most of all, so that amounts grow long enough to overflow
// and to give results over nine characters, and everything else the reading rules treat specially.
inline constexpr char TypedCharacters[] = "0123456789012345678901234567890123456789"
                                          "..,,  --+eeEdD&&HHhOxz\u010d\u20ac";

// Written into fields that a key release should rewrite, so that a rewrite cannot go unseen
// because the old text happened to be right. None is a text Recalculate writes; the long one
// makes typing meet a field over the limit.
inline constexpr std::array<const char *, 5> StaleTexts{"stale", "", "-", "1e15", "x12345678901"};

} // namespace random_inputs
