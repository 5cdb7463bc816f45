#include "stdcall_probe.h"

// i686, cdecl itself: 8(%ebp) callback, 12 command, 16 subAction,
// 20 argument, 24 slip. %esi is callee-saved, so it survives the call.
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
