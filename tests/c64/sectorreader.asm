; Reads one sector of every track through the 1541's hardware and hands it
; to the C64 over the serial bus: the test of c64run's drive model.
;
; The C64 side, started from a BASIC line, uploads the drive code with M-W
; through CHKOUT and CHROUT on channel 15, starts it with M-E as the name
; of an OPEN of channel 15, and receives from each track, 1 to lasttrack,
; a status byte (0: read and checked, 1: failed) at status + track and
; sector (track AND 15) at sectors + 256 * (track - 1). Then it returns to
; BASIC.
;
; The drive side steps the head, sets each zone's density, waits for a
; sync mark, reads a header as raw GCR and compares its sector and track
; with the GCR this source computes for them, reads the data block after
; it, then decodes both and checks the header (ID, track, sector, checksum)
; and the data block (ID, checksum), and sends. Decoding takes longer than
; a sector takes to pass, so the raw bytes are compared first: a sector not
; found in 100 blocks fails.
;
; The bus protocol, a bit at a time, most significant first: the drive
; puts the bit on DATA (released for 1) and changes CLK; the C64 sees CLK
; change, reads DATA and changes ATN; the drive sees ATN change and sets
; ATNA to match, so that its acknowledge gate leaves DATA alone.

        .weak
lasttrack = 35
        .endweak

CHKOUT  = $ffc9
CHROUT  = $ffd2
CLRCHN  = $ffcc
SETLFS  = $ffba
SETNAM  = $ffbd
OPEN    = $ffc0
CLOSE   = $ffc3

status  = $1f00
sectors = $2000
src     = $fb           ; C64: the next drive code byte to upload
dest    = $fd           ; C64: where it goes in the drive
clk     = $02           ; C64: CLK as last seen
value   = $03           ; C64: the byte coming in
store   = $04           ; C64: where the next sector goes
incoming = $06          ; C64: the track coming in
count   = $07           ; C64: the bytes of this M-W
drivestart = $0400
chunk   = 32            ; bytes an M-W carries

        * = $0801
        .word +, 10
        .null $9e, format("%d", start)
+       .word 0

start   lda #0
        jsr SETNAM
        lda #15
        ldx #8
        ldy #15
        jsr SETLFS
        jsr OPEN
        lda #<driveimage
        sta src
        lda #>driveimage
        sta src + 1
        lda #<drivestart
        sta dest
        lda #>drivestart
        sta dest + 1
upload  lda #<driveend  ; the bytes left, at most a chunk
        sec
        sbc src
        tax
        lda #>driveend
        sbc src + 1
        bne +
        cpx #chunk
        bcc ++
+       ldx #chunk
+       stx count
        ldx #15
        jsr CHKOUT
        ldx #0
-       lda mw,x
        jsr CHROUT
        inx
        cpx #3
        bne -
        lda dest
        jsr CHROUT
        lda dest + 1
        jsr CHROUT
        lda count
        jsr CHROUT
        ldy #0
-       lda (src),y
        jsr CHROUT
        iny
        cpy count
        bne -
        jsr CLRCHN      ; UNLISTEN: the drive takes the command
        clc
        lda src
        adc #chunk
        sta src
        bcc +
        inc src + 1
+       clc
        lda dest
        adc #chunk
        sta dest
        bcc +
        inc dest + 1
+       lda src
        cmp #<driveend
        lda src + 1
        sbc #>driveend
        bcc upload
        lda #15
        jsr CLOSE

        lda #size(me)
        ldx #<me
        ldy #>me
        jsr SETNAM
        lda #15
        ldx #8
        ldy #15
        jsr SETLFS
        jsr OPEN        ; M-E: the drive code runs

        lda #$40        ; CLK is released
        sta clk
        lda #<sectors
        sta store
        lda #>sectors
        sta store + 1
        lda #1
        sta incoming
nexttrack
        jsr receive
        ldx incoming
        sta status,x
        ldy #0
-       jsr receive
        sta (store),y
        iny
        bne -
        inc store + 1
        inc incoming
        lda incoming
        cmp #lasttrack + 1
        bne nexttrack
        rts

; A byte from the drive into A; keeps Y.
receive ldx #8
-       lda $dd00
        and #$40        ; CLK
        cmp clk
        beq -
        sta clk
        lda $dd00
        asl a           ; DATA into the carry: 1 while it is released
        rol value
        lda $dd00
        eor #$08        ; ATN changes: the bit is taken
        sta $dd00
        dex
        bne -
        lda value
        rts

mw      .text "M-W"
me      .text "M-E", <drivestart, >drivestart

driveimage
        .logical drivestart

; The drive's memory: zero page, the data block at $0200, the code from
; $0400, the raw data block at $0680.
track   = $10           ; the track under the head
want    = $11
sector  = $12
tries   = $13
wanted  = $1c           ; 3 bytes: see encode
bits    = $14           ; the byte going out
atn     = $15           ; ATN as last seen, in bit 7
from    = $16           ; decoding: five GCR bytes from here
to      = $18           ; into four bytes here
groups  = $1a
half    = $1b
t       = $1f           ; scratch
diskport = $1c00        ; VIA 2's port B
gcr     = $20           ; the five GCR bytes being decoded
header  = $30           ; 8 bytes decoded from 10
rawheader = $40         ; 10
data    = $0200         ; 260 bytes decoded from 325
raw     = $0680         ; 325

