// Reading resources out of real PE DLLs linked by mingw, and out of damaged
// copies of them. The .res reader reads only the program's own resources.
#include "../../winsim/src/pe_resources.h"
#include "../../winsim/src/res_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

extern const unsigned char g_peFixtureDll[];
extern const std::size_t g_peFixtureDll_size;
extern const unsigned char g_programResourcesDll[];
extern const std::size_t g_programResourcesDll_size;
extern const unsigned char g_programResources[];
extern const std::size_t g_programResources_size;

namespace {

using Bytes = std::vector<unsigned char>;
using winsim::Resource;

// Header fields the tests patch, where a PE32 image has them.
constexpr std::size_t kPeOffsetField = 0x3C;
constexpr std::size_t kOptionalHeader = 24;        // from the signature
constexpr std::size_t kOptionalHeaderSizeField = 20;
constexpr std::size_t kResourceDirectory = 96 + 2 * 8;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr DWORD kSubdirectory = 0x80000000;

DWORD Get32(const Bytes& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (DWORD)b[at + 3] << 24;
}
void Put(Bytes& b, std::size_t at, DWORD v, int width = 4)
{
    for (int i = 0; i < width; ++i)
        b[at + i] = (unsigned char)(v >> (8 * i));
}

const Bytes kFixture(g_peFixtureDll, g_peFixtureDll + g_peFixtureDll_size);
const std::size_t kPe = Get32(kFixture, kPeOffsetField);
const std::size_t kOptional = kPe + kOptionalHeader;
const std::size_t kTable = kOptional + (Get32(kFixture, kPe + kOptionalHeaderSizeField) & 0xFFFF);
const std::size_t kSectionCount = kFixture[kPe + 6];
const DWORD kTreeRva = Get32(kFixture, kOptional + kResourceDirectory);

// The header of the section holding the resource tree, and the tree's root.
const std::size_t kTreeSection = [] {
    std::size_t s = kTable;
    while (kTreeRva < Get32(kFixture, s + 12) ||
           kTreeRva - Get32(kFixture, s + 12) >= Get32(kFixture, s + 16))
        s += kSectionHeaderSize;
    return s;
}();
const std::size_t kRoot =
    Get32(kFixture, kTreeSection + 20) + kTreeRva - Get32(kFixture, kTreeSection + 12);

using ResourceSet = std::multiset<std::tuple<int, std::string, int, std::string, int, Bytes>>;

ResourceSet Set(const std::vector<Resource>& list)
{
    ResourceSet set;
    for (const Resource& r : list)
        set.emplace(r.typeId, r.typeName, r.nameId, r.nameText, r.language, r.data);
    return set;
}

// The image's resources, or none with a one-line reason in *error.
std::optional<ResourceSet> Read(const Bytes& image, std::string* error = nullptr)
{
    // An exact-size heap copy, so that a sanitizer sees any read past the end.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[image.size()]);
    std::copy(image.begin(), image.end(), copy.get());
    std::vector<Resource> list;
    std::string reason;
    if (winsim::ParsePeResources(copy.get(), image.size(), list, reason))
        return Set(list);
    EXPECT_TRUE(list.empty() && !reason.empty() && reason.find('\n') == std::string::npos)
        << reason;
    if (error)
        *error = reason;
    return std::nullopt;
}

// As far as the reader looks, PE32+ moves the data directories 16 bytes
// down (the stack and heap sizes widen) and the section table with them.
Bytes AsPe32Plus(Bytes image)
{
    Put(image, kOptional, 0x20B, 2);
    image.insert(image.begin() + kOptional + 88, 16, 0);
    const std::size_t tableEnd = kTable + 16 + kSectionCount * kSectionHeaderSize;
    image.erase(image.begin() + tableEnd, image.begin() + tableEnd + 16);
    Put(image, kPe + kOptionalHeaderSizeField, 240, 2);
    return image;
}

// The fixture with its tree replaced: three directories of `fanOut` entries,
// each level's entries all pointing at the next level, and one data entry
// of `dataSize` bytes under every leaf.
Bytes SharedTree(WORD fanOut, DWORD dataSize)
{
    Bytes image = kFixture;
    const std::size_t root = kRoot, dirSize = 16 + 8 * fanOut;
    image.resize(root + std::max<std::size_t>(3 * dirSize + 16, dataSize), 0);
    for (std::size_t level = 0; level < 3; ++level) {
        std::size_t dir = root + level * dirSize;
        Put(image, dir + 12, fanOut << 16);             // no named entries, fanOut ids
        for (std::size_t i = 0; i < fanOut; ++i) {
            Put(image, dir + 16 + 8 * i, (DWORD)i + 1);
            DWORD next = (DWORD)((level + 1) * dirSize);
            Put(image, dir + 20 + 8 * i, level < 2 ? next | kSubdirectory : next);
        }
    }
    Put(image, root + 3 * dirSize, kTreeRva);
    Put(image, root + 3 * dirSize + 4, dataSize);
    Put(image, kTreeSection + 16, (DWORD)(image.size() - root));
    return image;
}

} // namespace

