#include "dialog_template.h"

#include "code_page.h"
#include "machine.h"

namespace winsim {

namespace {

struct Cursor {
    const std::vector<unsigned char>& data;
    std::size_t pos = 0;
    bool ok = true;

    void Align(std::size_t n) { pos = (pos + n - 1) / n * n; }
    unsigned Take(int bytes)
    {
        if (!ok || pos + bytes > data.size()) {
            ok = false;
            return 0;
        }
        unsigned v = 0;
        for (int i = 0; i < bytes; i++)
            v |= (unsigned)data[pos + i] << (8 * i);
        pos += bytes;
        return v;
    }
    WORD Word() { return (WORD)Take(2); }
    DWORD Dword() { return (DWORD)Take(4); }
    short Short() { return (short)Take(2); }
    std::string Text()
    {
        std::u16string wide;
        for (WORD c = Word(); ok && c != 0; c = Word())
            wide.push_back(c);
        return ToAnsi(wide);
    }
    SzOrOrd Ident()
    {
        SzOrOrd v;
        WORD first = Word();
        if (first == 0xFFFF) {
            v.ordinal = Word();
        } else if (first != 0) {
            std::u16string wide(1, first);
            for (WORD c = Word(); ok && c != 0; c = Word())
                wide.push_back(c);
            v.text = ToAnsi(wide);
        }
        return v;
    }
};

std::string CanonicalClass(const SzOrOrd& cls)
{
    static const char* const kPredefined[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar",
                                              "ComboBox"};
    if (cls.ordinal >= 0x80 && cls.ordinal <= 0x85)
        return kPredefined[cls.ordinal - 0x80];
    for (const char* name : kPredefined)
        if (EqualsIgnoreCase(cls.text, name))
            return name;
    return cls.text;
}

} // namespace

bool ParseDialogTemplate(const std::vector<unsigned char>& data, DialogTemplate& out,
                         std::string& error)
{
    Cursor c{data};
    out = DialogTemplate();
    WORD first = c.Word();
    WORD second = c.Word();
    out.extended = first == 1 && second == 0xFFFF;
    if (out.extended) {
        c.Dword(); // help id
        out.exStyle = c.Dword();
        out.style = c.Dword();
    } else {
        c.pos = 0;
        out.style = c.Dword();
        out.exStyle = c.Dword();
    }
    WORD count = c.Word();
    out.x = c.Short();
    out.y = c.Short();
    out.cx = c.Short();
    out.cy = c.Short();
    out.menu = c.Ident();
    out.windowClass = c.Ident();
    out.title = c.Text();
    if (out.style & DS_SETFONT) {
        out.pointSize = c.Word();
        if (out.extended) {
            out.weight = c.Word();
            out.italic = c.Take(1) != 0;
            out.charset = (int)c.Take(1);
        }
        out.face = c.Text();
    }
    for (WORD i = 0; c.ok && i < count; i++) {
        c.Align(4);
        DialogItemTemplate item;
        if (out.extended) {
            item.helpId = c.Dword();
            item.exStyle = c.Dword();
            item.style = c.Dword();
        } else {
            item.style = c.Dword();
            item.exStyle = c.Dword();
        }
        item.x = c.Short();
        item.y = c.Short();
        item.cx = c.Short();
        item.cy = c.Short();
        DWORD id = out.extended ? c.Dword() : c.Word();
        item.id = (id == 0xFFFF || id == 0xFFFFFFFF) ? -1 : (int)id;
        item.className = CanonicalClass(c.Ident());
        item.title = c.Ident();
        WORD extra = c.Word();
        if (c.ok && c.pos + extra <= data.size())
            c.pos += extra;
        else
            c.ok = false;
        out.items.push_back(item);
    }
    if (!c.ok) {
        error = "the dialog template is truncated";
        return false;
    }
    return true;
}

} // namespace winsim
