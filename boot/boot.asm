; The boot program: loads, shows, decrunches and starts every part in its
; part table, from the device it was loaded from, while the interrupts the
; parts install keep running. On a 1541 it loads through drive code of its
; own (boot/drive.asm); on any other drive through the KERNAL.
;
; partdisk fills the part table at file offset 616 (load address counted)
; with the first letter of each part's name, ended by $80. It holds 26
; letters and the end mark.
;
; Memory map
;   $0100-$01BF  resident: the interrupt routing, the entry point's work,
;                the ways beneath the I/O area and to the end, the part's
;                range (the stack keeps $01C0-$01FF, more than the KERNAL
;                and an interrupt on top ever take)
;   $0200-$0252  resident: the loader's loop and the part's head (BASIC's
;                input buffer, which nothing uses while parts run)
;   $0254-$0275  resident on the fast path: the wait for the drive code to
;                be free, at the input buffer's end, and the command to the
;                drive, in the KERNAL's tables of open files (the fast path
;                leaves none open, and parts open no files)
;   $02A7-$02F9  resident: variables, the header's display and the copy of
;                the part table (RAM that neither BASIC nor the KERNAL uses)
;   $0334-$03FF  resident: the entry point for running parts and the
;                path's code, the KERNAL's (to $03FC) or the fast loader's
;                (to $03E3; the tape buffer, unused with disks)
;   $D000-$D0F9  resident: the decruncher, in the RAM beneath the I/O area
;   $D100-$D1E1  resident: the end, copied over the path's code when the
;                last part is done, the work done with all RAM banked in,
;                the routing's vectors and the loading's variables,
;                beneath the I/O area too
;   $D200-$D2F7  resident: the fast path's loading while the part
;                decrunches, beneath the I/O area
;   $FFFA-$FFFF  the routing's vectors in RAM, but for a part's bytes there
;                while it loads and decrunches
;   $0400-$FFFF  everything else belongs to the parts; the screen's top
;                three rows ($0400-$0477) show each header while it loads
;   $0801-$1600  this program, needed only until the loader runs
;   $FB-$FE, $57-$5C  zero page the loader and the decruncher use

; The two paths
;   At the start the boot program reads the drive's ROM at $C000 with M-R:
;   the 1541 family answers $97 and the 1571 $38 or $42 (it runs 1541 code
;   in 1541 mode). Every CBM DOS drive takes M-R, and one without a 1541's
;   ROM answers with another byte or an error message, whose first
;   character is a digit; "UI" would reset the drive, which takes a second
;   and loses a device number set in software. A 1541 gets the drive code
;   (a bootstrap through M-W, started with M-E, which takes the rest over
;   the bus) and loads every part through it. Anything else, or any drive
;   while the left SHIFT key (or SHIFT LOCK) is down at the start, loads
;   through the KERNAL.
;
; Calling convention for parts
;   A code part is called with JSR at its start address, with BASIC, the
;   KERNAL and I/O banked in ($01 = $37), interrupts on and the KERNAL's
;   variables as the KERNAL left them; it returns with RTS in that same
;   state. It may use all memory from $0400 to $FFFF but $D000-$D2FF, the
;   zero page but the KERNAL's $90-$FA, and the stack below what it was
;   given; it leaves $0100-$03FF alone (so it reads no lines through CHRIN
;   and calls no BASIC number output). An interrupt it installs through
;   $0314 (or $0318) keeps running while the parts after it load and
;   decrunch: while the KERNAL is banked out the routing below takes the
;   hardware vectors to the same handler. (The RAM's vectors hold the
;   routing's from the start, so an NMI finds one there even while the
;   loader exchanges them; a part whose data covers $FFFA-$FFFF and plays
;   on NMIs keeps a vector of its own there.) On the fast path the
;   serial bus belongs to the loader: a part writes $DD00 only with bits
;   3-5 clear (its VIC-II bank in bits 0-1) and leaves $DD02 at $3F, and
;   opens no files and uses no KERNAL disk routines.
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
;   After the last part, or after LOAD ERROR, the drive code hands the
;   drive back to its DOS (a reset), the KERNAL's vectors and I/O are set
;   up as at power-on (RESTOR, IOINIT), the VIC-II's interrupts turned off
;   and its text screen at $0400 shown as it stands, the BASIC program
;   emptied (NEW) with BASIC's pointers set for it, and BASIC's warm start
;   prints READY.

