// Reading resources out of real PE DLLs linked by mingw, and out of
// damaged copies of them and of .res files.
#include "../../winsim/src/pe_resources.h"
#include "../../winsim/src/res_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstring>
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
std::size_t TreeSection()
{
    for (std::size_t s = kTable;; s += kSectionHeaderSize) {
        DWORD rva = Get32(kFixture, s + 12);
        if (kTreeRva >= rva && kTreeRva - rva < Get32(kFixture, s + 16))
            return s;
    }
}
std::size_t TreeRoot()
{
    return Get32(kFixture, TreeSection() + 20) + kTreeRva - Get32(kFixture, TreeSection() + 12);
}

struct Damage {
    std::size_t at;
    int width;
    DWORD value;
    const char* message;
};

bool Parse(const Bytes& image, std::vector<Resource>& out, std::string& error)
{
    // An exact-size heap copy, so that a sanitizer sees any read past the end.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[image.size()]);
    std::copy(image.begin(), image.end(), copy.get());
    error.clear();
    bool ok = winsim::ParsePeResources(copy.get(), image.size(), out, error);
    if (!ok)
        EXPECT_TRUE(out.empty() && !error.empty() && error.find('\n') == std::string::npos)
            << error;
    return ok;
}

auto Key(const Resource& r)
{
    return std::tie(r.typeId, r.typeName, r.nameId, r.nameText, r.language, r.data);
}
std::vector<Resource> Sorted(std::vector<Resource> list)
{
    std::sort(list.begin(), list.end(),
              [](const Resource& a, const Resource& b) { return Key(a) < Key(b); });
    return list;
}
bool Same(const std::vector<Resource>& a, const std::vector<Resource>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Resource& x, const Resource& y) { return Key(x) == Key(y); });
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
    const std::size_t root = TreeRoot(), dirSize = 16 + 8 * fanOut;
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
    Put(image, TreeSection() + 16, (DWORD)(image.size() - root));
    return image;
}

} // namespace

TEST(PeResources, ReadsEveryResourceOfTheFixtureDllAsPe32AndPe32Plus)
{
    std::vector<Resource> list, wide;
    std::string error;
    ASSERT_TRUE(Parse(kFixture, list, error)) << error;
    auto text = [](const char* s) { return Bytes(s, s + std::strlen(s)); };
    const std::vector<Resource> expected = {
        {0, "BINFILE", 1, "", 0x409, {'T', 'W', 'K', 1, 2, 3, 0, 0xFF, 0x34, 0x12}},
        {0, "BINFILE", 2, "", 0x409, text("english")},
        {0, "BINFILE", 2, "", 0x407, text("deutsch")},
        {10, "", 0, "PAYLOAD", 0x409, text("named")},
    };
    EXPECT_TRUE(Same(Sorted(list), Sorted(expected)));
    // FindResourceA's lookup finds them as it finds the program's own.
    const Resource* found = winsim::FindResourceIn(list, "#1", "binfile");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->data.size(), 10u);
    ASSERT_TRUE(Parse(AsPe32Plus(kFixture), wide, error)) << error;
    EXPECT_TRUE(Same(Sorted(list), Sorted(wide)));
}

TEST(PeResources, ProgramResourcesReadTheSameFromADllAsFromTheResFile)
{
    std::vector<Resource> fromDll, fromRes;
    std::string error;
    const Bytes dll(g_programResourcesDll, g_programResourcesDll + g_programResourcesDll_size);
    ASSERT_TRUE(Parse(dll, fromDll, error)) << error;
    ASSERT_TRUE(winsim::ParseResFile(g_programResources, g_programResources_size, fromRes, error))
        << error;
    EXPECT_GT(fromRes.size(), 3u);
    EXPECT_TRUE(Same(Sorted(fromDll), Sorted(fromRes)));
}

