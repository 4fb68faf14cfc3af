// Every equation of state fitted to a 30-point series, under each weighting:
// the time of one whole set (nine equations), the median of many rounds.
//
//   build/bench/bench/korvex_eos_bench
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "expansion/eos_fit.h"

int main() {
  using expansion::Eos;
  using expansion::EosWeights;
  // A BM3 curve (V0 100 A^3, K0 60 GPa, K' 5) to 9 GPa with a fixed pattern
  // of noise on p and V, SUs on both.
  expansion::PvSeries s;
  for (int i = 0; i < 30; ++i) {
    const double v = 100 - 0.42 * i;
    const double noise = ((i * 7) % 5 - 2) / 2.0;
    s.v.push_back(v + 0.02 * noise);
    s.p.push_back(expansion::eos_pressure(Eos::kBm3, {100, 60, 5, 0}, v) - 0.01 * noise);
    s.sigma_p.push_back(0.01 + 0.002 * i);
    s.sigma_v.push_back(0.02);
  }
  for (const EosWeights w : {EosWeights::kPv, EosWeights::kP, EosWeights::kNone}) {
    std::vector<double> ms;
    for (int round = 0; round < 41; ++round) {
      const auto t0 = std::chrono::steady_clock::now();
      for (const Eos eos : expansion::kEveryEos) {
        const auto fit = expansion::fit_equation_of_state(eos, s, {w, {}, {}, 0.1});
        if (!fit) std::printf("%s: %s\n", expansion::eos_key(eos), fit.error().message.c_str());
      }
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                       .count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("weights %-4s  all nine equations, 30 points: median %.2f ms (min %.2f, max %.2f)\n",
                expansion::weights_key(w), ms[ms.size() / 2], ms.front(), ms.back());
  }
}
