; The boot program: loads, shows, decrunches and starts every part in its
; part table, through the KERNAL only, from the device it was loaded from.
;
; partdisk fills the part table at file offset 616 (load address counted)
; with the first letter of each part's name, ended by $80. It holds 26
; letters and the end mark.
;
; Memory map
;   $0801-$0A81  this program: a BASIC line, the installer, the images of
;                the resident code, the part table. Parts load over it: it
;                is needed only until the loader runs.
;   $02A7-$02FF  resident: the loader's variables and the copy of the part
;                table it works from, and its failure path (RAM that
;                neither BASIC nor the KERNAL uses)
;   $0334-$03FF  resident: the loader (the tape buffer, unused with disks)
;   $DF00-$DFFF  resident: the decruncher, in the RAM beneath the I/O area;
;                it runs with all RAM banked in and interrupts off
;   $0400-$0477  the screen's top three rows: each part's header text
;   $FB-$FE, $57-$5C  zero page the loader and the decruncher use
;
; Calling convention for parts
;   A code part is called with JSR at its start address, with BASIC, the
;   KERNAL and I/O banked in ($01 = $37), interrupts on and the KERNAL's
;   variables as the KERNAL left them; it returns with RTS in that same
;   state. It may use all memory but the resident areas above ($02A7-$02FF,
;   $0334-$03FF and the RAM at $DF00-$DFFF), the KERNAL's variables
;   ($90-$FA, $0200-$02A6, $0300-$0333) and the stack it was given.
;   A data part, built without an address, is loaded and decrunched but
;   not called: it stays in memory for the parts after it.

CHROUT  = $ffd2
CHRIN   = $ffcf
SETLFS  = $ffba
SETNAM  = $ffbd
OPEN    = $ffc0
CLOSE   = $ffc3
CHKIN   = $ffc6
CLRCHN  = $ffcc

status  = $90           ; the KERNAL's I/O status
device  = $ba           ; the device the boot program came from
port    = $01           ; the processor port: what is banked in
textcolour = $0286
screen  = $0400
colours = $d800

ptr     = $fb           ; where the next part byte goes; the decruncher's src
file    = 2             ; logical file and secondary address of a part
tablesize = 26 + 1
tableoffset = 616
headersize = 120

        * = $0801
        .word basicend, 2026
        .null $9e, format("%d", install)
basicend .word 0

; Clears the screen, leaving the cursor below the header rows, moves the
; resident code into place and runs the loader, whose last RTS goes back to
; BASIC.
install ldx #0
-       lda clearscreen,x
        jsr CHROUT
        inx
        cpx #size(clearscreen)
        bne -
        ldx #loaderend - loaderimage
-       lda loaderimage - 1,x
        sta loader - 1,x
        dex
        bne -
        ldx #residentend - residentimage
-       lda residentimage - 1,x
        sta resident - 1,x
        dex
        bne -
        ldx #tablesize
-       lda table - 1,x
        sta parts - 1,x
        dex
        bne -
        lda device
        sta bootdevice
        sei             ; the decruncher goes beneath the I/O area
        lda #$34
        sta port
-       lda decruncherimage,x
        sta decrunch,x
        inx
        bne -
        lda #$37
        sta port
        cli
        jmp loader

clearscreen .byte $93, $11, $11, $11

residentimage
        .logical $02a7
resident
bootdevice .byte 8
nextpart .byte 0
crunchedat .word 0      ; where the part's crunched data loads
start   .word 0         ; the part's start address
errortext .text "LOAD ERROR "
name    .text "?A"      ; the part's file name, printed after the error text

; Reads a byte of the part's head; anything but a clean read fails.
byte    jsr CHRIN
        ldx status
        bne +
        rts
+       pla             ; leave byte's caller for the failure
        pla

; Prints "LOAD ERROR AA" and goes back to BASIC.
failed  jsr closefile
        ldx #0
-       lda errortext,x
        jsr CHROUT
        inx
        cpx #byte - errortext
        bne -
        lda #13
        jmp CHROUT

closefile
        jsr CLRCHN
        lda #file
        jmp CLOSE

call    jmp (start)
        .here
residentend
parts   = resident + residentend - residentimage
        .cerror parts + tablesize > $0300, "the loader's variables run into the KERNAL's vectors"

loaderimage
        .logical $0334
loader  ldx nextpart
        lda parts,x
        bpl +
        rts             ; the end mark: back to BASIC
+       sta name
        inc nextpart
        lda #2
        ldx #<name
        ldy #>name
        jsr SETNAM
        lda #file
        ldx bootdevice
        tay
        jsr SETLFS
        jsr OPEN
        bcs fail
        ldx #file
        jsr CHKIN
        bcc head
fail    jmp failed

; The part file: the crunched data's load address, the header text, the
; start address, then the crunched data.
head    jsr byte
        sta crunchedat
        jsr byte
        sta crunchedat + 1
        sta ptr + 1
        cmp #>screen    ; data below the screen would load over the loader
        bcc fail
        ldy #0
header  jsr byte        ; ASCII as screen codes: letters of either case,
        cmp #$20        ; digits, blank and punctuation; the rest blank
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
        iny
        cpy #headersize
        bne header
        jsr byte
        sta start
        jsr byte
        sta start + 1

        ldy #0          ; ptr is a page, Y the place in it: the end address
        sty ptr         ; comes out of the loop for free
        ldy crunchedat
data    jsr CHRIN
        sta (ptr),y
        iny
        bne +
        inc ptr + 1
+       lda status
        beq data
        cmp #$40        ; the end of the file, with its last byte
        bne fail
        tya             ; the decruncher wants the last byte's address
        bne +
        dec ptr + 1
+       dey
        sty ptr
        jsr closefile

        sei             ; decrunch with all RAM banked in
        lda #$34
        sta port
        jsr decrunch
        lda #$37
        sta port
        cli

; A part whose start address is its crunched load address is data.
        lda start
        cmp crunchedat
        bne code
        lda start + 1
        cmp crunchedat + 1
        beq next
code    jsr call
next    jmp loader
        .here
loaderend
        .cerror loader + loaderend - loaderimage > $0400, format("the loader takes %d bytes, past $03FF", loaderend - loaderimage)

decruncherimage
        .logical $df00
        .include "decrunch.asm"
        .here

        .cerror * > $0801 + tableoffset - 2, "the resident code runs into the part table"
        .fill $0801 + tableoffset - 2 - *, 0
table   .fill tablesize, $80
