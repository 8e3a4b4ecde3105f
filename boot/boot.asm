; Sample boot program: a BASIC line that starts the code, which prints the
; names of the parts listed in its part table, as in "PARTS: AA BA CA".
;
; partdisk fills the table at file offset 616 (load address included) with
; the first letter of each part's name and ends it with $80. It holds 26
; letters and the end mark.

tableoffset = 616
tablesize = 26 + 1

        * = $0801
        .word basicend, 2026
        .null $9e, format("%d", start)
basicend .word 0

start   ldx #0
title   lda message,x
        beq parts
        jsr $ffd2
        inx
        bne title
parts   ldx #0
next    lda table,x
        cmp #$80
        beq done
        jsr $ffd2
        lda #"A"
        jsr $ffd2
        lda #" "
        jsr $ffd2
        inx
        cpx #tablesize
        bne next
done    lda #13
        jmp $ffd2

message .null "PARTS: "

        .cerror * > $0801 + tableoffset - 2, "code runs into the part table"
        .fill $0801 + tableoffset - 2 - *, 0
table   .fill tablesize, $80
