; The boot program: loads, shows, decrunches and starts every part in its
; part table, through the KERNAL only, from the device it was loaded from,
; while the interrupts the parts install keep running.
;
; partdisk fills the part table at file offset 616 (load address counted)
; with the first letter of each part's name, ended by $80. It holds 26
; letters and the end mark.
;
; Memory map
;   $0100-$01BF  resident: the interrupt routing, the entry point's
;                work, decrunching, the failure path and the clean end (the
;                stack keeps $01C0-$01FF, more than the KERNAL and an
;                interrupt on top ever take)
;   $0200-$0258  resident: the loader's second half and the exchange of
;                the RAM vectors (BASIC's input buffer, which nothing uses
;                while parts run)
;   $02A7-$02FF  resident: variables and the copy of the part table (RAM
;                that neither BASIC nor the KERNAL uses)
;   $0334-$03FF  resident: the entry point for running parts and the
;                loader's first half (the tape buffer, unused with disks)
;   $D000-$D0FF  resident: the decruncher, in the RAM beneath the I/O area
;   $0400-$FFFF  everything else belongs to the parts; the screen's top
;                three rows ($0400-$0477) show each header while it loads
;   $0801-$0DB1  this program, needed only until the loader runs
;   $FB-$FE, $57-$5C  zero page the loader and the decruncher use
;
; Calling convention for parts
;   A code part is called with JSR at its start address, with BASIC, the
;   KERNAL and I/O banked in ($01 = $37), interrupts on and the KERNAL's
;   variables as the KERNAL left them; it returns with RTS in that same
;   state. It may use all memory from $0400 to $FFFF but $D000-$D0FF, the
;   zero page but the KERNAL's $90-$FA, and the stack below what it was
;   given; it leaves $0100-$03FF alone (so it reads no lines through CHRIN
;   and calls no BASIC number output). An interrupt it installs through
;   $0314 (or $0318) keeps running while the parts after it load and
;   decrunch: while the KERNAL is banked out the routing below takes the
;   hardware vectors to the same handler. An NMI in the moment the loader
;   exchanges the RAM vectors finds the RAM's own: a part that plays on
;   NMIs keeps a vector of its own at $FFFA-$FFFB too.
;   A data part, built without an address, is loaded and decrunched but
;   not called: it stays in memory for the parts after it.
;
; Entry point for running parts
;   $0334  loadnext: loads and decrunches the next part of the table while
;          the caller's interrupts go on; call it with JSR, $01 = $37. The
;          header is not shown: the caller owns the screen. Carry clear:
;          the part is in memory, and when the caller returns it is started
;          (or, being data, passed) without being loaded again. Carry set,
;          with A:
;            1  nothing to load: no part is left, or one is loaded already
;            2  the part would load over the page the call came from;
;               nothing was written
;            3  the part could not be read; once the caller returns, it is
;               loaded again and, failing again, reported as LOAD ERROR
;          Changes A, X, Y, $FB-$FE and $57-$5C.
;
; The end
;   After the last part, or after LOAD ERROR, the KERNAL's vectors and I/O
;   are set up as at power-on (RESTOR, IOINIT), the VIC-II's interrupts
;   turned off and its text screen at $0400 shown as it stands, the BASIC
;   program emptied (NEW) with BASIC's pointers set for it, and BASIC's warm
;   start prints READY.

CHROUT  = $ffd2
CHRIN   = $ffcf
SETLFS  = $ffba
SETNAM  = $ffbd
OPEN    = $ffc0
CLOSE   = $ffc3
CHKIN   = $ffc6
CLRCHN  = $ffcc
RESTOR  = $ff8a
IOINIT  = $ff84
romirq  = $ff48         ; the ROM's IRQ entry: saves A, X, Y, then ($0314)
romnmi  = $fe43         ; the ROM's NMI entry: SEI, then ($0318)
warmstart = $a002       ; BASIC's warm start vector: READY.

status  = $90           ; the KERNAL's I/O status
device  = $ba           ; the device the boot program came from
port    = $01           ; the processor port: what is banked in
allram  = $34
kernalio = $37
textcolour = $0286
screen  = $0400
colours = $d800
basicstart = $0801
basictop = $a000        ; BASIC's memory ends below its ROM
txttab  = $2b           ; BASIC's memory pointers, from its program's start
vicirqon = $d01a
vicirqs = $d019

