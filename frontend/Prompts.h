// The names of the front end's Yes/No questions in answer files and the log; each step tags
// its question with one, and the answer file of a run may answer each.
#pragma once

#include <string>
#include <string_view>

namespace korvex::frontend::prompt {

inline constexpr std::string_view kOverwriteCsuinfo = "OverwriteCsuinfo";
inline constexpr std::string_view kOverwriteCnetio = "OverwriteCnetio";
inline constexpr std::string_view kOverwriteZelmain = "OverwriteZelmain";
inline constexpr std::string_view kUpdateKorvexSettings = "UpdateKorvexSettings";
inline constexpr std::string_view kUpdateYmvSettings = "UpdateYmvSettings";
inline constexpr std::string_view kUseCcfMaps = "UseCcfMaps";
inline constexpr std::string_view kContinueIntoExistingMaps = "ContinueIntoExistingMaps";
inline constexpr std::string_view kCopyMiraMaps = "CopyMiraMaps";
// One question per system and map set, "OverwriteMap.S02.ob_map"; the family's name answers
// every one of them that has no answer of its own.
inline constexpr std::string_view kOverwriteMap = "OverwriteMap";

inline std::string OverwriteMap(std::string_view twoDigitSystem, std::string_view mapSet) {
    return std::string(kOverwriteMap) + ".S" + std::string(twoDigitSystem) + "." +
           std::string(mapSet);
}

} // namespace korvex::frontend::prompt
