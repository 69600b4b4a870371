// The settings steps after staging: the KORVEX settings (connection dialog, map steps, map
// path), the YMV settings (system type dialog, configuration path) and the Airtalker region.
#pragma once

#include <string>

#include "frontend/driver/KorvexConfig.h"

namespace korvex::frontend {

// When NELK.INI exists, asks "Update KORVEX Settings" first ("UpdateKorvexSettings"); on Yes,
// or without the file, shows KORVExConf and runs, as chosen there, CopyCcfMaps and then
// InstallMiraMaps. A map step that stops on a failure is reported in a warning, with the
// cursor back to normal, and the rest goes on: a failed CCF copy does not keep the Mira copy,
// a separate step, from running. Last, on every path, writes NELK.INI [Initialisation]
// "Path" = InstallRoot + "TELMIMAP".
void UpdateKorvexSettings(KorvexConfig& run);

// When ZELMAIN.INI exists, asks "Update YMV Settings" ("UpdateYmvSettings") and shows
// SystemType only on Yes; without the file shows it without asking. Then, whatever the
// outcome, writes ZELMAIN.INI [ZELMAIN] "ConfigPath" = ConfigPathValue(run).
void UpdateYmvSettings(KorvexConfig& run);

// The short (8.3) form of InstallDir when it can be had and takes no more characters than
// InstallDir; otherwise InstallDir unchanged (a directory that does not exist, a short form
// that would be longer).
std::string ConfigPathValue(KorvexConfig& run);

// Region 1 writes NELK.INI [Airtalker] "Region"="Europe" and "Europe"="03FF000000"; region 2
// "Region"="Latin America" and "Latin America"="0000007FE0". A region adds or replaces only
// its own mask key. Any other code writes nothing.
void WriteAirtalkerRegion(KorvexConfig& run);

} // namespace korvex::frontend
