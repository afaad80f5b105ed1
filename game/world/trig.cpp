#include "game/world/trig.h"

#include <cmath>
#include <cstdint>

// The arithmetic here is double-double: a value is the unevaluated sum hi + lo of two doubles,
// about 106 bits in all. The argument is brought into [-pi/4, pi/4] with pi/2 to 152 bits, the
// Taylor series is summed there, and only the final hi + lo is rounded, once. Every step relies
// on each operation being rounded on its own, which is why the rules are built without fused
// multiply-add (-ffp-contract=off).

namespace {

struct DoubleDouble {
    double hi;
    double lo;
};

// a + b exactly, for any a and b.
DoubleDouble two_sum(double a, double b) {
    const double s = a + b;
    const double b_part = s - a;
    return {s, (a - (s - b_part)) + (b - b_part)};
}

// a + b exactly, when |a| >= |b| or a is 0.
DoubleDouble quick_two_sum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// Splits a into two halves of 26 bits each, so that products of halves are exact.
DoubleDouble split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}

// a * b exactly.
DoubleDouble two_product(double a, double b) {
    const double p = a * b;
    const DoubleDouble x = split(a);
    const DoubleDouble y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

DoubleDouble add(DoubleDouble a, DoubleDouble b) {
    DoubleDouble s = two_sum(a.hi, b.hi);
    const DoubleDouble t = two_sum(a.lo, b.lo);
    s = quick_two_sum(s.hi, s.lo + t.hi);
    return quick_two_sum(s.hi, s.lo + t.lo);
}

DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
    const DoubleDouble p = two_product(a.hi, b.hi);
    return quick_two_sum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// pi/2 in four parts; the first three have 33 bits, so n times each is exact for n < 2^20.
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2ep-69;
constexpr double kHalfPi4 = 0x1.b839a252049c1p-104;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// The Taylor coefficients in z = r^2: sin r = r * sum (-1)^k z^k / (2k+1)!, cos r = sum
// (-1)^k z^k / (2k)!. The first terms are kept to 106 bits, the small rest to 53, which is
// more than enough once scaled by z^kExactTerms. For |r| <= pi/4 the terms left out are below
// 2^-106 of the result.
constexpr int kExactTerms = 6;
constexpr int kTerms = 16;

constexpr DoubleDouble kSinExact[kExactTerms] = {
    {0x1p+0, 0.0},
    {-0x1.5555555555555p-3, -0x1.5555555555555p-57},
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},
    {-0x1.a01a01a01a01ap-13, -0x1.a01a01a01a01ap-73},
    {0x1.71de3a556c734p-19, -0x1.c154f8ddc6c00p-73},
    {-0x1.ae64567f544e4p-26, 0x1.c062e06d1f209p-80},
};
constexpr double kSinRest[kTerms - kExactTerms] = {
    0x1.6124613a86d09p-33,  -0x1.ae7f3e733b81fp-41,  0x1.952c77030ad4ap-49, -0x1.2f49b46814157p-57,
    0x1.71b8ef6dcf572p-66,  -0x1.761b41316381ap-75,  0x1.3f3ccdd165fa9p-84, -0x1.d1ab1c2dccea3p-94,
    0x1.259f98b4358adp-103, -0x1.434d2e783f5bcp-113,
};
constexpr DoubleDouble kCosExact[kExactTerms] = {
    {0x1p+0, 0.0},
    {-0x1p-1, 0.0},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},
    {-0x1.6c16c16c16c17p-10, 0x1.f49f49f49f49fp-65},
    {0x1.a01a01a01a01ap-16, 0x1.a01a01a01a01ap-76},
    {-0x1.27e4fb7789f5cp-22, -0x1.cbbc05b4fa99ap-76},
};
constexpr double kCosRest[kTerms - kExactTerms] = {
    0x1.1eed8eff8d898p-29, -0x1.93974a8c07c9dp-37,  0x1.ae7f3e733b81fp-45, -0x1.6827863b97d97p-53,
    0x1.e542ba4020225p-62, -0x1.0ce396db7f853p-70,  0x1.f2cf01972f578p-80, -0x1.88e85fc6a4e5ap-89,
    0x1.0a18a2635085dp-98, -0x1.3932c5047d60ep-108,
};

DoubleDouble series(const DoubleDouble (&exact)[kExactTerms],
                    const double (&rest)[kTerms - kExactTerms], DoubleDouble z) {
    double tail = rest[kTerms - kExactTerms - 1];
    for (int k = kTerms - kExactTerms - 2; k >= 0; --k) tail = tail * z.hi + rest[k];
    DoubleDouble sum{tail, 0.0};
    for (int k = kExactTerms - 1; k >= 0; --k) sum = add(multiply(sum, z), exact[k]);
    return sum;
}

DoubleDouble sin_near_zero(DoubleDouble r, DoubleDouble z) {
    return multiply(r, series(kSinExact, kSinRest, z));
}

DoubleDouble cos_near_zero(DoubleDouble z) { return series(kCosExact, kCosRest, z); }

struct Reduced {
    DoubleDouble r;    // x - quadrant * pi/2, in about [-pi/4, pi/4]
    int64_t quadrant;  // modulo 4
};

Reduced reduce(double x) {
    const double n = std::floor(x * kTwoOverPi + 0.5);
    // Exact: n * kHalfPi1 has at most 53 bits, and lies within a factor of two of x.
    const double head = x - n * kHalfPi1;
    DoubleDouble r = two_sum(head, -(n * kHalfPi2));
    r = add(r, {-(n * kHalfPi3), 0.0});
    r = add(r, {-(n * kHalfPi4), 0.0});
    return {r, static_cast<int64_t>(n) & 3};
}

// sin(x) for quadrant 0 of the reduced argument; cos is sin a quadrant later.
double sin_from_quadrant(double x, int64_t shift) {
    if (!std::isfinite(x)) return x - x;  // NaN, as the C library gives
    const Reduced reduced = reduce(x);
    const DoubleDouble z = multiply(reduced.r, reduced.r);
    DoubleDouble value;
    switch ((reduced.quadrant + shift) & 3) {
        case 0:
            value = sin_near_zero(reduced.r, z);
            break;
        case 1:
            value = cos_near_zero(z);
            break;
        case 2:
            value = sin_near_zero(reduced.r, z);
            value = {-value.hi, -value.lo};
            break;
        default:
            value = cos_near_zero(z);
            value = {-value.hi, -value.lo};
            break;
    }
    return value.hi + value.lo;
}

}  // namespace

namespace Trig {

double sin(double x) { return sin_from_quadrant(x, 0); }

double cos(double x) { return sin_from_quadrant(x, 1); }

}  // namespace Trig
