; Tarnwick's master boot record code: the first 446 bytes of sector 0.
;
; The BIOS loads sector 0 at 0000:7C00 and jumps to it. The code moves the
; rest of itself, the partition table included, down to 0000:0600, finds the
; active partition and loads that partition's first sector at 0000:7C00.
;
; Memory map (segment 0 throughout):
;   0000:0600-07FF  this sector, relocated; it runs here from offset 27 on
;     0600-061A       the first 27 bytes are not copied (they run at 7C00)
;     07BE-07FD       the partition table, four 16-byte entries
;     07FE-07FF       the boot signature 55 AA
;   0000:7C00-7DFF  where the BIOS loads us, then the partition's boot sector
;   below 7C00      the stack; a read's 16-byte disk address packet lives here
;
; Image layout (446 bytes; the table and 55 AA follow on the disk):
;   0-439    code and texts
;   440-443  disk signature 0x0217934C
;   444-445  zero
;
; Needs the INT 13h extensions: there is no CHS read.

        bits 16
        cpu 386

%define LOAD_ADDR       0x7C00          ; where the BIOS puts a boot sector
%define RELOC_ADDR      0x0600          ; where this sector runs from
%define SECTOR_SIZE     512
%define COPY_START      27              ; first byte copied down; see below
%define CODE_LIMIT      440             ; code and texts end before this
%define DISK_SIG        0x0217934C
%define PART_TABLE_OFS  446
%define PART_ENTRY_SIZE 16
%define PART_COUNT      4
%define BOOT_SIG_OFS    510
%define BOOT_SIG        0xAA55

; Partition entry fields
%define PE_BOOT         0               ; boot indicator, used as the drive
%define PE_TYPE         4
%define PE_LBA          8               ; starting sector, 32-bit

%define ACTIVE_BIT      0x80            ; of the boot indicator
%define TYPE_FAT32_CHS  0x0B
%define TYPE_FAT32_LBA  0x0C
%define BACKUP_BOOT     6               ; FAT32 keeps a copy of its boot sector here

; INT 13h
%define EXT_CHECK       0x41
%define EXT_READ        0x42
%define DISK_RESET      0x00
%define EXT_ASK         0x55AA          ; BX in for the extensions check
%define EXT_ANSWER      0xAA55          ; BX out when they are there
%define EXT_PACKET_API  0x0001          ; CX bit: packet calls 42h-44h, 47h, 48h
%define READ_TRIES      5
%define DAP_SIZE        16

; INT 10h teletype
%define TELETYPE        0x0E
%define TELETYPE_PAGE   0x0007          ; BH page 0, BL colour

%define PART_TABLE      (RELOC_ADDR + PART_TABLE_OFS)
%define PART_TABLE_END  (PART_TABLE + PART_COUNT * PART_ENTRY_SIZE)
%define LOADED_SIG      (LOAD_ADDR + BOOT_SIG_OFS)

        org RELOC_ADDR

; start: runs at 0000:7C00 (labels here are not valid addresses). Sets up
; the segments and the stack, copies bytes COPY_START..511 down to the same
; offsets at RELOC_ADDR and goes on there with a far return. Moving SS
; holds off interrupts for the next instruction, so SS:SP changes as a pair.
;   in:  the sector at 0000:7C00, as the BIOS loaded it
;   out: relocated runs at RELOC_ADDR + COPY_START; SS = DS = ES = 0,
;        SP = LOAD_ADDR, interrupts on, direction up
;   clobbers: AX, CX, SI, DI
start:
        xor ax, ax
        mov ss, ax
        mov sp, LOAD_ADDR
        mov ds, ax
        mov es, ax
        sti
        cld
        mov si, LOAD_ADDR + COPY_START
        mov di, RELOC_ADDR + COPY_START
        mov cx, SECTOR_SIZE - COPY_START
        push ax                         ; CS for the far return
        push di                         ; IP: relocated
        rep movsb
        retf

