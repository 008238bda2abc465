#pragma once

#include <QString>
#include <QStringList>

// Where the ./modules/ tree the program reads and writes lives.
//
// A build tree or a portable copy keeps the tree next to the executable and
// writes there. An installed program's delivered tree is read-only; each user
// then gets a copy in their own data folder, and that folder becomes the
// working directory.
struct DataLocations
{
    QString exeDir;          // the executable's folder
    QString deliveredTree;   // an installed program's read-only modules/ tree
    QString userDir;         // the per-user data folder
};

// What seeding did, for the debug channel and the tests.
struct SeedResult
{
    QStringList copied;   // paths relative to the tree
    QStringList updated;  // copies the user never changed, replaced by a newer delivery
    QStringList failed;
};

// Copies each file of the tree `source` into `target` unless it was seeded
// there before or a file of that name already exists, and replaces a seeded
// copy the user never changed when the delivered file changed: a file the
// user changed or removed stays as it is, and what a later package adds or
// changes arrives on the next start. `manifest` records every path seeded so
// far with the checksum of what was delivered.
SeedResult seedTree(const QString& source, const QString& target, const QString& manifest);

// Picks the folder to make current and seeds it when it is the per-user one.
// The executable's folder wins when it holds a writable modules/; a
// read-only one (next to the executable or installed) is copied per user.
// With no tree anywhere the executable's folder is kept, as before.
QString prepareDataDir(const DataLocations& where);

// This program's locations: its folder, the installed tree relative to it,
// and QStandardPaths::AppDataLocation. Needs the application object.
DataLocations installedLocations();