CHROUT  = $ffd2
CHRIN   = $ffcf
SETLFS  = $ffba
SETNAM  = $ffbd
OPEN    = $ffc0
CLOSE   = $ffc3
CHKIN   = $ffc6
CHKOUT  = $ffc9
CLRCHN  = $ffcc
RESTOR  = $ff8a
IOINIT  = $ff84
romirq  = $fffe         ; the ROM's hardware vectors: its IRQ entry saves A,
romnmi  = $fffa         ; X and Y and goes on through ($0314), its NMI entry
                        ; through ($0318); where they lie is the ROM's own
warmstart = $a002       ; BASIC's warm start vector: READY.

status  = $90           ; the KERNAL's I/O status
openfiles = $98         ; the KERNAL's count of open files (LDTND)
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
keycolumns = $dc00
keyrows = $dc01

ptr     = $fb           ; where the next part byte goes; the decruncher's src
                        ; (its dst, $FD/$FE, gets the program's last address)
count   = $57           ; the fast path's, beside and over the decruncher's
nybble  = $58           ; zero page ($59-$5B), which is kept on the stack
outbyte = $59           ; while a frame comes in (takeframe)
framehead = $59         ; 4: a data frame's count and address, and the page
                        ; of what is in (outbyte's work is done by then)
column  = $5c           ; the header's next byte (the head comes before any
                        ; frame)
file    = 2             ; logical file and secondary address of a part
commands = 15           ; the drive's command channel
tablesize = 26 + 1
tableoffset = 616
headersize = 120
headdata = 130          ; the crunched data's bytes in a part file's first
                        ; block; 254 in each after it
endcopy = $d100         ; where the end waits, beneath the I/O area
loading = $d200         ; the fast path's loading while it decrunches, too
filetables = $0259      ; the KERNAL's tables of open files

        * = $0801
        .word basicend, 2026
        .null $9e, format("%d", install)
basicend .word 0

; Clears the screen, leaving the cursor below the header rows, moves the
; resident code into place, chooses the path and runs the loader.
install ldx #$ff        ; BASIC's stack is not needed: the end is a warm start
        txs
        inx
-       lda clearscreen,x
        jsr CHROUT
        inx
        cpx #size(clearscreen)
        bne -
        sei             ; the decruncher and the end go beneath the I/O area
        lda #allram
        sta port
        ldx #decruncherend - decruncherimage
-       lda decruncherimage - 1,x
        sta decrunch - 1,x
        dex
        bne -
        ldx #beneathend - endimage
-       lda endimage - 1,x
        sta endcopy - 1,x
        dex
        bne -
        ldx #loadingend - loadingimage
-       lda loadingimage - 1,x
        sta loading - 1,x
        dex
        bne -
        ldx #5          ; the RAM vectors start as the routing's, so that
-       lda vectors,x   ; the exchange swaps them with themselves unless a
        sta $fffa,x     ; part brings bytes there: no moment of the exchange
        dex             ; leaves an NMI a vector of nothing
        bpl -
        lda #kernalio
        sta port
        cli
        #place lowimage, lowend, routing
        #place secondimage, secondend, second
        #place residentimage, residentend, resident
        #place table, table + tablesize, parts
        lda device
        sta bootdevice
        jsr choosepath
        jmp loader

; Copies an image to where it runs.
place   .macro image, end, to
        ldx #\end - \image
-       lda \image - 1,x
        sta \to - 1,x
        dex
        bne -
        .endm

; Loads through the drive code on a 1541, through the KERNAL elsewhere or
; with SHIFT down: places the path's code and, for the fast path, starts
; the drive code.
choosepath
        lda #$fd        ; the keyboard's column 1: row 7 is the left SHIFT
        sta keycolumns
        lda keyrows
        ldx #$7f
        stx keycolumns
        and #$80
        beq kernalpath
        lda #0
        jsr SETNAM
        lda #commands
        ldx bootdevice
        tay
        jsr SETLFS
        jsr OPEN
        bcs closed
        lda #<readrom
        sta ptr
        lda #>readrom
        sta ptr + 1
        ldy #size(readrom)
        jsr tell
        bcs closed
        ldx #commands
        jsr CHKIN
        bcs closed
        jsr CHRIN
        pha
        jsr CLRCHN
        pla
        ldx #size(family) - 1
-       cmp family,x
        beq fastpath
        dex
        bpl -
closed  lda #commands
        jsr CLOSE
kernalpath
        #place kernalimage, kernalend, pathslot
        rts

; The 1541: the bootstrap through M-W, started by M-E as the name of a
; new open of the command channel. The KERNAL then forgets that file by
; its count of open files, without a word on the bus: a close, now or from
; a later CLALL, would reach the drive code as changes of ATN. The
; bootstrap holds DATA once it runs, and takes the rest.
fastpath
        lda #<drivecode.stage1command
        sta ptr
        lda #>drivecode.stage1command
        sta ptr + 1
        ldy #drivecode.stage1end - drivecode.stage1command
        jsr tell
        lda #commands
        jsr CLOSE
        lda #size(runboot)
        ldx #<runboot
        ldy #>runboot
        jsr SETNAM
        lda #commands
        ldx bootdevice
        tay
        jsr SETLFS
        jsr OPEN
        lda #0
        sta openfiles
        lda $dd00       ; every line released, whatever UNLISTEN left in
        and #$c7        ; bits 3-5 (the VIC-II's bank kept): from here on
        sta $dd00       ; the lines change through the direction register
        lda #$3f
        sta $dd02
        #place fastimage, fastend, pathslot
        #place commandimage, commandend, filetables - 5
-       bit $dd00       ; DATA held: the bootstrap runs
        bmi -
        ldy #0
-       lda drivecode.stage2image,y
        jsr sendbits
        iny
        cpy #drivecode.stage2size
        bne -
-       bit $dd00       ; DATA let go: the second stage has moved itself
        bpl -           ; and takes the code
        jmp sendcode

sent    .byte 0

; Sends the Y bytes at (ptr) to the command channel, and has the drive
; carry them out. Carry set when the drive is not there.
tell    sty sent
        ldx #commands
        jsr CHKOUT
        bcs +
        ldy #0
-       lda (ptr),y
        jsr CHROUT
        iny
        cpy sent
        bne -
        jsr CLRCHN      ; UNLISTEN: the drive carries the command out
        clc
+       rts

; Sends A to the bootstrap's first stage: a bit at each change of ATN,
; least significant first, CLK pulled for a 1. The stage sees a change
; within 10 cycles and looks again 33 cycles after it saw it (6 more after
; a byte's last bit); the changes here come 36 cycles apart and the calls
; take longer between bytes. Keeps Y.
sendbits
        sta outbyte
        ldx #8
-       tya
        pha
        lda $dd02
        eor #$08        ; ATN changes
        ora #$10        ; CLK let go: a 0
        lsr outbyte
        bcc +
        and #$ef        ; CLK pulled: a 1
+       sta $dd02
        pla             ; (time for the stage)
        tay
        dex
        bne -
        rts

; Sends the drive code to the bootstrap's second stage: two bits of a byte
; at each change of ATN, on DATA and CLK, pulled for 1s: bits 0 and 2 with
; ATN pulled, 1 and 3 released, 4 and 6 pulled, 5 and 7 released, which the
; stage puts together with a mask and shifts. The stage reads a pair at
; most 17 of its cycles after the change (7 to see it, 10 to acknowledge
; ATN and read), and is back watching ATN after its work on the pair: 5,
; 10, 16 and 28 cycles, 42 where a page ends. Each change here waits 14
; cycles more than the work before it, counted for an NTSC C64 (3% faster
; than the drive): 20, 25, 31 and 43 cycles, 58 at a page's end; the
; code takes 21, 25, 31, 43 and 59. The upload runs to the end of its last
; page, as the stage stops; Y follows the drive's place in the page.
sendcode
        lda #<driveimage - <drivecode.codestart
        sta ptr
        lda #>driveimage - <drivecode.codestart
        sta ptr + 1
        ldy #<drivecode.codestart
nextcode
        lda (ptr),y     ; 43 cycles from the last pair: the 23 at the end,
        sta outbyte     ; these 20
        and #5
        tax
        lda pairs,x
        sta $dd02       ; bits 0 and 2, ATN pulled
        lda outbyte     ; 21 cycles
        lsr a
        and #5
        tax
        lda pairs,x
        ora #8          ; ATN released
        nop
        sta $dd02       ; bits 1 and 3
        lda outbyte     ; 25 cycles
        lsr a
        lsr a
        lsr a
        lsr a
        and #5
        tax
        lda pairs,x
        nop
        sta $dd02       ; bits 4 and 6
        lda outbyte     ; 31 cycles
        lsr a
        lsr a
        lsr a
        lsr a
        lsr a
        and #5
        tax
        lda pairs,x
        ora #8
        nop
        nop
        sta $dd02       ; bits 5 and 7
        ldx #3          ; (time for the stage)
-       dex
        bne -
        nop
        iny
        bne nextcode
        inc ptr + 1     ; 16 more where a page ends
        nop
        nop
        lda ptr + 1
        cmp #>driveimage - drivecode.codestart + drivecode.uploadend * 256
        bne nextcode
        lda #$3f        ; the lines let go, and the code runs when it
        sta $dd02       ; holds DATA, ready for commands
-       bit $dd00
        bmi -
        rts

; A pair for $DD02 with ATN pulled, from a byte's bits 0 and 2 in place:
; DATA and CLK pulled (their bits clear) for 1s, the other lines as they are.
pairs   .byte $37, $17, 0, 0, $27, $07

; The bytes at the ROM's first address a 1541 and a 1571 answer.
family  .byte $97, $38, $42
readrom .text "M-R", $00, $c0, 1
runboot .text "M-E", <drivecode.stage1, >drivecode.stage1

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
name    .text "?A"      ; the part's file name

; The part's header, shown unless a running part owns the screen, its
; start address and its last address: whether it may load at all.
header  jsr headbyte        ; ASCII as screen codes: letters of either case,
        ldy column      ; digits, blank and punctuation; the rest blank.
        ldx caller
        bne shown
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
        sty column
        cpy #headersize
        bne header
        jmp range

parts   .fill tablesize, $80
        .here
residentend
        .cerror residentend - residentimage > $59, "the loader's variables run into the KERNAL's vectors"

clearscreen .byte $93, $11, $11, $11

; The part table lies where partdisk fills it. The code that runs once and
; the image of the loader's variables and header come before it, where the
; file would otherwise hold nothing, the other images after it.
        .cerror * > $0801 + tableoffset - 2, "the installer runs into the part table"
        .fill $0801 + tableoffset - 2 - *, 0
table   .fill tablesize, $80

lowimage
        .logical $0100
routing

; An interrupt while the decruncher has the KERNAL banked out comes here
; through the RAM vectors. It banks the KERNAL and I/O in and goes on as the
; hardware would, through the ROM's own vector to its entry, and from
; there through $0314 or $0318 to the handler the parts installed; the
; handler's RTI comes back to banked, which banks the RAM back in.
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
        jmp (romirq)

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
        jmp (romnmi)

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

; Decrunches with all RAM banked in (the work goes on beneath the I/O
; area, see below): the fast path's part while its frames come in
; (overlappart), the KERNAL path's once it is loaded (decrunchpart). And
; exchanges the RAM vectors at $FFFA-$FFFF with the routing's, banking
; the KERNAL out for the moment it takes. All end in kernalback.
overlappart
        lda #<overlapbeneath
        .byte $2c       ; BIT abs: passes over the LDA
decrunchpart
        lda #<decrunchbeneath
        .byte $2c
exchange
        lda #<exchangebeneath
tobeneath
        php
        sei
        ldx #allram
        stx port
        sta beneath + 1
beneath jmp endcopy     ; to the page's routine the low byte names

kernalback
        lda #kernalio
        sta port
        plp
        clc
        rts

; Where the routing's interrupts return, to bank the RAM back in.
banked  pla
        sta port
        pla
        rti

; After LOAD ERROR (carry set) or the last part: the drive back to its DOS,
; then the end, copied over the path's code, which is done.
theend  php
        jsr closepath
        lda #<copybeneath
        jsr tobeneath
        plp
        jmp theendcopy

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

call    jmp (start)

; The fast path's end: the drive code resets the drive, whose DOS then
; answers as before.
quitdrive
        lda #$80
        jmp waitfree

; The rest of the head: the start address and the part's last address;
; fails a part that would cover the caller's page.
range   lda crunchedat + 1
        cmp #>screen    ; data below the screen would load over the loader
        bcc unreadable
        jsr headbyte
        sta start
        jsr headbyte
        sta start + 1
        jsr headbyte
        sta dst
        jsr headbyte
        sta dst + 1
        sta endpage
        cmp caller      ; the part covers the caller's page when
        bcc fits        ; crunchedat <= caller <= its last page
        lda caller
        cmp crunchedat + 1
        bcs overlapping
fits    jsr exchange    ; from here on all RAM may be banked in
        jmp loaddata
        .here
lowend
        .cerror routing + lowend - lowimage > $01c0, format("the routing takes %d bytes, into the stack", lowend - lowimage)

secondimage
        .logical $0200
second

; Starts the parts in turn, each loaded now or by the part before it.
loader  ldx nextpart
        lda parts,x
        bpl +
        clc             ; the end mark
toend   jmp theend
+       lsr ahead
        bcs +
        jsr loadpart
        bcs toend       ; LOAD ERROR
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
        jsr openpart
        bcc +
        jmp unreadable

; The part file: the crunched data's load address, the header text, the
; start address, then the crunched data, which starts with the program's
; last address.
+       jsr headbyte
        sta crunchedat
        jsr headbyte
        sta crunchedat + 1
        ldy #0
        sty column
        jmp header
        .here
secondend
        .cerror secondend - secondimage > $54, "the loader runs into waitfree"

; The path's code goes in its slot behind loadnext: its entry points
; first, in the same places for both paths.
loadnext = $0334
pathslot = loadnext
openpart = pathslot + 3 ; opens the part name names: carry set when it cannot
headbyte = pathslot + 6 ; the head's next byte, or on failure out of its
                        ; caller to unreadable; changes X and Y
loaddata = pathslot + 9 ; the part's data after its head, then decrunched
closefile = pathslot + 12 ; gives the part up; A, why: 2 or 3
closepath = pathslot + 15 ; no more parts

entries .macro open, byte, data, close, end
        jmp preload
        jmp \open
        jmp \byte
        jmp \data
        jmp \close
        jmp \end
        .endm

kernalimage
        .logical pathslot
        #entries kernalopen, kernalbyte, kernaldata, kernalclose, kernaldone

kernalopen
        lda #2
        ldx #<name
        ldy #>name
        jsr SETNAM
        lda #file
        ldx bootdevice
        tay
        jsr SETLFS
        jsr OPEN
        bcs +
        ldx #file
        jmp CHKIN       ; carry set when it fails
kernaldone
+       rts             ; (and nothing to hand back at the end)

; A byte of the part's head; anything but a clean read fails the part.
kernalbyte
        jsr CHRIN
        ldx status
        bne +
        rts
+       pla             ; leave byte's caller for the failure
        pla
        jmp unreadable

kernalclose
        jsr CLRCHN
        lda #file
        jmp CLOSE

; The crunched data after its two address bytes: first the data's last
; address, where the decruncher starts, then the rest of the first block's
; data, then the pieces in the file's order (doc/crunch-format.md): each
; 254 bytes below the one before, from the data's top down, and the last
; right above the first block's data.
store   = nybble        ; 2: where the next byte goes (the fast path's zero
piecetop = store + 2    ; page); 2: where the piece before started
kernaldata
        jsr kernalbyte
        sta ptr
        sta piecetop
        jsr kernalbyte
        sta ptr + 1
        sta piecetop + 1
        inc piecetop    ; one above the data
        bne +
        inc piecetop + 1
+       lda crunchedat
        clc
        adc #4
        sta store
        lda crunchedat + 1
        adc #0
        sta store + 1
        lda #headdata - 4
        ldy #0
piece   sta count
-       jsr CHRIN
        php             ; stored with all RAM banked in: the data may lie
        sei             ; beneath the I/O area
        ldx #allram
        stx port
        sta (store),y
        ldx #kernalio
        stx port
        plp
        inc store
        bne +
        inc store + 1
+       lda status
        bne filedone
        dec count
        bne -
        lda piecetop    ; the next piece: 254 below the one before
        sec
        sbc #254
        sta piecetop
        sta store
        lda piecetop + 1
        sbc #0
        sta piecetop + 1
        sta store + 1
        lda crunchedat  ; or, where that is not above the first block's
        clc             ; data, right above it: the file's last
        adc #headdata
        tax
        lda crunchedat + 1
        adc #0
        tay
        cpx store
        sbc store + 1
        bcc +
        stx store
        sty store + 1
+       ldy #0
        lda #254
        bne piece
filedone
        cmp #$40        ; the end of the file, with its last byte
        beq +
        jsr exchange
        jmp unreadable
+       jsr kernalclose
        jmp decrunchpart

        .here
kernalend
        .cerror pathslot + kernalend - kernalimage > $0400, format("the KERNAL's path takes %d bytes, past $03FF", kernalend - kernalimage)

fastimage
        .logical pathslot
;   Giving a part up sends A, why (2 or 3), as a command, which the drive
;   code takes for none: it only lets CLK go, which a frame's last pair may
;   have left held, so that the next letter need not wait for it.
        #entries fastopen, onebyte, overlappart, command, quitdrive

; Asks the drive code for the part: carry clear when its head comes.
fastopen
        lda name
        jsr waitfree
        jsr getframe
        eor #126        ; the head's length, or $FF for a part that fails
        cmp #1
rtsbyte                 ; ($60, for BIT to set V with)
        rts

; Calls the routine of this page whose address's low byte is in A with the
; KERNAL and I/O banked in, from the work that loads the part's frames
; while it decrunches, beneath the I/O area; Y and V go through to it.
iocall  ldx #kernalio
        stx port
        sta called
        jsr pathslot
called = * - 2
        ldx #allram
        stx port
        rts
        .cerror >getframehead != >pathslot || >receive != >pathslot || >asknext != >pathslot || >busnow != >pathslot, "iocall's routines must lie in its page"

; Asks for the next frame.
asknext lda #0
        jmp command

; The bus as it is: DATA in bit 7.
busnow  lda $dd00
        rts

; Waits until the drive code lets DATA go, and takes the frame's first
; byte (getframe) or a data frame's head (getframehead); the head's bytes
; come one at a time the same way.
getframe
        lda #outbyte + 1
        .byte $2c       ; BIT abs: passes over the LDA
getframehead
        lda #framehead + 4
-       bit $dd00
        bpl -
        .byte $2c       ; passes over the LDA
onebyte lda #outbyte + 1
        ldy #outbyte    ; (framehead too)
        .cerror framehead != outbyte, "a frame's head must go where its first byte does"
receivezero             ; bytes Y to A - 1 of the zero page
        sta count
        lda #$ff
        sta ptr
        sta ptr + 1
        clv
        jsr receive
        lda outbyte
        rts

; Receives a frame's bytes to (ptr),y, Y going from its value plus one up
; to count (so ptr is one below where bytes Y go). Two bits come at each
; change of ATN: each pair is read at least 16 cycles after the change, and
; the drive code answers within 14 us.
; The pairs come as DATA and CLK in bits 7 and 6, in the order 1 0, 3 2,
; 5 4, 7 6; the low bits read back what the C64 drives, which the shifts
; and the mask leave out. Each change comes right after the read before
; it, and every other piece of work lies in the waits between a change
; and its read: a byte is assembled and stored while the next one's first
; pair comes, and the index is counted while its second comes. The last
; byte's test leaves ATN released in X, so that the changes after it
; change nothing, and the loop ends after its store. With V set each byte
; is stored with all RAM banked in.
receive ldx #$37        ; ATN pulled
        stx $dd02
        ldx #$3f        ; released, next
        clc
        inc nybble      ; (5 cycles, so the first read comes 16 after)
        bcc firstpair
nextbyte
        eor $dd00       ; 7 6 (EOR, AND and ORA keep the carry)
        stx $dd02
        and #$f0
        ora nybble
        bvs beneathio
        sta (ptr),y
stored  ldx #$3f
firstpair
        lda $dd00       ; 1 0
        stx $dd02
        bcs rtsbyte     ; the last byte is in
        ldx #$37
        lsr a
        lsr a
        iny
        inc nybble      ; (the drive works longest after this pair)
        eor $dd00       ; 3 2, with 1 0 and noise below them
        stx $dd02
        ldx #$3f
        lsr a
        lsr a
        lsr a
        lsr a
        sta nybble
        lda $dd00       ; 5 4
        stx $dd02
        lsr a
        lsr a
        cpy count
        ldx #$37
        bcc nextbyte
        ldx #$3f        ; the last byte: ATN stays released
        bcs nextbyte
beneathio
        php             ; (interrupts in between find the KERNAL banked in)
        sei
        ldx #allram
        stx port
        sta (ptr),y
        ldx #kernalio
        stx port
        plp
        bvs stored      ; PLP keeps V
        .here
fastend
        .cerror pathslot + fastend - fastimage > $0400, format("the fast path takes %d bytes, past $03FF", fastend - fastimage)

; The rest of the fast path's code, in the KERNAL's tables of open files,
; which the fast path leaves empty (it set their count to 0 before it came).
commandimage
        .logical filetables - 5
; Waits until the drive code lets CLK go, which it holds while it reads the
; next part's head ahead (after a part's end frame), and falls into command.
waitfree
        bit $dd00
        bvc waitfree
        .cerror * != filetables, "waitfree must fall into the command"
; Sends A to the drive code: a bit at each change of ATN, least significant
; first, CLK pulled for a 1. Before each bit the drive gets the time it
; takes for the one before, at most 45 cycles; it is back for the first
; within 45 cycles of a frame's last pair.
command sta outbyte
        ldx #8
nextbit ldy #5
-       dey
        bne -
        lda $dd02
        eor #$08        ; ATN changes
        ora #$10        ; CLK let go: a 0
        lsr outbyte
        bcc +
        and #$ef        ; CLK pulled: a 1
+       sta $dd02
        dex
        bne nextbit
        rts             ; ATN is released again, and CLK too: the commands
                        ; that frames follow have bit 7 clear

        .here
commandend
        .cerror filetables - 5 + commandend - commandimage > $0277, format("the command takes %d bytes, past the file tables", commandend - commandimage)

decruncherimage
        .logical $d000
        .include "decrunch.asm"

        .here
decruncherend
        .cerror * - decruncherimage > 256, format("the decruncher's page holds %d bytes", * - decruncherimage)

endimage
        .logical pathslot
theendcopy
        bcc finish

; Prints "LOAD ERROR AA" and ends.
failed  ldx #0
-       lda errortext,x
        jsr CHROUT
        inx
        cpx #size(errortext)
        bne -
        lda name
        jsr CHROUT
        lda name + 1
        jsr CHROUT
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

errortext .text "LOAD ERROR "
; TXTTAB, VARTAB, ARYTAB, STREND, FRETOP, FRESPC, MEMSIZ
basicpointers .word basicstart, basicstart + 2, basicstart + 2, basicstart + 2, basictop, basictop, basictop
        .here
endend
        .cerror endend - endimage > $0400 - pathslot, "the end is longer than the path's slot"

beneathimage
        .logical endcopy + endend - endimage

; Decrunches, the RAM vectors at $FFFA-$FFFF taking interrupts to the
; routing meanwhile (from before the data loads), and gives them their
; bytes back after; a part that reaches the last page brings its own, so
; it loads and decrunches with interrupts held off (but for an NMI). On
; the fast path (overlapbeneath) the part's frames come in meanwhile.
overlapbeneath
        lda #0
        .byte $2c       ; BIT abs: passes over the LDA
decrunchbeneath
        lda #1
        sta allin
        ldx endpage
        inx
        beq +
        plp             ; the caller's interrupt flag while decrunching:
        php             ; the routing's vectors are in place
+       tsx             ; where a failed frame goes back to
        stx failedsp
        jsr firstframe
again   jsr decrunch
        jsr lastframes
        jsr swapvectors
        jmp kernalback

; Exchanges the RAM vectors with the routing's; not for a part that
; reaches the last page.
exchangebeneath
        jsr swapvectors
        jmp kernalback

swapvectors
        ldx endpage
        inx
        beq +
        ldx #5
-       lda $fffa,x
        ldy vectors,x
        sta vectors,x
        tya
        sta $fffa,x
        dex
        bpl -
+       rts

; Copies the end over the path's code, and comes back.
copybeneath
        ldx #endend - endimage
-       lda endcopy - 1,x
        sta pathslot - 1,x
        dex
        bne -
        jmp kernalback

vectors .word nmi, 0, irq ; exchanged with $FFFA-$FFFF while decrunching

; Takes the frames that come after the decruncher is done, to the end one.
lastframes
        lda allin
        bne +
        jsr fetch
        jmp lastframes
+       rts

; A failed frame, from fetch: back where the decrunching started, with the RAM vectors
; exchanged back, to kernalback's end of it and on to unreadable.
brokenframe
        ldx failedsp
        txs
        jsr swapvectors
        pla             ; tobeneath's flags, over the way to unreadable
        tax
        lda #>unreadable - 1
        pha
        lda #<unreadable - 1
        pha
        txa
        pha
        jmp kernalback

        .here
beneathend
; The fast path's loading's variables, in the rest of the end's page.
allin   = endcopy + beneathend - endimage ; not 0 once the whole part is in
failedsp = allin + 1    ; the stack where the decrunching started
below   = failedsp + 1  ; the page of the data's highest address not in yet
programlast = below + 1 ; 2: the program's last address
        .cerror programlast + 2 > endcopy + $100, "the end's page is full"

loadingimage
        .logical loading
; The fast path's loading while the part decrunches. The drive code sends
; the data's pieces from its top down, as the part file holds them (see
; doc/crunch-format.md), and the decruncher reads from the top down too:
; where its reading moves into the page below, it waits till that page's
; bytes are all in. Frames come in while it waits, and where its reading or
; writing moves into the page below if the drive has one ready; each asks
; for the next at once, so the drive reads while the C64 decrunches. What is
; in reaches from the data's top down to the page below, which each frame's
; head brings: the drive takes a track's sectors as they pass, and counts
; a piece that comes before one above it once the pieces above are sent.
; The rest of the head's block and the last piece, at the data's bottom,
; count once the end frame is in.

