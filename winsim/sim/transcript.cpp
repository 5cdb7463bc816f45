#include "transcript.h"

#include "res/resource.h"

#include <nlohmann/json.hpp>

namespace sim {

namespace {

using Json = nlohmann::ordered_json;

// Texts are ANSI (Windows-1252 on a Western machine); JSON wants UTF-8. The
// Latin-1 reading keeps every byte distinct and ASCII unchanged.
std::string Utf8(const std::string& ansi)
{
    std::string out;
    for (unsigned char c : ansi) {
        if (c < 0x80) {
            out.push_back((char)c);
        } else {
            out.push_back((char)(0xC0 | (c >> 6)));
            out.push_back((char)(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

Json Event(const char* name)
{
    Json j;
    j["event"] = name;
    return j;
}

} // namespace

void Transcript::Print(const std::string& line)
{
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void Transcript::DialogOpened(HWND dialog, int id, const std::string& title)
{
    Json j = Event("dialog");
    j["id"] = id;
    j["title"] = Utf8(title);
    Print(j.dump());
    if (id == IDD_MAIN)
        List(dialog);
}

void Transcript::DialogEnded(HWND, int id, INT_PTR result)
{
    Json j = Event("dialog-end");
    j["id"] = id;
    j["result"] = (long long)result;
    Print(j.dump());
}

static bool IsStatusLine(HWND window)
{
    HWND dialog = winsim::Parent(window);
    return dialog && winsim::DialogTemplateId(dialog) == IDD_MAIN &&
           winsim::DialogItem(dialog, IDC_STATUS) == window;
}

void Transcript::TextSet(HWND window, const std::string& text)
{
    if (!IsStatusLine(window))
        return;
    Json j = Event("status");
    j["text"] = Utf8(text);
    Print(j.dump());
}

void Transcript::Painted(HWND window, const std::string& text)
{
    if (IsStatusLine(window))
        statusPainted_.push_back(Utf8(text));
}

void Transcript::ShellExecuted(const winsim::ShellCall& call)
{
    Json j = Event("shell");
    j["verb"] = Utf8(call.verb);
    j["file"] = Utf8(call.file);
    Print(j.dump());
}

void Transcript::Slept(DWORD milliseconds)
{
    Json j = Event("sleep");
    j["ms"] = milliseconds;
    Print(j.dump());
}

void Transcript::ProtectedWriteAttempted(const winsim::ProtectedWrite& write)
{
    Json j = Event("protected-write");
    j["disk"] = write.disk;
    j["offset"] = write.offset;
    j["length"] = write.length;
    Print(j.dump());
}

void Transcript::PlantedLibraryLoaded(const std::string& name)
{
    Json j = Event("planted-load");
    j["name"] = Utf8(name);
    Print(j.dump());
}

void Transcript::Planted(const std::vector<std::string>& names)
{
    Json j = Event("planted");
    j["names"] = Json::array();
    for (const auto& name : names)
        j["names"].push_back(Utf8(name));
    Print(j.dump());
}

void Transcript::List(HWND mainDialog)
{
    HWND list = winsim::DialogItem(mainDialog, IDC_DISK_LIST);
    Json items = Json::array();
    for (const auto& text : winsim::ComboItems(list))
        items.push_back(Utf8(text));
    Json data = Json::array();
    for (LPARAM value : winsim::ComboItemData(list))
        data.push_back((long long)value);
    Json j = Event("list");
    j["items"] = items;
    j["data"] = data;
    j["selected"] = winsim::ComboSelection(list);
    j["start"] = winsim::Enabled(winsim::DialogItem(mainDialog, IDOK));
    j["label"] = Utf8(winsim::Text(winsim::DialogItem(mainDialog, IDC_LABEL)));
    Print(j.dump());
}

void Transcript::Box(const winsim::MessageBoxCall& call, const std::string& answer)
{
    Json j = Event("box");
    j["title"] = Utf8(call.caption);
    j["text"] = Utf8(call.text);
    j["type"] = call.type;
    j["answer"] = answer;
    Print(j.dump());
}

void Transcript::Exit(int code)
{
    Json j = Event("exit");
    j["code"] = code;
    j["openHandles"] = winsim::OpenHandleCount();
    j["memoryBlocks"] = winsim::MemoryBlockCount();
    Print(j.dump());
}

} // namespace sim
