#include "res_file.h"

#include "code_page.h"
#include "machine.h"

#include <cstdlib>
#include <cstring>

namespace winsim {

namespace {

struct Reader {
    const unsigned char* data;
    std::size_t size;
    std::size_t pos;

    bool Has(std::size_t n) const { return pos <= size && size - pos >= n; }
    WORD Word() { WORD v = (WORD)(data[pos] | data[pos + 1] << 8); pos += 2; return v; }
    DWORD Dword()
    {
        DWORD v = (DWORD)data[pos] | (DWORD)data[pos + 1] << 8 | (DWORD)data[pos + 2] << 16 |
                  (DWORD)data[pos + 3] << 24;
        pos += 4;
        return v;
    }
};

// A type or name field: 0xFFFF and an ordinal, or a zero-terminated UTF-16 text.
bool ReadIdent(Reader& r, std::size_t end, int& id, std::string& text)
{
    if (r.pos + 2 > end)
        return false;
    WORD first = r.Word();
    if (first == 0xFFFF) {
        if (r.pos + 2 > end)
            return false;
        id = r.Word();
        return true;
    }
    std::u16string wide;
    for (WORD c = first; c != 0;) {
        wide.push_back(c);
        if (r.pos + 2 > end)
            return false;
        c = r.Word();
    }
    id = 0;
    text = ToAnsi(wide);
    return true;
}

bool Matches(LPCSTR wanted, int id, const std::string& text)
{
    if (IS_INTRESOURCE(wanted))
        return id != 0 && id == (int)(ULONG_PTR)wanted;
    if (wanted[0] == '#')
        return id != 0 && id == std::atoi(wanted + 1);
    return id == 0 && EqualsIgnoreCase(text, wanted);
}

} // namespace

bool ParseResFile(const unsigned char* data, std::size_t size, std::vector<Resource>& out,
                  std::string& error)
{
    Reader r{data, size, 0};
    out.clear();
    while (r.pos < size) {
        std::size_t start = r.pos;
        if (!r.Has(8)) {
            error = "truncated resource header";
            return false;
        }
        DWORD dataSize = r.Dword();
        DWORD headerSize = r.Dword();
        if (headerSize < 16 || !r.Has(headerSize - 8)) {
            error = "bad resource header size";
            return false;
        }
        std::size_t headerEnd = start + headerSize;
        Resource res;
        if (!ReadIdent(r, headerEnd, res.typeId, res.typeName) ||
            !ReadIdent(r, headerEnd, res.nameId, res.nameText)) {
            error = "bad resource type or name";
            return false;
        }
        r.pos = (r.pos + 3) & ~(std::size_t)3;
        if (r.pos + 16 > headerEnd) {
            error = "truncated resource header";
            return false;
        }
        r.Dword();               // data version
        r.Word();                // memory flags
        res.language = r.Word();
        r.pos = headerEnd;
        if (!r.Has(dataSize)) {
            error = "resource data past the end of the file";
            return false;
        }
        res.data.assign(data + r.pos, data + r.pos + dataSize);
        r.pos += dataSize;
        r.pos = (r.pos + 3) & ~(std::size_t)3;
        // The file starts with an empty entry of type 0 that marks the format.
        if (!(res.typeId == 0 && res.typeName.empty()))
            out.push_back(std::move(res));
    }
    return true;
}

const Resource* FindResourceIn(const std::vector<Resource>& resources, LPCSTR name, LPCSTR type)
{
    if (!name || !type)
        return nullptr;
    for (const auto& res : resources)
        if (Matches(type, res.typeId, res.typeName) && Matches(name, res.nameId, res.nameText))
            return &res;
    return nullptr;
}

bool HasResourceType(const std::vector<Resource>& resources, LPCSTR type)
{
    for (const auto& res : resources)
        if (type && Matches(type, res.typeId, res.typeName))
            return true;
    return false;
}

} // namespace winsim
