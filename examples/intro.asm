; Intro, a code part: prints its text below the header rows, waits about two
; seconds on the raster and returns to the loader.

CHROUT  = $ffd2
frames  = 100           ; two seconds of PAL frames

        * = $0801
start   ldx #0
-       lda text,x
        beq wait
        jsr CHROUT
        inx
        bne -
wait    ldx #frames
frame   bit $d011       ; the raster's line 256 and on have bit 7 set:
        bpl frame       ; wait for the bottom of the frame,
-       bit $d011       ; then for the top of the next
        bmi -
        dex
        bne frame
        rts

text    .text 13, "TARV PRESENTS", 13
        .text "A PARTDISK PRODUCTION", 13, 0
