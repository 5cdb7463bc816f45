; Tarnwick's DOS boot loader: bytes 62..511 of a FAT12/FAT16 volume boot
; sector (FAT_BOOT_CODE). Bytes 0..61, the formatter's jump to offset 62 and
; the BIOS parameter block, stay on the disk as the formatter wrote them and
; are not part of this image; the code reads them relative to BP = 7C00h.
;
; The MBR loads the boot sector at 0000:7C00 and jumps to it. The loader
; finds IO.SYS in the root directory, reads its first four sectors to
; 0000:0700 and jumps to 0070:0200, 512 bytes into the file.
;
; Memory map (segment 0 throughout):
;   0000:0078-007B  INT 1Eh vector; points at our copy while we run
;   0000:0522-052C  copy of the diskette parameter table
;   0000:0700-      sector buffer: the MBR, then root directory sectors, then
;                   IO.SYS's first four sectors (0700-0EFF with 512 bytes)
;   0000:7BF4-7BFB  bottom of the stack at hand-over: 0078h, 0000h, the old
;                   INT 1Eh offset and segment, lowest address first
;   0000:7BFC-7BFF  the first data sector, 32-bit
;   0000:7C00-7DFF  this boot sector; byte 2 (7C02) selects the read mode
;
; Image layout (sector offsets; the image itself starts at 62):
;   62-382   code (every byte used)
;   383-386  message table: four offsets, each counted from the byte after it
;   387-470  the three message texts; 471 is free
;   472-482  "IO      SYS", the name searched for
;   483-493  "MSDOS   SYS" (carried for IO.SYS)
;   494-496  7F 01 00 (carried for IO.SYS)
;   497-509  read_or_fail
;   510-511  55 AA
;
; Needs a 386 (32-bit sector arithmetic).

        bits 16
        cpu 386

%define LOAD_ADDR       0x7C00          ; where the MBR puts this sector
%define CODE_START      62              ; first sector byte of the image
%define SECTOR_END      512

; Fixed sector offsets of the layout above
%define MSG_TABLE_OFS   383
%define IO_NAME_OFS     472
%define MSDOS_NAME_OFS  483
%define CARRIED_OFS     494
%define BOOT_SIG_OFS    510
%define BOOT_SIG        0xAA55

; Boot sector fields, relative to BP = LOAD_ADDR
%define BS_MODE         2               ; in memory: 0Eh = read with INT 13h 42h
%define BPB_SECTOR_SIZE 11              ; 16-bit
%define BPB_CLUSTER     13              ; sectors per cluster, 8-bit
%define BPB_RESERVED    14              ; 16-bit
%define BPB_FATS        16              ; 8-bit
%define BPB_ROOT_COUNT  17              ; root directory entries, 16-bit
%define BPB_FAT_SIZE    22              ; sectors per FAT, 16-bit
%define BPB_SPT         24              ; sectors per track, 16-bit
%define BPB_HEADS       26              ; 16-bit
%define BPB_HIDDEN      28              ; the partition's first sector, 32-bit
%define BPB_DRIVE       36              ; BIOS drive number, 8-bit
%define FIRST_DATA      -4              ; 0000:7BFC, 32-bit

%define MODE_LBA        0x0E
%define LBA_TYPE_BIT    0x02            ; type 0Ch/0Eh OR 2 = 0Eh; 06h stays 06h
%define HARD_DISK       0x80            ; lowest hard disk drive number

; Stack and the diskette parameter table
%define STACK_TOP       0x7BFC
%define HANDOVER_SP     (STACK_TOP - 8)
%define VECTOR_1E       0x0078          ; INT 1Eh * 4
%define DPT_COPY        0x0522
%define DPT_SIZE        11
%define DPT_EOT         4               ; sectors per track
%define DPT_SETTLE      9               ; head settle time
%define HEAD_SETTLE     15

; The MBR as read to the buffer
%define BUFFER          0x0700
%define PART_TABLE      (BUFFER + 446)
%define PART_ENTRY_SIZE 16
%define PART_COUNT      4
%define PE_TYPE         4
%define PE_LBA          8

; Root directory entries
%define DIR_ENTRY_SIZE  32
%define NAME_SIZE       11
%define DIR_CLUSTER     26
%define FIRST_CLUSTER   2               ; the cluster at the first data sector

; IO.SYS
%define LOAD_SECTORS    4
%define IO_SEGMENT      0x0070          ; BUFFER / 16
%define IO_ENTRY        0x0200

; BIOS services
%define CHS_READ_ONE    0x0201          ; INT 13h AH=02h, AL=1 sector
%define EXT_READ        0x42
%define DAP_SIZE        16
%define CYLINDER_LIMIT  0x3FF           ; the highest cylinder CHS can reach
%define TELETYPE        0x0E
%define TELETYPE_PAGE   0x0007          ; BH page 0, BL colour

; Message table entries (byte indexes into the table)
%define MSG_INVALID     0
%define MSG_IO_ERROR    1
%define MSG_HANDOVER    2               ; handed to IO.SYS in SI
%define MSG_CLOSING     3
%define MSG_GO_ON       0xFF            ; ends a text: go on with the closing one