TEST(PeResources, ImageWithoutResourceDirectoryGivesAnEmptyList)
{
    std::vector<Resource> list;
    std::string error;
    Bytes image = kFixture;
    Put(image, kOptional + kResourceDirectory, 0);
    EXPECT_TRUE(Parse(image, list, error)) << error;
    EXPECT_TRUE(list.empty());
}

TEST(PeResources, TruncatedCopiesFailOrGiveAnExactSubset)
{
    std::vector<Resource> all, list;
    std::string error;
    ASSERT_TRUE(Parse(kFixture, all, error));
    for (std::size_t cut = 0; cut < kFixture.size(); cut += 37)
        if (Parse(Bytes(kFixture.begin(), kFixture.begin() + cut), list, error))
            for (const auto& r : list)
                EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                                        [&](const Resource& x) { return Key(x) == Key(r); }))
                    << "cut at " << cut;
}

TEST(PeResources, DamagedCopiesFailSayingWhy)
{
    std::vector<Resource> list;
    std::string error;
    const std::size_t root = TreeRoot();
    // The first entry's way down: the first type's names, that name's
    // languages, that language's data entry; and the first type's name.
    const std::size_t names = root + (Get32(kFixture, root + 20) & ~kSubdirectory);
    const std::size_t languages = root + (Get32(kFixture, names + 20) & ~kSubdirectory);
    const std::size_t data = root + Get32(kFixture, languages + 20);
    const std::size_t before = TreeSection() - kSectionHeaderSize;
    const DWORD straddling = Get32(kFixture, before + 12) + Get32(kFixture, before + 16) - 4;
    const std::size_t typeName = root + (Get32(kFixture, root + 16) & ~kSubdirectory);
    const Damage damage[] = {
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
        {TreeSection() + 16, 4, 0x20, "outside its section"}, // its section cut short
        {data, 4, straddling, "data outside"},             // data running into the next section
    };
    for (const auto& d : damage) {
        Bytes image = kFixture;
        Put(image, d.at, d.value, d.width);
        EXPECT_FALSE(Parse(image, list, error)) << "at " << d.at;
        EXPECT_NE(error.find(d.message), std::string::npos) << error;
    }
    EXPECT_FALSE(Parse({}, list, error));
}

TEST(PeResources, SharedDirectoriesCannotMultiplyWithoutEnd)
{
    std::vector<Resource> list;
    std::string error;
    ASSERT_TRUE(Parse(SharedTree(4, 16), list, error)) << error;
    EXPECT_EQ(list.size(), 64u);
    // 41 cubed leaves: more entries than any real file has.
    EXPECT_FALSE(Parse(SharedTree(41, 0), list, error));
    EXPECT_NE(error.find("too many"), std::string::npos) << error;
    // 8000 leaves of the same 4 KB: far more than the image holds.
    EXPECT_FALSE(Parse(SharedTree(20, 4096), list, error));
    EXPECT_NE(error.find("copies more"), std::string::npos) << error;
}

TEST(ResFile, RejectsTruncatedOrInconsistentFiles)
{
    std::vector<winsim::Resource> out;
    std::string error;
    // The empty leading entry alone is a valid, empty file.
    const unsigned char empty[32] = {0, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    EXPECT_TRUE(winsim::ParseResFile(empty, sizeof empty, out, error));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(winsim::ParseResFile(empty, 20, out, error));
    unsigned char tooLong[32];
    std::copy(std::begin(empty), std::end(empty), tooLong);
    tooLong[0] = 0x40; // data beyond the end
    EXPECT_FALSE(winsim::ParseResFile(tooLong, sizeof tooLong, out, error));
    EXPECT_NE(error.find("past the end"), std::string::npos);
    unsigned char badHeader[32];
    std::copy(std::begin(empty), std::end(empty), badHeader);
    badHeader[4] = 8;
    EXPECT_FALSE(winsim::ParseResFile(badHeader, sizeof badHeader, out, error));
}
