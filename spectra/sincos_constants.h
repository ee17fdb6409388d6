// The constants of the C library's single-precision sine and cosine, for the
// vector kernels that reproduce it. From Arm's optimized-routines,
// math/sincosf_data.c and math/sincosf.h (Copyright (c) 2018 Arm Limited,
// MIT licence), as the C library carries them.
#pragma once

#include <bit>
#include <cstdint>

namespace xas::simd::sincosf_constants {

// 2/pi * 2^24 and pi/2: the quadrant of the fast reduction, computed times
// 2^24 so that truncation rounds it, and the reduction itself.
inline constexpr double kHalfPiInverse = 0x1.45F306DC9C883p+23;
inline constexpr double kHalfPi = 0x1.921FB54442D18p0;
// pi * 2^-62: the scale of the large reduction's fixed-point remainder.
inline constexpr double kPi62 = 0x1.921FB54442D18p-62;

// The cosine polynomial c0 + c1 x^2 + ... + c4 x^8 (the library's second
// table holds them negated, giving -cos; the kernels negate the result,
// which is the same bits) and the sine polynomial x + s1 x^3 + s2 x^5 + s3 x^7.
inline constexpr double kC0 = 0x1p0;
inline constexpr double kC1 = -0x1.ffffffd0c621cp-2;
inline constexpr double kC2 = 0x1.55553e1068f19p-5;
inline constexpr double kC3 = -0x1.6c087e89a359dp-10;
inline constexpr double kC4 = 0x1.99343027bf8c3p-16;
inline constexpr double kS1 = -0x1.555545995a603p-3;
inline constexpr double kS2 = 0x1.1107605230bc4p-7;
inline constexpr double kS3 = -0x1.994eb3774cf24p-13;

// 4/pi to 192 bits, each entry 8 bits further on, for the large reduction.
alignas(64) inline constexpr std::uint32_t kInvPio4[24] = {
    0xa2,       0xa2f9,     0xa2f983,   0xa2f9836e, 0xf9836e4e, 0x836e4e44,
    0x6e4e4415, 0x4e441529, 0x441529fc, 0x1529fc27, 0x29fc2757, 0xfc2757d1,
    0x2757d1f5, 0x57d1f534, 0xd1f534dd, 0xf534ddc0, 0x34ddc0db, 0xddc0db62,
    0xc0db6295, 0xdb629599, 0x6295993c, 0x95993c43, 0x993c4390, 0x3c439041};

// The ranges, compared on the exponent and the top 3 bits of the mantissa
// of |x| (its bits 20 to 30) as the library compares them: below 2^-12 sine
// is x and cosine 1; below pi/4 (that is, 0.75) no reduction; below 120
// (112) the fast reduction; below infinity the large one.
constexpr std::uint32_t top12(float x) { return (std::bit_cast<std::uint32_t>(x) >> 20) & 0x7ff; }
inline constexpr std::uint32_t kTopTiny = top12(0x1p-12f);
inline constexpr std::uint32_t kTopFast = top12(120.0f);
inline constexpr std::uint32_t kTopFinite = top12(__builtin_inff());

}  // namespace xas::simd::sincosf_constants
