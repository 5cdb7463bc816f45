; A partition boot sector for the boot tests: it stands where an operating
; system's boot sector would and prints what the MBR handed it, on one line:
;   PROBE DL=80 DSSI=0000:07BE ENTRY=<the 16 bytes at DS:SI in hex>
; then waits for good with interrupts on, so the BIOS flushes its output.
;
; Memory map (segment 0):
;   0000:7C00-7DFF  this sector, as loaded; also holds the saved registers
;   below 7C00      the stack

        bits 16
        org 0x7C00

%define LOAD_ADDR       0x7C00
%define ENTRY_SIZE      16
%define SIGNATURE_OFS   510
%define BOOT_SIG        0xAA55

; start: saves DL, DS, SI and the entry before touching anything else, then
; prints them.
;   in:  DL, DS:SI as the MBR left them
;   out: does not return
;   clobbers: everything
start:
        xor ax, ax
        mov es, ax
        mov [es:handed_dl], dl
        mov [es:handed_ds], ds
        mov [es:handed_si], si
        cld
        mov di, entry_copy
        mov cx, ENTRY_SIZE
        rep movsb
        mov ds, ax
        mov ss, ax
        mov sp, LOAD_ADDR
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
        mov si, entry_copy
        mov cx, ENTRY_SIZE
.entry:
        lodsb
        call put_hex_byte
        loop .entry
        mov si, txt_eol
        call put_text
.wait:
        sti
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
entry_copy:     times ENTRY_SIZE db 0

%if $ - $$ > SIGNATURE_OFS
%error "the probe overflows its sector"
%endif
        times SIGNATURE_OFS - ($ - $$) db 0
        dw BOOT_SIG
