; Intro: a BASIC line that starts the code, which flashes the border.

        * = $0801
        .word basicend, 2026
        .null $9e, format("%d", start)
basicend .word 0

start   ldx #0
loop    stx $d020
        inx
        bne loop
        rts