TEST(PeResources, ReadsEveryResourceOfTheFixtureDllAsPe32AndPe32Plus)
{
    auto text = [](const char* s) { return Bytes(s, s + std::strlen(s)); };
    const std::vector<Resource> expected = {
        {0, "BINFILE", 1, "", 0x409, {'T', 'W', 'K', 1, 2, 3, 0, 0xFF, 0x34, 0x12}},
        {0, "BINFILE", 2, "", 0x409, text("english")},
        {0, "BINFILE", 2, "", 0x407, text("deutsch")},
        {10, "", 0, "PAYLOAD", 0x409, text("named")},
    };
    EXPECT_EQ(Read(kFixture), Set(expected));
    EXPECT_EQ(Read(AsPe32Plus(kFixture)), Set(expected));
    Bytes image = kFixture; // no resource directory: no resources
    Put(image, kOptional + kResourceDirectory, 0);
    EXPECT_EQ(Read(image), ResourceSet());
}

TEST(PeResources, ProgramResourcesReadTheSameFromADllAsFromTheResFile)
{
    std::vector<Resource> fromRes;
    std::string error;
    ASSERT_TRUE(winsim::ParseResFile(g_programResources, g_programResources_size, fromRes, error))
        << error;
    EXPECT_GT(fromRes.size(), 3u);
    EXPECT_EQ(Read(Bytes(g_programResourcesDll, g_programResourcesDll + g_programResourcesDll_size)),
              Set(fromRes));
}

TEST(PeResources, DamagedCopiesFailSayingWhy)
{
    const std::size_t root = kRoot;
    // The first entry's way down: the first type's names, that name's
    // languages, that language's data entry; and the first type's name.
    const std::size_t names = root + (Get32(kFixture, root + 20) & ~kSubdirectory);
    const std::size_t languages = root + (Get32(kFixture, names + 20) & ~kSubdirectory);
    const std::size_t data = root + Get32(kFixture, languages + 20);
    const std::size_t before = kTreeSection - kSectionHeaderSize;
    const DWORD straddling = Get32(kFixture, before + 12) + Get32(kFixture, before + 16) - 4;
    const std::size_t typeName = root + (Get32(kFixture, root + 16) & ~kSubdirectory);
    const struct {
        std::size_t at;
        int width;
        DWORD value;
        const char* message;
    } damage[] = {
        {0, 2, 0x5A4E, "not an MZ"},
        {kPeOffsetField, 4, 0xFFFFFFF0, "no PE header"},
        {kPe, 1, 'Q', "no PE header"},
        {kOptional, 2, 0x107, "magic"},
        {kPe + kOptionalHeaderSizeField, 2, 96, "too small"},
        {kOptional + kResourceDirectory, 4, 0x7FFFF000, "outside the image"},
        {root + 12, 4, 0xFFFFFFFF, "entries outside"},    // huge entry counts
        {root + 16, 4, 0xFFFFFFF0, "name outside"},
        {typeName, 2, 0xFFFF, "name outside"},            // a name's length
        {root + 20, 4, kSubdirectory, "three levels"},    // the root as its own child
        {languages + 20, 4, kSubdirectory | (DWORD)(languages - root), "three levels"},
        {root + 20, 4, (DWORD)(names - root), "above the language"},
        {data, 4, 0xFFFFFF00, "data outside"},            // data RVA past the end
        {data + 4, 4, 0x7FFFFFFF, "data outside"},        // data size past the end
        {kTreeSection + 16, 4, 0x20, "outside its section"}, // its section cut short
        {data, 4, straddling, "data outside"},             // data running into the next section
    };
    for (const auto& d : damage) {
        Bytes image = kFixture;
        Put(image, d.at, d.value, d.width);
        std::string error;
        EXPECT_FALSE(Read(image, &error)) << "at " << d.at;
        EXPECT_NE(error.find(d.message), std::string::npos) << error;
    }
    EXPECT_FALSE(Read({}));
}

TEST(PeResources, SharedDirectoriesCannotMultiplyWithoutEnd)
{
    auto fine = Read(SharedTree(4, 16));
    EXPECT_TRUE(fine && fine->size() == 64u);
    std::string error;
    // 41 cubed leaves: more entries than any real file has.
    EXPECT_FALSE(Read(SharedTree(41, 0), &error));
    EXPECT_NE(error.find("too many"), std::string::npos) << error;
    // 8000 leaves of the same 4 KB: far more than the image holds.
    EXPECT_FALSE(Read(SharedTree(20, 4096), &error));
    EXPECT_NE(error.find("copies more"), std::string::npos) << error;
}