; Takes the first frame, the rest of the head's block, which holds the
; data's last address, and sets the decruncher to start there once that
; page is in; nothing for a part loaded already.
firstframe
        lda allin
        bne ret
        lda dst         ; the program's last address, for a start again
        sta programlast
        lda dst + 1
        sta programlast + 1
        lda #$ff        ; (no frame lies above this)
        sta below
        lda #<asknext
        jsr iocall
        jsr fetch
        jsr startover
        jmp needpage

; The decruncher's pointers, and what is in, as at the start: the data's
; last address lies two bytes above its load address.
startover
        lda programlast
        sta dst
        lda programlast + 1
        sta dst + 1
        lda crunchedat
        sta src
        lda crunchedat + 1
        sta src + 1
        ldy #3
        lda (src),y
        sta below
        tax
        dey
        lda (src),y
        sta src
        stx src + 1
        ldy #0
        rts

; Called by the decruncher where its writing moves into the page below:
; takes a frame the drive has ready. Keeps A, X, Y and the carry.
outpagedown
        dec dst + 1
        pha
        jsr needpage    ; (the page src lies in is in)
        pla
        rts

; Called by the decruncher where its reading moves into the page below
; (pagedown), or at the start (needpage): comes back once the page src
; lies in is all in, having taken a frame the drive has ready, so that the
; drive reads on while the C64 decrunches. Keeps X, Y and the carry.
pagedown
        dec src + 1
