// Transcript lines: flat JSON objects in printable ASCII, so that both sides
// print the same bytes for the same answers.
#include "conformance.h"

#include <cstdio>
#include <cstring>

namespace conformance {

namespace {

std::FILE* g_out = nullptr;

} // namespace

bool OpenTranscript(const char* path)
{
    g_out = path ? std::fopen(path, "wb") : stdout;
    return g_out != nullptr;
}

void CloseTranscript()
{
    if (g_out && g_out != stdout)
        std::fclose(g_out);
    g_out = nullptr;
}

Line::Line(const char* group, const char* step)
{
    Text("case", group);
    Text("step", step);
}

Line::~Line()
{
    if (!g_out)
        return;
    Append("}\n");
    std::fputs(text_, g_out);
    std::fflush(g_out);
}

// A line longer than the buffer is cut, which the other side's line shows.
void Line::Append(const char* piece, std::size_t length)
{
    std::size_t n = length < sizeof text_ - 1 - length_ ? length : sizeof text_ - 1 - length_;
    std::memcpy(text_ + length_, piece, n);
    length_ += n;
    text_[length_] = 0;
}

void Line::Append(const char* piece)
{
    Append(piece, std::strlen(piece));
}

void Line::Key(const char* name)
{
    Append(length_ ? ",\"" : "{\"");
    Append(name);
    Append("\":");
}

Line& Line::Num(const char* name, long long value)
{
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", value);
    Key(name);
    Append(digits);
    return *this;
}

Line& Line::Flag(const char* name, bool value)
{
    Key(name);
    Append(value ? "true" : "false");
    return *this;
}

Line& Line::Text(const char* name, const char* text)
{
    return Text(name, text, text ? std::strlen(text) : 0);
}

Line& Line::Text(const char* name, const char* text, std::size_t length)
{
    Key(name);
    if (!text) {
        Append("null");
        return *this;
    }
    Append("\"");
    for (std::size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)text[i];
        char piece[8] = {(char)c, 0};
        if (c == '"' || c == '\\')
            std::snprintf(piece, sizeof piece, "\\%c", c);
        else if (c < 0x20 || c >= 0x7F)
            std::snprintf(piece, sizeof piece, "\\u%04x", c);
        Append(piece);
    }
    Append("\"");
    return *this;
}

Line& Line::Hex(const char* name, const void* bytes, std::size_t length)
{
    if (!bytes)
        return Text(name, nullptr);
    Key(name);
    Append("\"");
    for (std::size_t i = 0; i < length; i++) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", ((const unsigned char*)bytes)[i]);
        Append(pair);
    }
    Append("\"");
    return *this;
}

} // namespace conformance
