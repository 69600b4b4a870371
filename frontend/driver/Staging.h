// Staging of system and configuration files before the settings are asked for: network files,
// INI backups, the map and firmware trees, and either the held configuration files or the
// delivered ".new" ones.
#pragma once

#include <string_view>

#include "frontend/driver/KorvexConfig.h"

namespace korvex::frontend {

// Copies "hosts.ymv" and "services.ymv" from the Windows directory into
// "system32\drivers\etc", overwriting; a missing source is left alone.
void StageNetworkFiles(KorvexConfig& run);

// Copies "NELK.INI" and "ZELMAIN.INI", where they exist, to "nelk<stamp>.ini" and
// "zelmain<stamp>.ini" in the Windows directory.
void BackupIniFiles(KorvexConfig& run);

// Copies InstallDir + name to InstallRoot + name when the latter is missing, under the wait
// cursor. A copy that stops part-way keeps what it copied and is reported in a warning; the
// run goes on.
void CopyTreeIfMissing(KorvexConfig& run, std::string_view name);

// Moves the files of InstallRoot + "tmptelm" that are ordinary but for the read-only bit (which
// the restored file keeps) into the installation directory, replacing files of the same names
// (a read-only installed file is not replaced: a failed change). Only from a holding directory no
// standard user could have changed (platform::RefuseUnprotected): from another nothing is moved,
// the refusal is a failed change and a warning says what to do. The emptied directory stays until
// the run's steps are done (RemoveHoldingDirectory): a run stopped dead before then restores from
// it again, as it should, instead of offering the ".new" files over the restored ones.
void RestoreHeldFiles(KorvexConfig& run);

// After RestoreHeldFiles, removes the emptied holding directory, once the run has no failed
// change (a run that failed is run again, and must not then offer the ".new" files over the
// restored ones). Entries the restore leaves
// on purpose (directories, hidden and system files, links) keep it in place: a warning and the
// log name each and why, and that is no failed change.
void RemoveHoldingDirectory(KorvexConfig& run);

// Puts "csuinfo.new", "cnetio.new" and "zelmain.new" in place, asking before an existing file
// is overwritten.
void OfferNewConfigFiles(KorvexConfig& run);

} // namespace korvex::frontend