needpage
        php
        txa
        pha
        tya
        pha
-       lda allin
        bne +
        lda below
        cmp src + 1
        bcs take        ; the page is not all in: wait for it
        lda #<busnow
        jsr iocall
        asl a           ; DATA let go: a frame is ready
        bcc +
take    jsr takeframe
        jmp -
+       pla
        tay
        pla
        tax
        plp
ret     rts

; Takes a frame for the waiting decruncher, whose pointer and some of whose
; zero page receiving uses.
takeframe
        ldx #4
-       lda decruncherzp,x
        tay
        lda 0,y
        pha
        dex
        bpl -
        jsr fetch
        ldx #0
-       lda decruncherzp,x
        tay
        pla
        sta 0,y
        inx
        cpx #5
        bne -
        rts
decruncherzp .byte src, src + 1, offset, offset + 1, bits

; Takes the next frame to where it goes and asks for the one after: the end
; frame says the whole part is in, a failed one gives the part up.
fetch   lda #<getframehead
        jsr iocall
        ldx framehead
        beq ended
        inx
        bne +
        jmp brokenframe
+       lda framehead
        sta count
        lda framehead + 1
        sta ptr
        lda framehead + 2
        sta ptr + 1
        clv
        sec
        sbc #>$d000 - $100 ; V set for a frame that may reach the I/O area,
        cmp #>$e000 - ($d000 - $100) ; whose bytes are stored with all
        bcs +           ; RAM banked in
        bit rtsbyte
+       ldy #0
        lda #<receive
        jsr iocall
        lda #<asknext
        jsr iocall
track   lda framehead + 1 ; the page of its last byte (its address stays
        clc             ; in the frame's head: a start again moves src,
        adc count       ; which is ptr)
        lda framehead + 2
        adc #0
        cmp below
        beq +
        bcs startagain  ; above the page that was missing
+       lda framehead + 3 ; what is in now, as the drive counts it
        sta below
        rts
ended   inc allin
        rts

; A frame that reaches above what is missing: the drive code has gone back
; to the part's second block (a link broke the disk tool's order), and
; sends every piece again in the chain's order, over what the decruncher
; wrote. So the decrunching starts again from the top, where this frame
; is the first.
startagain
        ldx failedsp
        txs
        jsr startover
        jsr track
        jsr needpage
        jmp again

        .here
loadingend
        .cerror loading + loadingend - loadingimage > loading + $100, "the loading's page is full"

driveimage
drivecode .block
        .include "drive.asm"
        .bend
