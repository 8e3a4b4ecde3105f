; Main part at $C000, a code part: clears the screen, prints its closing
; screen with the credits the data part left at $4000, and returns.

CHROUT  = $ffd2
credits = $4000

        * = $c000
start   lda #$93
        jsr CHROUT
        ldx #0
-       lda title,x
        beq +
        jsr CHROUT
        inx
        bne -
+       ldx #0
-       lda credits,x
        beq done
        jsr CHROUT
        inx
        bne -
done    rts

title   .text "THE END", 13, 13, 0
