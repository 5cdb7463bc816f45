#include "machine_setup.h"

namespace sim {

namespace {

const std::size_t kTableOffset = 446;
const std::size_t kEntrySize = 16;

void PutLe32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = (unsigned char)(value >> (8 * i));
}

void PutChs(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t lba,
            const DiskSpec& disk)
{
    winsim::ChsBytes(lba, disk.heads, disk.sectorsPerTrack, &bytes[at]);
}

void WritePartitionTable(int number, const DiskSpec& disk)
{
    std::vector<unsigned char> sector = winsim::ReadDisk(number, 0, 512);
    for (const auto& p : disk.partitions) {
        std::size_t e = kTableOffset + kEntrySize * (std::size_t)p.slot;
        sector[e] = p.active ? 0x80 : 0x00;
        PutChs(sector, e + 1, p.start, disk);
        sector[e + 4] = (unsigned char)p.type;
        PutChs(sector, e + 5, p.sectors ? p.start + p.sectors - 1 : p.start, disk);
        PutLe32(sector, e + 8, p.start);
        PutLe32(sector, e + 12, p.sectors);
    }
    sector[510] = 0x55;
    sector[511] = 0xAA;
    winsim::WriteDisk(number, 0, sector);
}

} // namespace

int AddScenarioDisk(const DiskSpec& disk)
{
    winsim::DiskSetup setup;
    setup.hasFriendlyName = disk.friendlyName.has_value();
    setup.friendlyName = disk.friendlyName.value_or("");
    setup.instanceId = disk.instanceId;
    setup.removable = disk.removable;
    setup.bytesPerSector = disk.bytesPerSector;
    setup.size = disk.size;
    setup.heads = disk.heads;
    setup.sectorsPerTrack = disk.sectorsPerTrack;
    setup.imagePath = disk.image.value_or("");
    setup.isProtected = disk.isProtected;
    setup.autoMount = disk.autoMount;
    int number = winsim::AddDisk(setup);
    if (!disk.partitions.empty()) {
        WritePartitionTable(number, disk);
        winsim::RescanPartitions(number);
    }
    for (const auto& p : disk.partitions) {
        std::string error;
        if (p.format != "raw" && !winsim::FormatPartition(number, p.slot + 1, p.format, p.label, error))
            winsim::HarnessError("cannot format partition " + std::to_string(p.slot + 1) + ": " + error);
        if (p.letter && !winsim::MountVolume(number, p.slot + 1, p.letter))
            winsim::HarnessError(std::string("cannot mount a partition at ") + p.letter + ":");
    }
    return number;
}

void BuildMachine(const Scenario& scenario)
{
    for (const auto& disk : scenario.disks)
        AddScenarioDisk(disk);
    for (const auto& [letter, kind] : scenario.letters)
        winsim::SetForeignLetter(letter, kind);
}

} // namespace sim
