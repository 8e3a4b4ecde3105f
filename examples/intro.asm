; Intro, a code part: starts the tune on a raster interrupt that outlives
; it, prints its text below the header rows, waits two seconds of the tune
; and returns to the loader. The tune goes on while the other parts load.

CHROUT  = $ffd2
kernalirq = $ea31       ; the KERNAL's round: jiffy clock, keyboard
irqvector = $0314
line    = 250           ; in the bottom border
seconds = 2

        * = $0801
start   ldx #0
-       lda text,x
        beq +
        jsr CHROUT
        inx
        bne -
+       jsr tuneinit
        sei
        lda #$7f        ; CIA 1's timer no longer interrupts: the raster
        sta $dc0d       ; does, once a frame, and runs the KERNAL's round
        lda $dc0d       ; after the tune
        lda #<irq
        sta irqvector
        lda #>irq
        sta irqvector + 1
        lda #line
        sta $d012
        lda $d011
        and #$7f
        sta $d011
        lda #1
        sta $d01a
        cli
-       lda frames
        cmp #seconds * 50
        bcc -
        rts

irq     lda #1          ; acknowledge the raster interrupt
        sta $d019
        jsr tuneplay
        jmp kernalirq

text    .text 13, "TARV PRESENTS", 13
        .text "A PARTDISK PRODUCTION", 13, 0

        .include "tune.asm"
