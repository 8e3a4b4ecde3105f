; Main part at $C000, a code part: clears the screen, prints its closing
; screen with the credits the data part left beneath the KERNAL, and
; returns after three seconds of the tune, which plays on until the boot
; program's clean end.

CHROUT  = $ffd2
credits = $e000
jiffies = $a2           ; the jiffy clock's low byte: the tune's interrupt
seconds = 3             ; runs it 50 times a second

        * = $c000
start   lda #$93
        jsr CHROUT
        ldx #0
-       lda title,x
        beq +
        jsr CHROUT
        inx
        bne -
+       sei             ; the KERNAL banked out: no interrupt may come
        lda #$35        ; through its vectors meanwhile
        sta $01
        ldx #0
-       lda credits,x
        sta copy,x
        beq +
        inx
        bne -
+       lda #$37
        sta $01
        cli
        ldx #0
-       lda copy,x
        beq +
        jsr CHROUT
        inx
        bne -
+       lda jiffies
        clc
        adc #seconds * 50
-       cmp jiffies
        bne -
        rts

title   .text "THE END", 13, 13, 0
copy    .fill 256
