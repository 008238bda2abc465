#include "profilefiles.h"

#include "filedialogs.h"
#include "importcheck.h"
#include "settingsfile.h"
#include "settingsstores.h"

namespace profilefiles {

void saveProfile(SettingsStores& stores, QWidget* dialogParent, int profile)
{
    if (!stores.profile(profile))
        return;
    const QString target = FileDialogs::chooseExport(dialogParent, "Profile(*.pf)");
    if (!target.isEmpty())
        exportProfile(stores, profile, target);
}

bool exportProfile(SettingsStores& stores, int profile, const QString& target)
{
    SettingsFile* store = stores.profile(profile);
    if (!store)
        return false;
    // The export carries what the page wrote a moment ago, not only what the
    // deferred write has already put on disk.
    store->sync();
    return replaceFileWithCopy(store->fileName(), target);
}

bool loadProfile(SettingsStores& stores, QWidget* dialogParent, int profile)
{
    if (!stores.profile(profile))
        return false;
    const QString source = FileDialogs::chooseImport(dialogParent, "Profile(*.pf)");
    if (source.isEmpty() || !importcheck::accept(source))
        return false;
    return stores.replaceProfile(profile, source);
}

void resetProfile(SettingsStores& stores, int profile)
{
    stores.replaceProfile(profile, SettingsStores::defaultProfilePath());
}

void copyProfile(SettingsStores& stores, int destprofile, int srcprofile)
{
    SettingsFile* source = stores.profile(srcprofile);
    if (!source || !stores.profile(destprofile))
        return;
    // The copy must include the source's writes that are still pending.
    source->sync();
    if (destprofile == srcprofile)
        return;
    stores.replaceProfile(destprofile, source->fileName());
}

} // namespace profilefiles