; relocated: from here on the code runs at its assembled address. Finds the
; active entry, checks the rest of the table and loads the partition's boot
; sector, from its FAT32 backup copy when that is where it is.
;   in:  the partition table at PART_TABLE
;   out: jumps to 0000:LOAD_ADDR with DL = the drive and DS:SI = the active
;        entry; or INT 18h when nothing is active; or a message and a halt
relocated:
%if relocated - start != COPY_START
%error "the start-up code must be exactly COPY_START bytes"
%endif
        mov si, PART_TABLE
        mov cx, PART_COUNT
.scan:
        mov al, [si + PE_BOOT]
        test al, ACTIVE_BIT
        jnz .found
        test al, al
        jnz invalid_table
        add si, PART_ENTRY_SIZE
        loop .scan
        int 0x18                        ; nothing to boot: the BIOS goes on
        jmp halt

.found:
        mov bp, si                      ; BP = the active entry from now on
.rest:
        add si, PART_ENTRY_SIZE
        cmp si, PART_TABLE_END
        jae .load
        cmp byte [si + PE_BOOT], 0
        jne invalid_table
        jmp .rest

.load:
        call read_boot_sector
        jc .backup
        cmp word [LOADED_SIG], BOOT_SIG
        je .boot
.backup:
        mov al, [bp + PE_TYPE]
        cmp al, TYPE_FAT32_CHS
        je .try_backup
        cmp al, TYPE_FAT32_LBA
        jne error_loading
.try_backup:
        add dword [bp + PE_LBA], BACKUP_BOOT
        call read_boot_sector
        jc error_loading
        cmp word [LOADED_SIG], BOOT_SIG
        jne missing_os
.boot:
        mov si, bp
        mov dl, [si + PE_BOOT]
        jmp 0:LOAD_ADDR

; read_boot_sector: reads the entry's starting sector to 0000:LOAD_ADDR with
; the INT 13h extensions, READ_TRIES times at most, resetting in between.
;   in:  BP = partition entry (drive = its boot indicator, sector = PE_LBA);
;        BP addresses through SS, which is 0 like DS
;   out: CF clear when read, set when the extensions are missing or every
;        try failed
;   clobbers: AX, BX, CX, DX, SI, DI
read_boot_sector:
        mov dl, [bp + PE_BOOT]
        mov ah, EXT_CHECK
        mov bx, EXT_ASK
        int 0x13
        jc .fail
        cmp bx, EXT_ANSWER
        jne .fail
        test cl, EXT_PACKET_API
        jz .fail
        mov di, READ_TRIES
.try:
        push dword 0                    ; sector number, upper half
        push dword [bp + PE_LBA]        ; sector number, lower half
        push ds                         ; buffer segment (0)
        push word LOAD_ADDR             ; buffer offset
        push word 1                     ; sectors
        push word DAP_SIZE              ; packet size, reserved byte 0
        mov si, sp
        mov dl, [bp + PE_BOOT]
        mov ah, EXT_READ
        int 0x13
        lea sp, [si + DAP_SIZE]         ; drop the packet, keep CF
        jnc .done
        dec di
        jz .fail
        mov dl, [bp + PE_BOOT]
        mov ah, DISK_RESET
        int 0x13
        jmp .try
.fail:
        stc
.done:
        ret

invalid_table:
        mov si, msg_invalid
        jmp print_and_halt
error_loading:
        mov si, msg_error
        jmp print_and_halt
missing_os:
        mov si, msg_missing
        ; fall through

; print_and_halt: writes a zero-terminated text with the BIOS teletype, then
; halts for good with interrupts on (so the BIOS can still flush output).
;   in:  SI = text
;   out: does not return
;   clobbers: everything
print_and_halt:
        lodsb
        test al, al
        jz halt
        mov ah, TELETYPE
        mov bx, TELETYPE_PAGE
        int 0x10
        jmp print_and_halt
halt:
        hlt
        jmp halt

msg_invalid:    db "Invalid partition table", 0
msg_error:      db "Error loading operating system", 0
msg_missing:    db "Missing operating system", 0

code_end:
%if code_end - start > CODE_LIMIT
%error "code and texts overflow the 440 bytes before the disk signature"
%endif
        times CODE_LIMIT - (code_end - start) db 0

        dd DISK_SIG
        dw 0

%if $ - start != PART_TABLE_OFS
%error "the image must be exactly the 446-byte boot code area"
%endif
