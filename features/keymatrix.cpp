#include "keymatrix.h"

#include "deviceflags.h"
#include "hid_thread.h"
#include "profileblocks.h"
#include "settingsfile.h"
#include "settingsstores.h"
#include "variantbytes.h"

namespace keymatrix {

namespace {

constexpr int kMacroProfiles = 6;   // the pages use profile numbers 0..5 only

QString layoutKey(int slot)
{
    return QStringLiteral("mouseKeyMatrix/%1").arg(slot);
}

QString firmwareKey(int slot)
{
    return QStringLiteral("mouseFwKeyMatrix/%1").arg(slot);
}

// The key-matrix commands take a 128-byte buffer: the matrix, then zeros.
using ReportBuffer = std::array<uchar, 128>;

ReportBuffer reportBuffer(const Matrix& matrix)
{
    ReportBuffer out{};
    std::copy(matrix.begin(), matrix.end(), out.begin());
    return out;
}

void sendMatrix(Hid_Thread& hid, bool family560, const Matrix& matrix, int number)
{
    ReportBuffer buffer = reportBuffer(matrix);
    if (family560)
        hid.hid560_0DH_SetKeyMatrix(buffer.data(), uchar(number));
    else
        hid.hid553_12H_SetKeyMatrix(buffer.data(), uchar(number));
}

uchar* slotOf(Matrix& matrix, int slot)
{
    return matrix.data() + slot * keydef::kDefinitionSize;
}

// Matrices 1..4 get these byte values for a gun switch of n modes (n = 1..3).
struct GunSteps
{
    std::array<uchar, 4> values;
    uchar profileByte;   // 560 only
};

const GunSteps* gunSteps(bool family560, uchar modes)
{
    static const GunSteps steps553[3] = {{{1, 0, 0, 0}, 0}, {{1, 2, 0, 0}, 0}, {{1, 2, 3, 0}, 0}};
    static const GunSteps steps560[3] = {{{1, 0, 0, 0}, 7}, {{1, 3, 0, 0}, 15}, {{1, 3, 3, 0}, 31}};
    if (modes < 1 || modes > 3)
        return nullptr;
    return family560 ? &steps560[modes - 1] : &steps553[modes - 1];
}

} // namespace

Matrix baseMatrix(const QVariantList& src64, bool family560)
{
    Matrix m{};
    for (int k = 0; k < keydef::kMatrixSize; ++k)
        m[k] = variantbytes::byteAt(src64, k);
    keydef::matrixToDeviceForm(m.data(), family560);
    return m;
}

Matrix firmwareMatrix(const SettingsFile* store)
{
    Matrix m{};
    if (!store)
        return m;
    for (int slot = 0; slot < keydef::kSlots; ++slot) {
        const QVariantList entry = SettingsFile::toList(store->value(firmwareKey(slot)));
        for (int i = 0; i < keydef::kDefinitionSize; ++i)
            m[slot * keydef::kDefinitionSize + i] = variantbytes::byteAt(entry, i);
    }
    return m;
}

KeyMatrices buildKeyMatrices(const Matrix& base, const Matrix& firmware, bool family560,
                             const QVariantList& otherParam)
{
    KeyMatrices out;
    out.matrices[0] = base;
    for (int slot = 0; slot < keydef::kSlots; ++slot)
        if (base[slot * keydef::kDefinitionSize] == keydef::kDeviceGunSwitch)
            out.hasGunSwitch = true;
    if (!out.hasGunSwitch)
        return out;

    for (int m = 1; m < 4; ++m)
        out.matrices[m] = firmware;

    for (int slot = 0; slot < keydef::kSlots; ++slot) {
        if (base[slot * keydef::kDefinitionSize] != keydef::kDeviceGunSwitch)
            continue;
        const uchar modes = base[slot * keydef::kDefinitionSize + 2];
        for (int m = 1; m < 4; ++m)
            slotOf(out.matrices[m], slot)[0] = keydef::kDeviceGunSwitch;
        const GunSteps* steps = gunSteps(family560, modes);
        if (family560) {
            if (steps) {
                for (int m = 0; m < 4; ++m)
                    slotOf(out.matrices[m], slot)[2] = steps->values[m];
                out.profileByte = steps->profileByte;
            }
        } else {
            for (int m = 0; m < 4; ++m) {
                uchar* def = slotOf(out.matrices[m], slot);
                if (steps)
                    def[3] = steps->values[m];
                def[2] = 1;
                def[1] = 0;
            }
        }
    }

    // Slot 0 of each gun matrix carries that gun's firing period; it wins
    // over a gun switch placed on slot 0.
    for (int g = 0; g < 3; ++g) {
        uchar* def = slotOf(out.matrices[g + 1], 0);
        def[0] = keydef::kDeviceGunPeriod;
        def[1] = uchar(g);
        def[2] = variantbytes::byteAt(otherParam, g);
        def[3] = 0;
    }
    return out;
}

void storeLayout(SettingsFile* currentProfile, const QVariantList& src64)
{
    if (!currentProfile)
        return;
    // Every slot gets four values, a short list padded with zeros.
    for (int slot = 0; slot < keydef::kSlots; ++slot) {
        QVariantList definition;
        for (int i = 0; i < keydef::kDefinitionSize; ++i)
            definition.append(src64.value(slot * keydef::kDefinitionSize + i, QVariant(0)));
        currentProfile->setValue(layoutKey(slot), definition);
    }
}

void setKeyMatrix(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile* currentProfile,
                  ProfileBlocks& blocks, const QVariantList& src64, bool isSendData,
                  const QVariantList& otherParam)
{
    // The layout is kept before anything is sent, so it survives an absent mouse.
    storeLayout(currentProfile, src64);
    if (!isSendData)
        return;

    const Matrix base = baseMatrix(src64, flags.family560);
    const KeyMatrices built = buildKeyMatrices(base, firmwareMatrix(currentProfile), flags.family560, otherParam);
    if (!built.hasGunSwitch) {
        sendMatrix(hid, flags.family560, built.matrices[0], 1);
        return;
    }

    if (flags.family560) {
        if (built.profileByte)
            blocks.block(0)[2] = *built.profileByte;
        blocks.write(hid, 0);
    }
    for (int m = 0; m < 4; ++m)
        sendMatrix(hid, flags.family560, built.matrices[m], m + 1);
    // The gun layout ends with matrix/profile value 1 active on both families.
    if (flags.family560)
        hid.hid560_02H_SetCurrentProfile(1);
    else
        hid.hid553_02H_SetCurrentKeyMatrix(1);
}

void resetKeyMatrix(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile* currentProfile)
{
    const Matrix firmware = firmwareMatrix(currentProfile);
    for (int number = 2; number <= 4; ++number)
        sendMatrix(hid, flags.family560, firmware, number);
}

QVariantList getKeydefine(SettingsStores& stores, const QVariant& index, bool isRecovery)
{
    const SettingsFile* store = stores.profileStore(isRecovery);
    if (!store)
        return {};
    return SettingsFile::toList(store->value(QStringLiteral("mouseKeyMatrix/") + index.toString()));
}

void deleteMacroUpdateProfile(SettingsStores& stores, const QString& macroName)
{
    const SettingsFile* factory = stores.defaultProfile();
    for (int profile = 0; profile < kMacroProfiles; ++profile) {
        SettingsFile* store = stores.profile(profile);
        if (!store)
            continue;
        for (int slot = 0; slot < keydef::kSlots; ++slot) {
            const QVariantList definition = SettingsFile::toList(store->value(layoutKey(slot)));
            if (definition.isEmpty() || definition.first().toLongLong() != keydef::Macro)
                continue;
            const qlonglong macroSlot = definition.value(2, QVariant(0)).toLongLong();
            const QString name = store->value(QStringLiteral("mouseMacroKey/%1").arg(macroSlot)).toString();
            if (name != macroName)
                continue;
            const QVariantList factoryDefinition =
                factory ? SettingsFile::toList(factory->value(layoutKey(slot))) : QVariantList{};
            store->setValue(layoutKey(slot), factoryDefinition);
        }
    }
}

} // namespace keymatrix
