#include "pe_resources.h"

#include "code_page.h"
#include "machine.h"

#include <algorithm>
#include <utility>

namespace winsim {

namespace {

// DOS header and the PE signature it points at.
constexpr WORD kDosMagic = 0x5A4D;                 // "MZ"
constexpr std::size_t kDosHeaderSize = 0x40;
constexpr std::size_t kDosPeOffsetField = 0x3C;    // e_lfanew
constexpr DWORD kPeSignature = 0x00004550;         // "PE\0\0"
constexpr std::size_t kPeSignatureSize = 4;

// File header, right after the signature.
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionCountField = 2;
constexpr std::size_t kOptionalHeaderSizeField = 16;

// Optional header: where the data directory count sits depends on the magic.
constexpr WORD kPe32Magic = 0x10B;
constexpr WORD kPe32PlusMagic = 0x20B;
constexpr std::size_t kPe32DirectoryCountField = 92;
constexpr std::size_t kPe32PlusDirectoryCountField = 108;
constexpr std::size_t kDataDirectorySize = 8;      // RVA, size
constexpr DWORD kImportDirectoryIndex = 1;
constexpr DWORD kResourceDirectoryIndex = 2;

// Import directory: descriptors up to one with no name.
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kImportNameField = 12;
constexpr std::size_t kMaxImports = 4096;

// Section header.
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionRvaField = 12;
constexpr std::size_t kSectionRawSizeField = 16;
constexpr std::size_t kSectionRawOffsetField = 20;

// Resource tree: directories of entries, then data entries at the leaves.
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kNamedCountField = 12;
constexpr std::size_t kIdCountField = 14;
constexpr std::size_t kDirectoryEntrySize = 8;     // name or id, target
constexpr std::size_t kDataEntrySize = 16;         // RVA, size, code page, reserved
constexpr DWORD kHighBit = 0x80000000;             // a string name; a subdirectory
enum Level { kTypeLevel, kNameLevel, kLanguageLevel };

// Real trees have a few thousand entries; crafted ones may share
// directories so that a walk would never end.
constexpr std::size_t kMaxEntries = 1 << 16;
// Leaves may share bytes and repeat a type's name, but a real file's never
// add up to many times its size; the budget bounds what a crafted tree
// makes us copy.
constexpr std::size_t kCopyBudgetFactor = 16;
constexpr std::size_t kCopyBudgetExtra = 1 << 20;

// A bounded view of bytes: every read is checked first with Has.
struct Bytes {
    const unsigned char* data = nullptr;
    std::size_t size = 0;

    bool Has(std::size_t at, std::size_t n) const { return at <= size && size - at >= n; }
    WORD Word(std::size_t at) const { return (WORD)(data[at] | data[at + 1] << 8); }
    DWORD Dword(std::size_t at) const
    {
        return (DWORD)data[at] | (DWORD)data[at + 1] << 8 | (DWORD)data[at + 2] << 16 |
               (DWORD)data[at + 3] << 24;
    }
};

struct Section {
    DWORD rva;
    DWORD rawSize;
    DWORD rawOffset;
};

// The image's sections, for turning RVAs into bytes of the file.
class SectionMap {
public:
    explicit SectionMap(const Bytes& file) : file_(file) {}

    void Add(const Section& s) { sections_.push_back(s); }

    // The `length` bytes at `rva`, when they lie in one section's raw data.
    bool Range(DWORD rva, DWORD length, Bytes& out) const
    {
        for (const Section& s : sections_) {
            if (rva < s.rva)
                continue;
            DWORD offset = rva - s.rva;
            if (offset > s.rawSize || s.rawSize - offset < length)
                continue;
            std::size_t at = (std::size_t)s.rawOffset + offset;
            if (!file_.Has(at, length))
                return false;
            out = Bytes{file_.data + at, length};
            return true;
        }
        return false;
    }

