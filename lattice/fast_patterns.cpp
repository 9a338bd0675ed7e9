#include "lattice/fast_patterns.h"

#include <cpuid.h>
#include <xsimd/xsimd.hpp>

#include <string>
#include <vector>

int32_t FastFallbacks = 0;

// Defined once per instruction set, in fast_patterns_<set>.cpp.
template <class Arch>
int ComputeFastFrame(int32_t mode, const FrameTerms<Extended>& frame);
extern template int ComputeFastFrame<xsimd::sse2>(int32_t, const FrameTerms<Extended>&);
extern template int ComputeFastFrame<xsimd::avx2>(int32_t, const FrameTerms<Extended>&);
extern template int ComputeFastFrame<xsimd::avx512dq>(int32_t, const FrameTerms<Extended>&);

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

// The sets this processor can run, widest first.
std::vector<InstructionSet> SupportedInstructionSets() {
  const auto available = xsimd::available_architectures();
  std::vector<InstructionSet> sets;
  // xsimd's AVX-512 double batches with fast integer conversions need F, CD, DQ and BW.
  if (available.avx512dq && available.avx512cd && available.avx512bw && SystemSavesRegisters(0xE6))
    sets.push_back({"avx512", ComputeFastFrame<xsimd::avx512dq>});
  if (available.avx2 && SystemSavesRegisters(0x06)) sets.push_back({"avx2", ComputeFastFrame<xsimd::avx2>});
  sets.push_back({"sse2", ComputeFastFrame<xsimd::sse2>});
  return sets;
}

InstructionSet& Chosen() {
  static InstructionSet chosen = SupportedInstructionSets().front();
  return chosen;
}

}  // namespace

void ComputeNodesFast(int32_t mode, const FrameTerms<Extended>& frame) { FastFallbacks = Chosen().kernel(mode, frame); }

const char* FastInstructionSet() { return Chosen().name; }

std::vector<std::string> FastInstructionSets() {
  std::vector<std::string> names;
  for (const InstructionSet& set : SupportedInstructionSets()) names.push_back(set.name);
  return names;
}

bool UseFastInstructionSet(const std::string& name) {
  for (const InstructionSet& set : SupportedInstructionSets())
    if (name == set.name) {
      Chosen() = set;
      return true;
    }
  return false;
}
