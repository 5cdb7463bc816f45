; A partition boot sector for the MBR tests: it prints what the MBR handed
; it, then waits with interrupts on, so that the BIOS flushes its output:
;   PROBE DL=80 DSSI=0000:07BE ENTRY=<the 16 bytes at DS:SI in hex>

        bits 16
        org 0x7C00

start:
        xor ax, ax
        mov es, ax
        mov [es:handed_dl], dl
        mov [es:handed_ds], ds
        mov [es:handed_si], si
        cld
        mov di, entry
        mov cx, 16
        rep movsb                       ; the entry, before DS changes
        mov ds, ax
        mov ss, ax
        mov sp, 0x7C00
        sti
        mov si, txt_dl
        call put_text
        mov al, [handed_dl]
        call put_hex_byte
        mov si, txt_dssi
        call put_text
        mov ax, [handed_ds]
        call put_hex_word
        mov al, ':'
        call put_char
        mov ax, [handed_si]
        call put_hex_word
        mov si, txt_entry
        call put_text
        mov si, entry
        mov cx, 16
.entry:
        lodsb
        call put_hex_byte
        loop .entry
        mov si, txt_eol
        call put_text
.wait:
        hlt
        jmp .wait

%include "teletype.inc"

txt_dl:         db "PROBE DL=", 0
txt_dssi:       db " DSSI=", 0
txt_entry:      db " ENTRY=", 0
txt_eol:        db 13, 10, 0
handed_dl:      db 0
handed_ds:      dw 0
handed_si:      dw 0
entry:          times 16 db 0

        times 510 - ($ - $$) db 0
        dw 0xAA55