%define SECTOR_OFS(x)   ((x) - $$ + CODE_START)
%define MSG_TABLE       (LOAD_ADDR + MSG_TABLE_OFS)

        org LOAD_ADDR + CODE_START

; entry: reached through the jump at sector offset 0. Sets up the machine
; and copies the diskette parameter table, then falls into detect_lba.
;   in:  this sector at 0000:7C00 (any DL: the drive comes from BPB_DRIVE)
;   out: interrupts off for good; SS = DS = ES = 0, BP = LOAD_ADDR,
;        SP = HANDOVER_SP over the vector's address and old value;
;        direction up; INT 1Eh -> DPT_COPY; AX = 0, CX = 0
;   clobbers: BX, DL, SI, DI
entry:
        cli
        xor ax, ax
        mov ss, ax
        mov sp, STACK_TOP
        mov ds, ax
        mov es, ax
        mov bp, LOAD_ADDR
        cld
        mov bx, VECTOR_1E
        lds si, [bx]                    ; DS:SI = the BIOS's table
        push ds
        push si
        push ss
        push bx
        mov di, DPT_COPY
        push ax
        push di                         ; the new vector, 0000:DPT_COPY
        mov cx, DPT_SIZE
        rep movsb                       ; leaves CX = 0
        mov ds, ax
        pop dword [bx]
        mov byte [di - DPT_SIZE + DPT_SETTLE], HEAD_SETTLE
        mov dl, [bp + BPB_SPT]
        mov [di - DPT_SIZE + DPT_EOT], dl

; detect_lba: on a hard disk, takes the read mode from the MBR entry that
; starts where this volume does (type OR 2; the last such entry wins). A
; failed read leaves the mode as it is on the disk.
;   in:  the boot sector at BP; AX = 0, CX = 0
;   out: [bp + BS_MODE] possibly changed; BX = BUFFER, CX = 0
;   clobbers: EAX, SI, the buffer
detect_lba:
        mov bx, BUFFER
        cmp byte [bp + BPB_DRIVE], HARD_DISK
        jb geometry
        cwde                            ; EAX = 0: the MBR
        call read_sector
        jc geometry
        mov si, PART_TABLE + PE_LBA
        mov cl, PART_COUNT
.entry:
        lodsd
        cmp eax, [bp + BPB_HIDDEN]
        jne .next
        mov al, [si - 4 - PE_LBA + PE_TYPE]
        or al, LBA_TYPE_BIT
        mov [bp + BS_MODE], al
.next:
        add si, PART_ENTRY_SIZE - 4
        loop .entry

; geometry: the first root directory sector and the first data sector.
;   in:  the parameter block at BP, CX = 0
;   out: EAX = first root directory sector; [bp + FIRST_DATA] set
;   clobbers: EDX, EDI
geometry:
        mov al, [bp + BPB_FATS]
        cbw
        mul word [bp + BPB_FAT_SIZE]
        add ax, [bp + BPB_RESERVED]
        adc dx, cx
        push dx
        push ax
        pop edi
        add edi, [bp + BPB_HIDDEN]      ; first root directory sector
        mov ax, DIR_ENTRY_SIZE
        mul word [bp + BPB_ROOT_COUNT]
        div word [bp + BPB_SECTOR_SIZE]
        neg dx                          ; CF = a part sector is left
        adc ax, cx                      ; AX = root directory sectors
        cwde
        add eax, edi
        mov [bp + FIRST_DATA], eax
        xchg eax, edi

; search: reads the root directory a sector at a time and looks for the
; name, up to an entry that begins with 0 or the end of the entry count.
;   in:  EAX = first root directory sector, BX = BUFFER
;   out: DI = the matching entry in the buffer, CX = 0; or "Invalid system
;        disk"
;   clobbers: EAX, DX, SI
search:
        mov dx, [bp + BPB_ROOT_COUNT]   ; entries left
.sector:
        call read_or_fail
        mov di, bx
.entry:
        mov si, MSG_TABLE + MSG_INVALID
        test dx, dx
        jz show
        mov cx, NAME_SIZE
        cmp [di], ch                    ; 0: the end of the directory
        je show
        mov si, io_name
        push di
        repe cmpsb
        pop di
        je load
        dec dx
        add di, DIR_ENTRY_SIZE
        lea cx, [di - BUFFER]
        cmp cx, [bp + BPB_SECTOR_SIZE]
        jb .entry
        jmp .sector

; load: reads IO.SYS's first sectors, one after the other from its first
; cluster, and hands over.
;   in:  DI = IO.SYS's directory entry, BX = BUFFER, CX = 0
;   out: jumps to IO_SEGMENT:IO_ENTRY with DI = first cluster,
;        SI = the hand-over message entry, BP, segments and stack as set up
load:
        mov di, [di + DIR_CLUSTER]
        lea ax, [di - FIRST_CLUSTER]
        mov cl, [bp + BPB_CLUSTER]
        mul cx
        push dx
        push ax
        pop eax
        add eax, [bp + FIRST_DATA]
        mov cl, LOAD_SECTORS
