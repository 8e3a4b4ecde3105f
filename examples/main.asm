; Main part at $c000: clears the screen through the kernal and returns.

        * = $c000
start   lda #$93
        jsr $ffd2
        lda #0
        sta $d021
        rts
