; A long-running 6502 program for measuring the model's speed: nested loops
; of ordinary work (indexed loads and stores, arithmetic, a subroutine call
; and branches) that end in a jump to itself. About 600 million cycles.

        * = $1000
        lda #0
        sta rounds
        sta rounds + 1
round   ldx #0
copy    lda $2000,x        ; a page copy with a sum on the side
        sta $3000,x
        clc
        adc sum
        sta sum
        jsr mix
        inx
        bne copy
        inc rounds
        bne round
        inc rounds + 1
        lda rounds + 1
        cmp #$c0
        bne round
done    jmp done

mix     lda sum
        eor #$5a
        asl a
        rol sum + 1
        rts

rounds  .word 0
sum     .word 0
