// The sine and the natural logarithm of double batches, for the arguments the guard trusts
// (lattice/bounded.h): xsimd's own cover every argument and pay for it, with branches on the
// argument's range and, below AVX-512, emulated 64-bit integer shifts and conversions, which
// made them most of a frame's cost on SSE2 and AVX2. These use only operations every set has,
// and no fused multiply-add, so every set computes the same bits lane by lane; the unit tests
// measure their error against the x87 instructions.
#pragma once

#include <xsimd/xsimd.hpp>

#include <cstdint>

// sin(x) for |x| < 2^20; other arguments give an unspecified value.
template <class Arch>
[[gnu::always_inline]] inline xsimd::batch<double, Arch> BatchSine(const xsimd::batch<double, Arch>& x) {
  using Batch = xsimd::batch<double, Arch>;
  using Bits = xsimd::batch<uint64_t, Arch>;
  // Adding 1.5 * 2^52 rounds x / pi to the nearest integer n, which lands in the low bits.
  const Batch shifter(0x1.8p52);
  const Batch shifted = x * Batch(0x1.45f306dc9c883p-2) + shifter;
  const Batch n = shifted - shifter;
  // pi in two parts of 33 bits: n times each is exact while |n| < 2^20, the first subtraction
  // cancels exactly, and the 2^-68 of pi they leave out moves r by less than |x| 2^-69.
  const Batch r = (x - n * Batch(0x1.921fb544p+1)) - n * Batch(0x1.0b4611a6p-33);
  // sin r on |r| <= pi/2 as r + r z p(z), z = r^2, with p the near-minimax polynomial of degree 6
  // (a Chebyshev fit of (sin r - r) / r^3 in z, in 40 digits, then rounded): within 2^-50 of
  // sin r, as near as the Taylor series to r^19 and two terms shorter. Summed in pairs of terms
  // (Estrin's scheme), its chain of dependent operations is three products long.
  const Batch z = r * r;
  const Batch z2 = z * z;
  const Batch z4 = z2 * z2;
  const Batch low = (Batch(-0x1.555555555554fp-3) + Batch(0x1.1111111110067p-7) * z) +
                    (Batch(-0x1.a01a019e69965p-13) + Batch(0x1.71de394e5888cp-19) * z) * z2;
  const Batch high = (Batch(-0x1.ae63bdfa8502ap-26) + Batch(0x1.60f6f0d66f8acp-33) * z) + Batch(-0x1.a1095286ba17ap-41) * z2;
  const Batch p = low + high * z4;
  const Batch sine = r + r * z * p;
  // sin x = (-1)^n sin r: n's lowest bit becomes the sign.
  return xsimd::bitwise_cast<Batch>(xsimd::bitwise_cast<Bits>(sine) ^ (xsimd::bitwise_cast<Bits>(shifted) << 63));
}

// ln(x) for positive, normal, finite x; other arguments give an unspecified value.
template <class Arch>
[[gnu::always_inline]] inline xsimd::batch<double, Arch> BatchLog(const xsimd::batch<double, Arch>& x) {
  using Batch = xsimd::batch<double, Arch>;
  using Bits = xsimd::batch<uint64_t, Arch>;
  const auto constant = [](uint64_t bits) {
    double value;
    __builtin_memcpy(&value, &bits, sizeof value);
    return Batch(value);
  };
  // x = 2^k * m with m in [sqrt(2)/2, sqrt(2)): shifting the significand's top by
  // 1 - sqrt(2)/2 carries into the exponent exactly where m would reach sqrt(2).
  const Bits bits = xsimd::bitwise_cast<Bits>(x) + Bits(uint64_t{0x3ff00000 - 0x3fe6a09e} << 32);
  const Batch k = xsimd::bitwise_cast<Batch>((bits >> 52) | Bits(0x4330000000000000u)) - Batch(0x1p52 + 1023);
  const Batch m = xsimd::bitwise_cast<Batch>((bits & Bits(0x000fffffffffffffu)) + Bits(uint64_t{0x3fe6a09e} << 32));
  // ln m = 2 atanh(f / (2 + f)) with f = m - 1, by the classic minimax polynomial in s = f / (2 + f).
  const Batch f = m - Batch(1);
  const Batch halfSquare = Batch(0.5) * f * f;
  const Batch s = f / (Batch(2) + f);
  const Batch z = s * s;
  const Batch w = z * z;
  const Batch odd = w * (constant(0x3fd999999997fa04) + w * (constant(0x3fcc71c51d8e78af) + w * constant(0x3fc39a09d078c69f)));
  const Batch even = z * (constant(0x3fe5555555555593) +
                          w * (constant(0x3fd2492494229359) + w * (constant(0x3fc7466496cb03de) + w * constant(0x3fc2f112df3e5244))));
  // ln 2 in a high part exact in k times it, and the rest.
  const Batch ln2High(0x1.62e42feep-1), ln2Low(0x1.a39ef35793c76p-33);
  return k * ln2High + (((s * (halfSquare + (even + odd)) + k * ln2Low) - halfSquare) + f);
}
