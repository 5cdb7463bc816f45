// A stand-in for the Windows format library. FormatEx formats nothing: it
// reports 0, 50 and 100 percent to the caller's callback, then completion
// as FMIFS_FIXTURE_MODE asks ("success", the default, or "failure"; FALSE
// after a FALSE answer), and appends to the file FMIFS_FIXTURE_LOG a line
// "FormatEx(ROOT, MEDIA, FS, LABEL, QUICK, CLUSTER) answers=A,B,... slip=N":
// the callback's answers, completion last, and a stack error it left.
#include <windows.h>

#include <cstdio>
#include <string>

typedef BOOLEAN(WINAPI* FormatCallback)(DWORD command, DWORD subAction, PVOID argument);

// Calls callback(command, subAction, argument) and stores in *slip how many
// bytes the stack pointer ended below where the callee must leave it, then
// puts the stack right either way.
#if defined(__i386__)
// 12 if a __stdcall callee left its arguments there. cdecl itself:
// 8(%ebp) callback, 12 command, 16 subAction, 20 argument, 24 slip. %esi is
// callee-saved, so it survives the call.
extern "C" BOOLEAN CallMeasuringStack(FormatCallback callback, DWORD command, DWORD subAction,
                                      PVOID argument, LONG* slip);
asm(R"(
    .text
    .globl _CallMeasuringStack
    .def _CallMeasuringStack; .scl 2; .type 32; .endef
_CallMeasuringStack:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    movl %esp, %esi
    pushl 20(%ebp)
    pushl 16(%ebp)
    pushl 12(%ebp)
    call *8(%ebp)
    movl %esi, %ecx
    subl %esp, %ecx
    movl 24(%ebp), %edx
    movl %ecx, (%edx)
    movl %esi, %esp
    popl %esi
    popl %ebp
    ret
)");
#else
// x64 has one calling convention, in which the caller owns the stack.
static BOOLEAN CallMeasuringStack(FormatCallback callback, DWORD command, DWORD subAction,
                                  PVOID argument, LONG* slip)
{
    *slip = 0;
    return callback(command, subAction, argument);
}
#endif

namespace {

std::string Environment(const char* name)
{
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : "";
}

std::string Utf8(const WCHAR* text)
{
    char buffer[1024] = "(null)";
    if (text != nullptr)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

} // namespace

extern "C" __declspec(dllexport) void WINAPI FormatEx(WCHAR* driveRoot, DWORD mediaType,
                                                      WCHAR* fileSystem, WCHAR* label, BOOL quick,
                                                      DWORD clusterSize, FormatCallback callback)
{
    std::string answers;
    LONG slip = 0;
    auto call = [&](DWORD command, void* argument) {
        LONG thisSlip = 0;
        BOOLEAN answer = CallMeasuringStack(callback, command, 0, argument, &thisSlip);
        answers += (answers.empty() ? "" : ",") + std::to_string((unsigned)answer);
        slip = thisSlip != 0 ? thisSlip : slip;
        return answer;
    };
    bool proceed = true;
    for (DWORD percent : {0u, 50u, 100u})
        proceed = proceed && call(0, &percent);
    // The flag is the first byte; the ones after it are set, so a reader
    // that takes more than one byte sees success where there is none.
    BYTE done[4] = {(BYTE)(proceed && Environment("FMIFS_FIXTURE_MODE") != "failure"),
                    0xA5, 0xA5, 0xA5};
    call(11, done);
    std::string path = Environment("FMIFS_FIXTURE_LOG");
    FILE* log = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
    if (log == nullptr)
        return;
    std::fprintf(log, "FormatEx(%s, %lu, %s, %s, %d, %lu) answers=%s slip=%ld\n",
                 Utf8(driveRoot).c_str(), (unsigned long)mediaType, Utf8(fileSystem).c_str(),
                 Utf8(label).c_str(), (int)quick, (unsigned long)clusterSize, answers.c_str(),
                 (long)slip);
    std::fclose(log);
}
