; A partition boot sector for the MBR tests. It prints in hex, as bytes in
; memory order, what the MBR handed it: DL, DS, SI and the 16 bytes at DS:SI
; (PROBE 80 0000 BE07 <entry>), then waits with interrupts on.

        bits 16
        org 0x7C00

        xor ax, ax
        mov es, ax
        mov [es:handed], dl
        mov [es:handed + 1], ds
        mov [es:handed + 3], si
        cld
        mov di, handed + 5
        mov cx, 16
        rep movsb                       ; the entry, before DS changes
        mov ds, ax
        mov ss, ax
        mov sp, 0x7C00
        sti
        mov si, txt_probe
        call put_text
        mov si, handed
.byte:
        lodsb
        call put_hex_byte
        cmp si, handed + 5 + 16
        jb .byte
.wait:
        hlt
        jmp .wait

%include "teletype.inc"

txt_probe:      db "PROBE ", 0
handed:         times 5 + 16 db 0

        times 510 - ($ - $$) db 0
        dw 0xAA55
