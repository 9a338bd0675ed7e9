// The fast path's kernel for AVX-512 (F, CD, DQ and BW); built with that instruction set enabled.
#include "lattice/fast_patterns_kernel.h"

namespace {

template <>
struct FloatLanes<xsimd::avx512dq> {
  using Batch = xsimd::batch<double, xsimd::avx512dq>;
  static Batch Load(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
  static void Store(float* p, const Batch& v) { _mm256_storeu_ps(p, _mm512_cvtpd_ps(v)); }
  static Batch Round(const Batch& v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }
  static void KeepWhereAlike(const Batch& low, const Batch& high, xsimd::batch_bool<double, xsimd::avx512dq>& alike) {
    alike = alike & xsimd::batch_bool<double, xsimd::avx512dq>(static_cast<__mmask8>(
                        _mm256_movemask_ps(_mm256_cmp_ps(_mm512_cvtpd_ps(low), _mm512_cvtpd_ps(high), _CMP_EQ_OQ))));
  }
};

}  // namespace

template int ComputeFastFrame<xsimd::avx512dq>(int32_t mode, const FrameTerms<Extended>& frame);