.next:
        call read_or_fail
        add bx, [bp + BPB_SECTOR_SIZE]
        loop .next
        inc si                          ; read_or_fail left MSG_IO_ERROR
%if MSG_HANDOVER != MSG_IO_ERROR + 1
%error "SI is handed over as the entry after MSG_IO_ERROR"
%endif
        jmp IO_SEGMENT:IO_ENTRY

; show: prints a message and the closing one, waits for a key, puts the old
; INT 1Eh vector back and restarts the boot. The texts are 7-bit, so the
; one byte with the top bit set is MSG_GO_ON.
;   in:  SI = a message table entry (any stack depth)
;   out: does not return
closing:
        mov si, MSG_TABLE + MSG_CLOSING
show:
        lodsb
        cbw
        add si, ax
.char:
        lodsb
        test al, al
        jz .key
        js closing                      ; MSG_GO_ON
        mov ah, TELETYPE
        mov bx, TELETYPE_PAGE
        int 0x10
        jmp .char
.key:
        cbw                             ; AH = 0: wait for a key
        int 0x16
        mov si, HANDOVER_SP + 4         ; the old vector
        mov di, VECTOR_1E
        movsw
        movsw
        int 0x19

; read_sector: reads one absolute sector, once, from the drive in
; BPB_DRIVE: with INT 13h 42h when the mode byte is MODE_LBA, else with
; INT 13h 02h at the CHS address the parameter block's geometry gives.
;   in:  EAX = sector, ES:BX = buffer
;   out: CF set on failure
;   clobbers: nothing (flags aside)
read_sector:
        pushad
        push dword 0                    ; packet: sector number, upper half
        push eax                        ; sector number, lower half
        push es                         ; buffer segment
        push bx                         ; buffer offset
        push byte 1                     ; sectors
        push byte DAP_SIZE              ; packet size, reserved byte 0
        mov si, sp
        cmp byte [bp + BS_MODE], MODE_LBA
        je .packet
        cdq
        movzx edi, word [bp + BPB_SPT]
        div edi                         ; EAX = track, DX = sector - 1
        inc dx
        mov cx, dx                      ; CL = sector
        cdq
        mov di, [bp + BPB_HEADS]
        div edi                         ; EAX = cylinder, DL = head
        mov dh, dl
        mov ch, al
        shl ah, 6                       ; cylinder bits 8-9 to CL bits 6-7
        or cl, ah
        mov ax, CHS_READ_ONE
        db 0x3D                         ; cmp ax, imm16: skips .packet
.packet:
        mov ah, EXT_READ
        mov dl, [bp + BPB_DRIVE]
        int 0x13
        lea sp, [si + DAP_SIZE]         ; drop the packet, keep CF
        popad
        ret

code_end:
%if SECTOR_OFS(code_end) > MSG_TABLE_OFS
%error "the code overflows into the message table"
%endif
        times MSG_TABLE_OFS - SECTOR_OFS($) db 0

msg_table:
%if SECTOR_OFS(msg_table) != MSG_TABLE_OFS
%error "the message table must start at sector offset 383"
%endif
        db msg_invalid - ($ + 1)
        db msg_io_error - ($ + 1)
        db msg_invalid - ($ + 1)
        db msg_closing - ($ + 1)
msg_invalid:    db 13, 10, "Invalid system disk", MSG_GO_ON
msg_io_error:   db 13, 10, "Disk I/O error", MSG_GO_ON
msg_closing:    db 13, 10, "Replace the disk, and then press any key", 13, 10, 0
msg_end:
%if SECTOR_OFS(msg_end) > IO_NAME_OFS
%error "the messages overflow into the file names"
%endif
        times IO_NAME_OFS - SECTOR_OFS($) db 0

io_name:
%if SECTOR_OFS(io_name) != IO_NAME_OFS
%error "the IO.SYS name must be at sector offset 472"
%endif
        db "IO      SYS"
msdos_name:
%if SECTOR_OFS(msdos_name) != MSDOS_NAME_OFS
%error "the MSDOS.SYS name must be at sector offset 483"
%endif
        db "MSDOS   SYS"
carried:
%if SECTOR_OFS(carried) != CARRIED_OFS
%error "the carried bytes must be at sector offset 494"
%endif
        db 0x7F, 0x01, 0x00

; read_or_fail: read_sector, and "Disk I/O error" when it fails; steps to
; the next sector.
;   in:  as read_sector
;   out: EAX + 1; returns only on success
;   clobbers: SI = MSG_TABLE + MSG_IO_ERROR
read_or_fail:
        call read_sector
        mov si, MSG_TABLE + MSG_IO_ERROR
        jc show
        inc eax
        ret

%if SECTOR_OFS($) > BOOT_SIG_OFS
%error "read_or_fail overflows into the boot signature"
%endif
        times BOOT_SIG_OFS - SECTOR_OFS($) db 0
        dw BOOT_SIG

%if SECTOR_OFS($) != SECTOR_END
%error "the image must end with the sector"
%endif