drive   sei
        lda #$ee        ; CA2 high: byte ready sets V through SO
        sta $1c0c
        lda #$6f        ; the stepper, motor, LED and density are outputs
        sta $1c02
        lda $1c00
        ora #$0c        ; motor and LED on
        sta $1c00
        lda #$1a        ; DATA, CLK and ATNA out, all released
        sta $1802
        lda #0
        sta $1800
        sta atn
        lda $22         ; where the DOS says it left the head
        sta track
        lda #1
        sta want
nextsector
        jsr seek
        lda want
        and #15
        sta sector
        jsr encode
        jsr readsector
        lda #0
        rol a           ; the carry: 0 read, 1 failed
        jsr send
        ldy #0
-       lda data + 1,y
        jsr send
        iny
        bne -
        inc want
        lda want
        cmp #lasttrack + 1
        bne nextsector
        rts             ; back to the DOS

        .include "drivehead.asm"

; The GCR of the wanted sector and track into wanted: 20 bits, the end of
; a header block's first five GCR bytes, as a search for the header
; compares them.
encode  lda #0
        sta wanted
        sta wanted + 1
        sta wanted + 2
        lda sector
        jsr encodebyte
        lda want
encodebyte
        pha
        lsr a
        lsr a
        lsr a
        lsr a
        jsr encodenybble
        pla
        and #15
encodenybble
        tax
        lda gcrcodes5,x
        ldx #5
-       asl a
        rol wanted + 2
        rol wanted + 1
        rol wanted
        dex
        bne -
        rts

; The 4-to-5 code, five bits in each byte's top.
gcrcodes5
        .for n = 0, n < 16, n += 1
        .byte gcrcodes[n] << 3
        .next

; Waits for a sync mark; V is clear when it returns, so the next byte
; ready is the first of a block.
sync    bit $1c00
        bmi sync
        clv
        rts

; Reads the wanted sector into data; carry set when it cannot.
readsector
        lda #100
        sta tries
find    dec tries
        bne +
        sec             ; not found
        rts
+       jsr sync
        bvc *
        clv
        lda $1c01
        cmp #$52        ; a header block: $08 starts with these GCR bits
        bne find
        sta rawheader
        ldx #1
-       bvc *
        clv
        lda $1c01
        sta rawheader,x
        inx
        cpx #10
        bne -
        lda rawheader + 2 ; the sector's and track's GCR: the first
        and #$0f        ; group's last 20 bits
        cmp wanted
        bne find
        lda rawheader + 3
        cmp wanted + 1
        bne find
        lda rawheader + 4
        cmp wanted + 2
        bne find
        jsr sync        ; the data block after it, raw: decoding waits
        ldx #0
-       bvc *
        clv
        lda $1c01
        sta raw,x
        inx
        bne -
-       bvc *
        clv
        lda $1c01
        sta raw + 256,x
        inx
        cpx #325 - 256
        bne -

        lda #<rawheader
        ldx #>rawheader
        ldy #<header
        jsr setdecode
        lda #2
        jsr decode
        lda header
        cmp #$08
        bne find
        lda header + 3
        cmp want
        bne find
        lda header + 2
        cmp sector
        bne find
        eor header + 3
        eor header + 4
        eor header + 5
        cmp header + 1
        bne failed

        lda #<raw
        ldx #>raw
        ldy #<data
        jsr setdecode
        lda #>data
        sta to + 1
        lda #65
        jsr decode
        lda data
        cmp #$07
        bne failed
        ldy #0
        tya
-       eor data + 1,y
        iny
        bne -
        cmp data + 257
        bne failed
        clc
        rts
failed  sec
        rts

setdecode
        sta from
        stx from + 1
        sty to
        lda #0
        sta to + 1
        rts

; Decodes A groups of five GCR bytes at (from) into four bytes each at
; (to), advancing both.
decode  sta groups
group   ldy #4
-       lda (from),y
        sta gcr,y
        dey
        bpl -
        iny
-       jsr nybble
        asl a
        asl a
        asl a
        asl a
        sta bits
        jsr nybble
        ora bits
        sta (to),y
        iny
        cpy #4
        bne -
        clc
        lda from
        adc #5
        sta from
        bcc +
        inc from + 1
+       clc
        lda to
        adc #4
        sta to
        bcc +
        inc to + 1
+       dec groups
        bne group
        rts

; The next five bits of the GCR bytes as the nybble they code.
nybble  lda #0
        ldx #5
-       asl gcr + 4
        rol gcr + 3
        rol gcr + 2
        rol gcr + 1
        rol gcr
        rol a
        dex
        bne -
        tax
        lda nybbles,x
        rts

; The 5-to-4 code; $ff for codes the 4-to-5 code never makes.
nybbles .byte $ff, $ff, $ff, $ff, $ff, $ff, $ff, $ff
        .byte $ff, $08, $00, $01, $ff, $0c, $04, $05
        .byte $ff, $ff, $02, $03, $ff, $0f, $06, $07
        .byte $ff, $09, $0a, $0b, $ff, $0d, $0e, $ff

; Sends A to the C64; keeps Y.
send    sta bits
        ldx #8
-       lda $1800
        and #$fd        ; DATA released: a 1
        asl bits
        bcs +
        ora #$02        ; DATA pulled: a 0
+       eor #$08        ; CLK changes: the bit is there
        sta $1800
-       lda $1800       ; wait for ATN to change
        and #$80
        cmp atn
        beq -
        sta atn
        lda $1800       ; ATNA follows ATN, and the gate lets DATA be
        and #$ef
        bit atn
        bpl +
        ora #$10
+       sta $1800
        dex
        bne --
        rts
        .here
driveend
        .cerror drivestart + driveend - driveimage > raw, format("the drive code takes %d bytes, into its buffers", driveend - driveimage)
