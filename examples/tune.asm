; The tune: three voices of plucked notes (a pulse melody, a sawtooth bass,
; a triangle harmony) over C, Am, F and G, sixteen steps of eight frames,
; over and over. tuneinit sets the SID up; tuneplay runs once a frame from
; the raster interrupt and writes the volume every time, so a log of the
; SID's writes shows each frame it ran in.

sid     = $d400
speed   = 8             ; frames a step

tuneinit
        ldx #24
        lda #0
-       sta sid,x
        dex
        bpl -
        lda #$09        ; attack 0, decay 9, no sustain: plucked
        sta sid + 5
        sta sid + 7 + 5
        sta sid + 14 + 5
        lda #$08        ; a square pulse for the melody
        sta sid + 3
        lda #1          ; the first step comes with the first frame
        sta delay
        rts

; Sets a voice's frequency to the note the table holds for the step in X
; and starts it again: gate off, then on.
playvoice .macro voice, table, wave
        ldy \table,x
        lda frequencylow - lownote,y
        sta sid + 7 * \voice
        lda frequencyhigh - lownote,y
        sta sid + 7 * \voice + 1
        lda #\wave
        sta sid + 7 * \voice + 4
        ora #1
        sta sid + 7 * \voice + 4
        .endm

tuneplay
        inc frames
        lda #$0f
        sta sid + 24
        dec delay
        bne +
        lda #speed
        sta delay
        ldx step
        #playvoice 0, melody, $40
        #playvoice 1, bass, $20
        #playvoice 2, harmony, $10
        inx
        txa
        and #15
        sta step
+       rts

frames  .byte 0         ; frames the tune has played
delay   .byte 0         ; frames to the next step
step    .byte 0

; MIDI note numbers: 60 is middle C.
melody  .byte 72, 76, 79, 76, 69, 72, 76, 72, 65, 69, 72, 69, 67, 71, 74, 71
bass    .byte 36, 36, 48, 36, 33, 33, 45, 33, 29, 29, 41, 29, 31, 31, 43, 31
harmony .byte 64, 64, 64, 64, 64, 64, 64, 64, 69, 69, 69, 69, 71, 71, 71, 71

; The SID's frequency for a note on a PAL machine: hertz times 2^24 over
; the 985,248 Hz clock.
note    .function n
        .endf round(440.0 * 2.0 ** ((n - 69) / 12.0) * 16777216.0 / 985248.0)
lownote = 29
frequencylow
        .for n = lownote, n <= 79, n += 1
        .byte <note(n)
        .next
frequencyhigh
        .for n = lownote, n <= 79, n += 1
        .byte >note(n)
        .next
