// The fast path's kernel for sse2; built with that instruction set enabled.
#include "lattice/fast_patterns_kernel.h"

namespace {

template <>
struct FloatLanes<xsimd::sse2> {
  using Batch = xsimd::batch<double, xsimd::sse2>;
  static Batch Load(const float* p) {
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
  }
  static void Store(float* p, const Batch& v) { _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(v)); }
  static Batch Round(const Batch& v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }
  static void KeepWhereAlike(const Batch& low, const Batch& high, xsimd::batch_bool<double, xsimd::sse2>& alike) {
    const __m128 same = _mm_cmpeq_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
    alike = alike & xsimd::batch_bool<double, xsimd::sse2>(_mm_castps_pd(_mm_unpacklo_ps(same, same)));
  }
};

}  // namespace

template int ComputeFastFrame<xsimd::sse2>(int32_t mode, const FrameTerms<Extended>& frame);