    // The bytes from `rva` to the end of its section's raw data, cut where
    // the file ends.
    bool Tail(DWORD rva, Bytes& out) const
    {
        for (const Section& s : sections_) {
            if (rva < s.rva || rva - s.rva >= s.rawSize)
                continue;
            std::size_t at = (std::size_t)s.rawOffset + (rva - s.rva);
            std::size_t end = (std::size_t)s.rawOffset + s.rawSize;
            if (at >= file_.size)
                return false;
            out = Bytes{file_.data + at, std::min(end, file_.size) - at};
            return true;
        }
        return false;
    }

private:
    Bytes file_;
    std::vector<Section> sections_;
};

// Walks the three levels of the tree; offsets in it are relative to its
// root, which is the start of `tree`.
class TreeWalker {
public:
    TreeWalker(const Bytes& tree, const SectionMap& sections, std::size_t copyBudget,
               std::vector<Resource>& out)
        : tree_(tree), sections_(sections), budget_(copyBudget), out_(out) {}

    bool Walk(DWORD offset, Level level, Resource& path)
    {
        if (!tree_.Has(offset, kDirectoryHeaderSize))
            return Fail("resource directory outside its section");
        std::size_t count = (std::size_t)tree_.Word(offset + kNamedCountField) +
                            tree_.Word(offset + kIdCountField);
        std::size_t first = offset + kDirectoryHeaderSize;
        if (!tree_.Has(first, count * kDirectoryEntrySize))
            return Fail("resource directory entries outside their section");
        for (std::size_t i = 0; i < count; ++i) {
            if (++entries_ > kMaxEntries)
                return Fail("too many resource entries");
            std::size_t entry = first + i * kDirectoryEntrySize;
            DWORD name = tree_.Dword(entry);
            DWORD target = tree_.Dword(entry + 4);
            int id = 0;
            std::string text;
            if (!ReadName(name, id, text))
                return false;
            bool subdirectory = (target & kHighBit) != 0;
            if (level == kLanguageLevel) {
                if (subdirectory)
                    return Fail("resource tree deeper than three levels");
                if (name & kHighBit)
                    return Fail("resource language given by name");
                path.language = id;
                if (!ReadLeaf(target, path))
                    return false;
                continue;
            }
            if (!subdirectory)
                return Fail("resource data above the language level");
            if (level == kTypeLevel) {
                path.typeId = id;
                path.typeName = text;
            } else {
                path.nameId = id;
                path.nameText = text;
            }
            if (!Walk(target & ~kHighBit, (Level)(level + 1), path))
                return false;
        }
        return true;
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(const char* message)
    {
        error_ = message;
        return false;
    }

    // An ordinal, or a length-prefixed UTF-16 string in the tree.
    bool ReadName(DWORD name, int& id, std::string& text)
    {
        if (!(name & kHighBit)) {
            id = (int)(name & 0xFFFF);
            return true;
        }
        std::size_t at = name & ~kHighBit;
        if (!tree_.Has(at, 2))
            return Fail("resource name outside its section");
        std::size_t length = tree_.Word(at);
        if (!tree_.Has(at + 2, length * 2))
            return Fail("resource name outside its section");
        std::u16string wide;
        for (std::size_t i = 0; i < length; ++i)
            wide.push_back((char16_t)tree_.Word(at + 2 + i * 2));
        text = ToAnsi(wide);
        return true;
    }

    bool ReadLeaf(DWORD offset, const Resource& path)
    {
        if (!tree_.Has(offset, kDataEntrySize))
            return Fail("resource data entry outside its section");
        DWORD rva = tree_.Dword(offset);
        DWORD size = tree_.Dword(offset + 4);   // the code page that follows is not kept
        Bytes bytes;
        if (size != 0 && !sections_.Range(rva, size, bytes))
            return Fail("resource data outside the image's sections");
        std::size_t cost = path.typeName.size() + path.nameText.size() + size;
        if (cost > budget_)
            return Fail("resource tree copies more than the image holds");
        budget_ -= cost;
        Resource res = path;
        res.data.assign(bytes.data, bytes.data + bytes.size);
        out_.push_back(std::move(res));
        return true;
    }

    Bytes tree_;
    const SectionMap& sections_;
    std::size_t budget_;
    std::vector<Resource>& out_;
    std::size_t entries_ = 0;
    std::string error_;
};

bool Fail(std::string& error, const char* message)
{
    error = message;
    return false;
}

// Data directory `index` of the image, and the image's sections added to
// `sections`. False with a message for a malformed image; true with rva 0
// when it has no such directory.
bool FindDirectory(const Bytes& file, DWORD index, DWORD& rva, SectionMap& sections,
                   std::string& error)
{
    rva = 0;
    if (!file.Has(0, kDosHeaderSize) || file.Word(0) != kDosMagic)
        return Fail(error, "not an MZ executable");
    std::size_t pe = file.Dword(kDosPeOffsetField);
    if (!file.Has(pe, kPeSignatureSize + kFileHeaderSize) || file.Dword(pe) != kPeSignature)
        return Fail(error, "no PE header");
    std::size_t header = pe + kPeSignatureSize;
    std::size_t sectionCount = file.Word(header + kSectionCountField);
    std::size_t optionalSize = file.Word(header + kOptionalHeaderSizeField);
    std::size_t optional = header + kFileHeaderSize;
    if (optionalSize < 2 || !file.Has(optional, optionalSize))
        return Fail(error, "truncated optional header");

    std::size_t countField;
    switch (file.Word(optional)) {
    case kPe32Magic: countField = kPe32DirectoryCountField; break;
    case kPe32PlusMagic: countField = kPe32PlusDirectoryCountField; break;
    default: return Fail(error, "unknown optional header magic");
    }
    if (optionalSize < countField + 4)
        return Fail(error, "optional header too small");
    if (file.Dword(optional + countField) <= index)
        return true;
    std::size_t directory = countField + 4 + index * kDataDirectorySize;
    if (optionalSize < directory + kDataDirectorySize)
        return Fail(error, "optional header too small for its data directories");
    if (file.Dword(optional + directory) == 0 || file.Dword(optional + directory + 4) == 0)
        return true;

    std::size_t table = optional + optionalSize;
    if (!file.Has(table, sectionCount * kSectionHeaderSize))
        return Fail(error, "truncated section table");
    for (std::size_t i = 0; i < sectionCount; ++i) {
        std::size_t at = table + i * kSectionHeaderSize;
        sections.Add({file.Dword(at + kSectionRvaField), file.Dword(at + kSectionRawSizeField),
                      file.Dword(at + kSectionRawOffsetField)});
    }
    rva = file.Dword(optional + directory);
    return true;
}

} // namespace

bool ParsePeResources(const unsigned char* data, std::size_t size, std::vector<Resource>& out,
                      std::string& error)
{
    out.clear();
    Bytes file{data, size};
    SectionMap map(file);
    DWORD treeRva = 0;
    if (!FindDirectory(file, kResourceDirectoryIndex, treeRva, map, error))
        return false;
    if (treeRva == 0)
        return true;
    Bytes tree;
    if (!map.Tail(treeRva, tree))
        return Fail(error, "resource directory outside the image's sections");

    TreeWalker walker(tree, map, size * kCopyBudgetFactor + kCopyBudgetExtra, out);
    Resource path;
    if (!walker.Walk(0, kTypeLevel, path)) {
        out.clear();
        error = walker.Error();
        return false;
    }
    return true;
}

bool ParsePeImports(const unsigned char* data, std::size_t size, std::vector<std::string>& out,
                    std::string& error)
{
    out.clear();
    Bytes file{data, size};
    SectionMap map(file);
    DWORD rva = 0;
    if (!FindDirectory(file, kImportDirectoryIndex, rva, map, error))
        return false;
    const char* damage = nullptr;
    for (std::size_t i = 0; rva != 0 && !damage; ++i) {
        Bytes descriptor, name;
        if (i == kMaxImports || !map.Range(rva + (DWORD)(i * kImportDescriptorSize),
                                           kImportDescriptorSize, descriptor)) {
            damage = "import directory outside the image's sections";
        } else if (descriptor.Dword(kImportNameField) == 0) {
            break;
        } else if (!map.Tail(descriptor.Dword(kImportNameField), name)) {
            damage = "import name outside the image's sections";
        } else {
            std::size_t length = 0;
            while (length < name.size && name.data[length] != 0)
                ++length;
            if (length == name.size)
                damage = "import name without its end";
            else
                out.emplace_back((const char*)name.data, length);
        }
    }
    if (damage)
        out.clear();
    return !damage || Fail(error, damage);
}

} // namespace winsim
