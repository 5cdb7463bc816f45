// Any 512 bytes decoded into an MbrImage and encoded back come out the same.
#include "disk/mbr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 512)
        return 0;
    MbrImage image;
    std::memset(&image, 0, sizeof image);
    DecodeMbr(data, &image);
    BYTE sector[512];
    EncodeMbr(&image, sector);
    if (std::memcmp(sector, data, sizeof sector) != 0)
        std::abort();
    MbrImage again;
    std::memset(&again, 0, sizeof again);
    DecodeMbr(sector, &again);
    if (std::memcmp(&again, &image, sizeof image) != 0)
        std::abort();
    return 0;
}
