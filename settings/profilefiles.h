#pragma once

class QString;
class QWidget;
class SettingsStores;

// Whole-file operations on the ten profile files: export to and import from
// a ".pf" exchange file, reset to the factory default profile, copy one
// profile over another. Profile numbers outside 0..9 change nothing.
namespace profilefiles {

// Exports profile `profile` to a ".pf" file chosen in the save dialog.
void saveProfile(SettingsStores& stores, QWidget* dialogParent, int profile);
// The export itself, to `target`; false when nothing was written.
bool exportProfile(SettingsStores& stores, int profile, const QString& target);
// Replaces profile `profile` with a ".pf" file chosen in the open dialog.
// False when the dialog was cancelled or the profile could not be replaced.
bool loadProfile(SettingsStores& stores, QWidget* dialogParent, int profile);
// Replaces profile `profile` with the factory default profile.
void resetProfile(SettingsStores& stores, int profile);
// Replaces profile `destprofile` with a copy of profile `srcprofile`.
void copyProfile(SettingsStores& stores, int destprofile, int srcprofile);

} // namespace profilefiles
