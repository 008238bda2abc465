#pragma once

#include "keydefinition.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <array>
#include <optional>

class Hid_Thread;
class ProfileBlocks;
class SettingsFile;
class SettingsStores;
struct DeviceFlags;

// Button assignment: the user's layout is key matrix 1; a gun switch on any
// button adds gun matrices 2..4, built on the firmware key matrix the profile
// file carries.
namespace keymatrix {

using Matrix = std::array<uchar, keydef::kMatrixSize>;

struct KeyMatrices
{
    std::array<Matrix, 4> matrices{};   // matrices 1..4
    bool hasGunSwitch = false;          // false: only matrix 1 is meaningful
    // Byte 2 of profile block 0 on the 560 family, when a gun switch sets it.
    std::optional<uchar> profileByte;
};

// The device form of a 64-value stored layout (low byte of each value).
Matrix baseMatrix(const QVariantList& src64, bool family560);
// The firmware key matrix of a profile store ("mouseFwKeyMatrix/0..15"), as stored.
Matrix firmwareMatrix(const SettingsFile* store);
// Matrix 1 and, when some slot carries the gun switch, the three gun matrices
// with the gun periods (otherParam[0..2]) in slot 0.
KeyMatrices buildKeyMatrices(const Matrix& base, const Matrix& firmware, bool family560,
                             const QVariantList& otherParam);

// Stores the layout in `currentProfile` ("mouseKeyMatrix/0..15"); with
// isSendData also sends it, with the gun matrices when a gun switch is set.
// Writes the 16 "mouseKeyMatrix/" lists of a layout into the profile store.
void storeLayout(SettingsFile* currentProfile, const QVariantList& src64);

void setKeyMatrix(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile* currentProfile,
                  ProfileBlocks& blocks, const QVariantList& src64, bool isSendData,
                  const QVariantList& otherParam);

// Sends the firmware key matrix of the current profile, unchanged, as matrices 2..4.
void resetKeyMatrix(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile* currentProfile);

// The stored definition of slot `index`; empty when absent.
QVariantList getKeydefine(SettingsStores& stores, const QVariant& index, bool isRecovery);

// Puts the factory definition back on every slot of profiles 0..5 that runs
// the macro `macroName`. Nothing is sent.
void deleteMacroUpdateProfile(SettingsStores& stores, const QString& macroName);

} // namespace keymatrix