ptr     = $fb           ; where the next part byte goes; the decruncher's src
                        ; (its dst, $FD/$FE, gets the program's last address)
file    = 2             ; logical file and secondary address of a part
tablesize = 26 + 1
tableoffset = 616
headersize = 120

        * = $0801
        .word basicend, 2026
        .null $9e, format("%d", install)
basicend .word 0

; Clears the screen, leaving the cursor below the header rows, moves the
; resident code into place and runs the loader.
install ldx #$ff        ; BASIC's stack is not needed: the end is a warm start
        txs
        inx
-       lda clearscreen,x
        jsr CHROUT
        inx
        cpx #size(clearscreen)
        bne -
        sei             ; the decruncher goes beneath the I/O area
        lda #allram
        sta port
        ldx #decruncherend - decruncherimage
-       lda decruncherimage - 1,x
        sta decrunch - 1,x
        dex
        bne -
        lda #kernalio
        sta port
        cli
        ldx #lowend - lowimage
-       lda lowimage - 1,x
        sta routing - 1,x
        dex
        bne -
        ldx #secondend - secondimage
-       lda secondimage - 1,x
        sta second - 1,x
        dex
        bne -
        ldx #residentend - residentimage
-       lda residentimage - 1,x
        sta resident - 1,x
        dex
        bne -
        ldx #loaderend - loaderimage
-       lda loaderimage - 1,x
        sta loadnext - 1,x
        dex
        bne -
        ldx #tablesize
-       lda table - 1,x
        sta parts - 1,x
        dex
        bne -
        lda device
        sta bootdevice
        jmp loader

clearscreen .byte $93, $11, $11, $11

; The images of the resident code follow the part table, which partdisk
; fills at its fixed place.
        .cerror * > $0801 + tableoffset - 2, "the installer runs into the part table"
        .fill $0801 + tableoffset - 2 - *, 0
table   .fill tablesize, $80

lowimage
        .logical $0100
routing

; An interrupt while the decruncher has the KERNAL banked out comes here
; through the RAM vectors. It banks the KERNAL and I/O in and goes on as the
; ROM would, through $0314 or $0318, to the handler the parts installed;
; the handler's RTI comes back to banked, which banks the RAM back in.
irq     pha
        lda port
        pha
        lda #>banked
        pha
        lda #<banked
        pha
        lda #$24        ; a status with I set and B clear: the ROM takes it
        pha             ; for an IRQ, not a BRK
        lda #kernalio
        sta port
        jmp romirq

nmi     pha
        lda port
        pha
        lda #>banked
        pha
        lda #<banked
        pha
        php
        lda #kernalio
        sta port
        jmp romnmi

; The entry point for running parts, behind loadnext.
preload lda #1
        ldx ahead
        bne refuse      ; one part ahead at most
        ldx nextpart
        ldy parts,x
        bmi refuse      ; none left
        tsx
        lda $0102,x     ; the high byte of loadnext's return address
        sta caller
        jsr loadpart
        ldx #0          ; LDX and STX keep the carry
        stx caller
        bcs +
        inc ahead
        rts
refuse  sec
+       rts

; Decrunches with all RAM banked in. The RAM vectors at $FFFA-$FFFF take
; interrupts to the routing meanwhile (from before the data loads), and get
; their bytes back after; a part that reaches the last page brings its own,
; so it decrunches with interrupts held off.
decrunchpart
        php
        sei
        lda #allram
        sta port
        ldx endpage
        inx
        beq +
        plp             ; the caller's interrupt flag while decrunching:
        php             ; the routing's vectors are in place
+       jsr decrunch
        lda #kernalio
        sta port
        jsr exchange    ; the part's bytes back at $FFFA-$FFFF
        plp
        clc
        rts

; Where the routing's interrupts return, to bank the RAM back in.
banked  pla
        sta port
        pla
        rti

; Prints "LOAD ERROR AA" and ends.
failed  ldx #0
-       lda errortext,x
        jsr CHROUT
        inx
        cpx #size(errortext) + size(name)
        bne -
        lda #13
        jsr CHROUT

; The clean end: the KERNAL's vectors and its I/O as power-on sets them
; (its timer interrupt, CIA 2's VIC bank, the SID silent), no raster
; interrupt, the text screen at $0400 shown, BASIC's pointers for an empty
; program (parts may have used its zero page), and BASIC's warm start.
finish  sei
        jsr RESTOR
        jsr IOINIT
        lda #0
        sta vicirqon
        sta basicstart
        sta basicstart + 1
        lda #$1b
        sta $d011
        lda #$c8
        sta $d016
        lda #$15
        sta $d018
        ldx #size(basicpointers) - 1
-       lda basicpointers,x
        sta txttab,x
        dex
        bpl -
        jmp (warmstart)

; TXTTAB, VARTAB, ARYTAB, STREND, FRETOP, FRESPC, MEMSIZ
basicpointers .word basicstart, basicstart + 2, basicstart + 2, basicstart + 2, basictop, basictop, basictop
        .here
lowend
        .cerror routing + lowend - lowimage > $01c0, format("the routing takes %d bytes, into the stack", lowend - lowimage)

residentimage
        .logical $02a7
resident
bootdevice .byte 8
nextpart .byte 0        ; the part to start next
ahead   .byte 0         ; 1 while that part is in memory already
caller  .byte 0         ; the page a running part called loadnext from, or
                        ; 0 when the boot program loads
endpage .byte 0         ; the last page of the part being decrunched
crunchedat .word 0      ; where the part's crunched data loads
start   .word 0         ; the part's start address
errortext .text "LOAD ERROR "
name    .text "?A"      ; the part's file name, printed after the error text

; Reads a byte of the part's head; anything but a clean read fails the
; part.
byte    jsr CHRIN
        ldx status
        bne +
        rts
+       pla             ; leave byte's caller for the failure
        pla
unreadable
        lda #3
        .byte $2c       ; BIT abs: passes over the LDA #2
overlapping
        lda #2
        pha
        jsr closefile
        pla
        sec
        rts

closefile
        jsr CLRCHN
        lda #file
        jmp CLOSE

call    jmp (start)

vectors .word nmi, 0, irq ; exchanged with $FFFA-$FFFF while decrunching
parts   .fill tablesize, $80
        .here
residentend
        .cerror residentend - residentimage > $59, "the loader's variables run into the KERNAL's vectors"

loaderimage
        .logical $0334
loadnext jmp preload

; Starts the parts in turn, each loaded now or by the part before it.
loader  ldx nextpart
        lda parts,x
        bpl +
        jmp finish      ; the end mark
+       lsr ahead
        bcs +
        jsr loadpart
        bcc +
        jmp failed
+       inc nextpart
        lda start       ; a part whose start address is its crunched load
        cmp crunchedat  ; address is data
        bne code
        lda start + 1
        cmp crunchedat + 1
        beq loader
code    jsr call
        jmp loader

; Loads the part nextpart names and decrunches it. Carry set on failure,
; with A as loadnext returns it.
loadpart
        ldx nextpart
        lda parts,x
        sta name
        lda #2
        ldx #<name
        ldy #>name
        jsr SETNAM
        lda #file
        ldx bootdevice
        tay
        jsr SETLFS
        jsr OPEN
        bcs failedopen
        ldx #file
        jsr CHKIN
        bcs failedopen

; The part file: the crunched data's load address, the header text, the
; start address, then the crunched data, which starts with the program's
; last address.
        jsr byte
        sta crunchedat
        jsr byte
        sta crunchedat + 1
        cmp #>screen    ; data below the screen would load over the loader
        bcc failedopen
        ldy #0
header  jsr byte        ; ASCII as screen codes: letters of either case,
        ldx caller      ; digits, blank and punctuation; the rest blank.
        bne shown       ; A running part owns the screen.
        cmp #$20
        bcc blank
        cmp #$40
        bcc show
        and #$df        ; lower case as upper case
        cmp #$5b
        bcs blank
        sbc #$3f        ; the carry is clear: less $40
        bcs show
blank   lda #$20
show    sta screen,y
        lda textcolour
        sta colours,y
shown   iny
        cpy #headersize
        bne header
        jsr byte
        sta start
        jsr byte
        sta start + 1
        jsr byte
        sta dst
        jsr byte
        sta dst + 1
        sta endpage
        cmp caller      ; the part covers the caller's page when
        bcc fits        ; crunchedat <= caller <= its last page
        lda caller
        cmp crunchedat + 1
        bcc fits
        jmp overlapping
failedopen
        jmp unreadable
fits    jsr exchange    ; from here on all RAM may be banked in
        jmp data
        .here
loaderend
        .cerror loadnext + loaderend - loaderimage > $0400, format("the loader takes %d bytes, past $03FF", loaderend - loaderimage)

secondimage
        .logical $0200
second

; The crunched data goes after its two address bytes; ptr is a page, Y
; the place in it, so the end address comes out of the loop for free.
data    lda crunchedat  ; the carry is clear
        adc #2
        tay
        lda crunchedat + 1
        adc #0
        sta ptr + 1
        lda #0
        sta ptr
-       jsr CHRIN
        php             ; stored with all RAM banked in: the data may lie
        sei             ; beneath the I/O area
        ldx #allram
        stx port
        sta (ptr),y
        ldx #kernalio
        stx port
        plp
        iny
        bne +
        inc ptr + 1
+       lda status
        beq -
        cmp #$40        ; the end of the file, with its last byte
        beq +
        jsr exchange
        jmp unreadable
+       tya             ; the decruncher wants the last byte's address
        bne +
        dec ptr + 1
+       dey
        sty ptr
        jsr closefile

        jmp decrunchpart

; Exchanges the RAM vectors at $FFFA-$FFFF with the routing's, banking the
; KERNAL out for the moment it takes; not for a part that reaches the last
; page, which brings its own.
exchange
        php
        sei
        ldx endpage
        inx
        beq +
        lda #allram
        sta port
        jsr swapvectors
        lda #kernalio
        sta port
+       plp
        rts
        .here
secondend
        .cerror secondend - secondimage > $59, "the loader runs past BASIC's input buffer"

decruncherimage
        .logical $d000
        .include "decrunch.asm"

; Exchanges the RAM vectors with the routing's; run with all RAM banked in.
swapvectors
        ldx #5
-       lda $fffa,x
        ldy vectors,x
        sta vectors,x
        tya
        sta $fffa,x
        dex
        bpl -
        rts
        .here
decruncherend
        .cerror * - decruncherimage > 256, format("the decruncher's page holds %d bytes", * - decruncherimage)
