// Micro-benchmarks of the INI writer: one key set in files of growing size, for each of its
// three cases (a key replaced, a key added to a section, a section added at the end).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "platform/memory/IniFile.h"

namespace {

// `sections` sections of ten keys each, with a comment and a blank line between sections.
std::string IniFile(std::int64_t sections) {
    std::string bytes;
    for (std::int64_t s = 0; s < sections; ++s) {
        const std::string number = std::to_string(s);
        bytes.append("; section ").append(number).append("\r\n[Section").append(number);
        bytes.append("]\r\n");
        for (int k = 0; k < 10; ++k) {
            bytes.append("Key").append(std::to_string(k)).append("=value ");
            bytes.append(std::to_string(s * 10 + k)).append("\r\n");
        }
        bytes += "\r\n";
    }
    return bytes;
}

void Run(benchmark::State& state, const char* key, bool lastSection, const char* section) {
    const std::int64_t sections = state.range(0);
    const std::string bytes = IniFile(sections);
    std::string name = "Section";
    name += std::to_string(lastSection ? sections - 1 : sections / 2);
    if (section != nullptr) {
        name = section;
    }
    for (auto _ : state) {
        std::string written = korvex::memory::WriteIniKey(bytes, name, key, "new value");
        benchmark::DoNotOptimize(written.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
    state.SetComplexityN(sections);
}

void IniReplaceKeyInLastSection(benchmark::State& state) {
    Run(state, "Key5", true, nullptr);
}
BENCHMARK(IniReplaceKeyInLastSection)->RangeMultiplier(8)->Range(8, 4096)->Complexity();

void IniAddKeyToMiddleSection(benchmark::State& state) {
    Run(state, "NewKey", false, nullptr);
}
BENCHMARK(IniAddKeyToMiddleSection)->RangeMultiplier(8)->Range(8, 4096)->Complexity();

void IniAddSection(benchmark::State& state) {
    Run(state, "Path", false, "Initialisation");
}
BENCHMARK(IniAddSection)->RangeMultiplier(8)->Range(8, 4096)->Complexity();

// The key names compare without regard to case and surrounding blanks.
void IniReplaceKeyOtherCase(benchmark::State& state) {
    Run(state, " key5 ", true, nullptr);
}
BENCHMARK(IniReplaceKeyOtherCase)->RangeMultiplier(8)->Range(8, 4096)->Complexity();

} // namespace
