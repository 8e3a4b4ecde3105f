; A music routine with its data, as a demo's tune comes: the player, its
; frequency and instrument tables, three order lists and sixteen patterns
; of 32 rows (a note and an instrument each, 0 for a rest), composed from
; scales and arpeggios.

sid     = $d400
major   = [0, 2, 4, 5, 7, 9, 11]
minor   = [0, 2, 3, 5, 7, 8, 10]

note    .function n
        .endf round(440.0 * 2.0 ** ((n - 69) / 12.0) * 16777216.0 / 985248.0) & $ffff

patternnote .function pattern, row
scale   := pattern % 2 ? minor : major
base    := 36 + (pattern % 4) * 5 + (pattern >= 8 ? 12 : 0)
degree  := scale[(row * (pattern % 3 + 1) + pattern) % 7]
rest    := (row + pattern) % (pattern % 5 + 3) == 0
        .endf rest ? 0 : base + degree + ((row / 8) % 2) * 12

        * = $1000
init    ldx #2
-       lda #0
        sta position,x
        sta row,x
        lda #1
        sta wait,x
        dex
        bpl -
        lda #$0f
        sta sid + 24
        rts

play    ldx #2
voice   dec wait,x
        bne next
        lda speed
        sta wait,x
        ldy position,x
        lda orderlow,y
        sta $fb
        lda orderhigh,y
        sta $fc
        lda row,x
        asl a
        tay
        lda ($fb),y
        beq rest
        tay
        lda voicereg,x
        stx $fd
        tax
        lda frequencylow,y
        sta sid,x
        lda frequencyhigh,y
        sta sid + 1,x
        ldy $fd
        lda instrumentad,y
        sta sid + 5,x
        lda instrumentsr,y
        sta sid + 6,x
        lda instrumentwave,y
        sta sid + 4,x
        ldx $fd
rest    inc row,x
        lda row,x
        cmp #32
        bne next
        lda #0
        sta row,x
        inc position,x
next    dex
        bpl voice
        rts

speed   .byte 6
wait    .byte 0, 0, 0
row     .byte 0, 0, 0
position .byte 0, 0, 0
voicereg .byte 0, 7, 14
instrumentad .byte $09, $0a, $00, $28, $09, $5a, $0c, $00
instrumentsr .byte $00, $a9, $f0, $89, $00, $a8, $40, $f8
instrumentwave .byte $41, $21, $11, $81, $41, $21, $11, $41
frequencylow .for n = 0, n < 96, n += 1
        .byte <note(n + 12)
        .next
frequencyhigh .for n = 0, n < 96, n += 1
        .byte >note(n + 12)
        .next
orderlow .for i = 0, i < 48, i += 1
        .byte <(patterns + 64 * ((i * 5 + i / 16) % 16))
        .next
orderhigh .for i = 0, i < 48, i += 1
        .byte >(patterns + 64 * ((i * 5 + i / 16) % 16))
        .next
patterns .for pattern = 0, pattern < 16, pattern += 1
        .for step = 0, step < 32, step += 1
        .byte patternnote(pattern, step), pattern % 8
        .next
        .next
