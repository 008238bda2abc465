#include "profileblocks.h"

#include "hid_thread.h"

uchar* ProfileBlocks::block(uint profileNo)
{
    return profileNo < kCount ? blocks[profileNo].data() : nullptr;
}

void ProfileBlocks::read(Hid_Thread& hid, uint profileNo)
{
    if (uchar* data = block(profileNo))
        hid.hid560_8CH_readProfile(data, uchar(profileNo));
}

void ProfileBlocks::write(Hid_Thread& hid, uint profileNo)
{
    if (uchar* data = block(profileNo))
        hid.hid560_0CH_setProfile(data, uchar(profileNo));
}

namespace deviceslot {

int readCurrentProfile(Hid_Thread& hid)
{
    uchar slot = 0;
    hid.hid560_82H_GetCurrentProfile(slot);
    return slot;
}

void switchKeyMatrix(Hid_Thread& hid, bool family560, int indexNo)
{
    if (family560)
        hid.hid560_02H_SetCurrentProfile(uchar(indexNo));
    else
        hid.hid553_02H_SetCurrentKeyMatrix(uchar(indexNo - 1));
}

} // namespace deviceslot
