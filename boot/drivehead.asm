; The 1541's head, for drive code: moving it to a track and setting that
; track's density, and how many sectors a track has. Drive code that
; includes this defines diskport ($1C00, VIA 2's port B) and, in zero page,
; track (where the head is), want (the track to go to), half (the
; stepper's direction) and t (scratch).

; The 4-to-5 code: the five bits that stand for each nybble on the disk.
gcrcodes = [$0a, $0b, $12, $13, $0e, $0f, $16, $17, $09, $19, $1a, $1b, $0d, $1d, $1e, $15]

; Moves the head to the wanted track, two half tracks a step with time for
; each to settle, and sets the density of its zone.
seek    lda track
        cmp want
        beq zone
        ldx #1          ; up: the next phase
        bcc +
        ldx #3          ; down: the phase before
+       stx half
        jsr step
        jsr step
        lda #2          ; a track up or down: 2 less the phases' step
        sec
        sbc half
        clc
        adc track
        sta track
        jmp seek

step    lda diskport
        tax
        clc
        adc half
        and #3
        sta t
        txa
        and #$fc
        ora t
        sta diskport
        ldx #0          ; about 2.5 ms
        ldy #2
-       dex
        bne -
        dey
        bne -
        rts

zone    lda track
        jsr zoneof
        tya
        asl a
        asl a
        asl a
        asl a
        asl a
        sta t
        lda diskport
        and #$9f
        ora t
        sta diskport
        rts

; The zone of track A into Y: 3 for tracks 1-17, down to 0 for 31 and up.
; A and X are kept.
zoneof  ldy #3
        cmp #18
        bcc +
        dey
        cmp #25
        bcc +
        dey
        cmp #31
        bcc +
        dey
+       rts

; The sectors on the tracks of each zone.
sectorsin .byte 17, 18, 19, 21
