; Music: a player stub at $1000 that sets the SID volume and returns.

        * = $1000
init    lda #$0f
        sta $d418
        rts
play    rts
