#include "lattice/fast_patterns.h"

#include <cpuid.h>
#include <xsimd/xsimd.hpp>

int32_t FastFallbacks = 0;

// Defined once per instruction set, in fast_patterns_<set>.cpp.
template <class Arch>
int ComputeFastFrame(int32_t mode, const FrameTerms<Extended>& frame);
extern template int ComputeFastFrame<xsimd::sse2>(int32_t, const FrameTerms<Extended>&);
extern template int ComputeFastFrame<xsimd::avx2>(int32_t, const FrameTerms<Extended>&);
extern template int ComputeFastFrame<xsimd::avx512f>(int32_t, const FrameTerms<Extended>&);

namespace {

using Kernel = int (*)(int32_t, const FrameTerms<Extended>&);

struct InstructionSet {
  const char* name;
  Kernel kernel;
};

// The registers a wider set needs must also be saved by the operating system.
bool SystemSavesRegisters(unsigned mask) {
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(ecx & bit_OSXSAVE)) return false;
  unsigned low, high;
  asm("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & mask) == mask;
}

InstructionSet ChooseInstructionSet() {
  const auto available = xsimd::available_architectures();
  if (available.avx512f && SystemSavesRegisters(0xE6)) return {"avx512f", ComputeFastFrame<xsimd::avx512f>};
  if (available.avx2 && SystemSavesRegisters(0x06)) return {"avx2", ComputeFastFrame<xsimd::avx2>};
  return {"sse2", ComputeFastFrame<xsimd::sse2>};
}

const InstructionSet& Chosen() {
  static const InstructionSet chosen = ChooseInstructionSet();
  return chosen;
}

}  // namespace

bool ComputeNodesFast(int32_t mode, const FrameTerms<Extended>& frame) {
  FastFallbacks = Chosen().kernel(mode, frame);
  return true;
}

const char* FastInstructionSet() { return Chosen().name; }
