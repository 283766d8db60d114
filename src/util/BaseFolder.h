#pragma once
// Where the station keeps its files. A copy run from a folder it can write
// (the build folder, a folder copied by hand) keeps them beside its
// executable, as it always has. An installed station keeps them in the
// user's data folder instead: installed means its folder is not writable
// (/usr/bin), or it lies beside its installed shared data (bin/../share/vorlix,
// which also covers a root user, who can write anywhere). That data folder is
// filled from the shared data at its first start. A folder named on the
// command line or in VORLIX_BASE_FOLDER always wins.

#include <QString>

#include <functional>

struct BaseFolderChoice
{
    QString folder;   // the base folder, absolute
    QString seedFrom; // the installed shared data that fills it, or empty
};

// The shared data installed beside an executable: <prefix>/share/vorlix for
// <prefix>/bin/program.
QString InstalledDataFolder(const QString &executablePath);

// Whether the user can create files in `folder`.
bool CanWriteFolder(const QString &folder);

// `named` is the folder given by the user (empty for none), `userDataFolder`
// the user's data folder for the station.
BaseFolderChoice ChooseBaseFolder(const QString &named, const QString &executablePath,
                                  const QString &userDataFolder,
                                  const std::function<bool(const QString &)> &canWrite = CanWriteFolder);

// Fills a new base folder from the shared data: when it has no configuration
// yet (its first start), copies every shared file and folder into it, keeping
// files already there. Nothing to do without shared data. False when a copy
// failed.
bool SeedBaseFolder(const BaseFolderChoice &choice);
