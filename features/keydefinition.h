#pragma once

#include <QtGlobal>

#include <array>

// A key definition is four bytes per button slot. The profile files keep the
// stored form (category in byte 0, what the assignment page edits); the mouse
// takes the device form (device type in byte 0). These turn one into the other.
namespace keydef {

constexpr int kSlots = 16;
constexpr int kDefinitionSize = 4;
constexpr int kMatrixSize = kSlots * kDefinitionSize;   // 64

using Definition = std::array<uchar, kDefinitionSize>;

// Stored-form categories the conversion tells apart.
enum Category : uchar {
    MouseButton = 0x00,
    Fire = 0x01,
    Combination = 0x02,
    Media = 0x03,
    Macro = 0x04,
    DpiFunction = 0x05,
    WindowsFunction = 0x06,
    Shortcut = 0x07,
    GunSwitch = 0x08,
    Reserved = 0xFF,
};

// Device types of the converted form that other operations look for.
constexpr uchar kDeviceGunSwitch = 0x08;
constexpr uchar kDeviceGunPeriod = 0x0B;

// The device form of one stored-form definition. The sniper function has a
// different shape on the two controller families.
Definition toDeviceForm(const Definition& stored, bool family560);

// Converts the 16 definitions of a 64-byte matrix in place.
void matrixToDeviceForm(uchar* matrix64, bool family560);

} // namespace keydef
