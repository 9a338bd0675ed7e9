// The fast path's kernel for avx2; built with that instruction set enabled.
#include "lattice/fast_patterns_kernel.h"

namespace {

template <>
struct FloatLanes<xsimd::avx2> {
  using Batch = xsimd::batch<double, xsimd::avx2>;
  static Batch Load(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
  static void Store(float* p, const Batch& v) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
  static Batch Round(const Batch& v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }
  static void KeepWhereAlike(const Batch& low, const Batch& high, xsimd::batch_bool<double, xsimd::avx2>& alike) {
    const __m128 same = _mm_cmpeq_ps(_mm256_cvtpd_ps(low), _mm256_cvtpd_ps(high));
    alike = alike & xsimd::batch_bool<double, xsimd::avx2>(_mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm_castps_si128(same))));
  }
};

}  // namespace

template int ComputeFastFrame<xsimd::avx2>(int32_t mode, const FrameTerms<Extended>& frame);
