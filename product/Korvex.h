// The fixed facts of the KORVEx product that both programs rely on: how the Windows Installer
// knows it, its main program, the holding directory the two programs hand over, the systems it
// drives and the map sets of its distribution disc. Each fact is written here once.
#pragma once

#include <array>
#include <string_view>

namespace korvex::product {

// The Windows Installer's record of the product: the upgrade code every version carries, the
// installed name that identifies it (exact, case-sensitive) and the component whose key file
// is the main program.
inline constexpr std::string_view kUpgradeCode = "{9B47E3C8-0A16-4F5D-8C29-5E73D1A06B4E}";
inline constexpr std::string_view kProductName = "KORVEx";
inline constexpr std::string_view kMainProgramComponent = "{6E1F0A52-3C7B-4D29-9A84-1B5C7E20D3F6}";
// The main program's file name, at the end of the component path.
inline constexpr std::string_view kMainProgram = "korvex.exe";

// The directory at a drive's root where upgradeprep keeps an earlier installation's
// configuration and the front end restores it from.
inline constexpr std::string_view kHoldingDirectory = "tmptelm";

// The front end's title: its messages without a title of their own show it.
inline constexpr std::string_view kFrontEndTitle = "VarenInstall";

// The systems, numbered 1 to kSystems: each has its frame settings and its own map directory.
inline constexpr int kSystems = 15;

// A map set of the distribution disc: its path below "Mira Maps" and the name of its directory
// in a system's map directory.
struct MiraMapSet {
    std::string_view path; // "\map_disk_1\studio"
    std::string_view name; // "studio"
};

// The six map sets, in the order they are copied.
inline constexpr std::array<MiraMapSet, 6> kMiraMapSets = {{
    {"\\map_disk_1\\studio", "studio"},
    {"\\map_disk_2\\studios", "studios"},
    {"\\map_disk_3\\news", "news"},
    {"\\map_disk_4\\ob_map", "ob_map"},
    {"\\map_disk_5\\defmira", "defmira"},
    {"\\map_disk_6\\Eng_test", "Eng_test"},
}};

} // namespace korvex::product
