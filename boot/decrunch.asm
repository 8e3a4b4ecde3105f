; The decruncher: restores a program crunched by the bundled cruncher, in
; place, from the top down (doc/crunch-format.md has the format).
;
; Call:     src ($FB/$FC) = the address of the crunched data's last byte,
;           the data lying where its load address put it; dst ($FD/$FE) =
;           the program's last address, which the crunched data's first two
;           bytes hold (the loader meets them first). The caller supplies
;           pagedown (see nextsrc), which may wait for the data to come,
;           and outpagedown (see lowerdst), which may take some in.
; Returns:  the program stands at its own addresses; Y = 0, A and X
;           changed. Nothing outside the program, the crunched data, the
;           stack, the zero page below and the decruncher's own code (its
;           copies' addresses) is written.
; Zero page: $FB-$FE (free for programs) and $59-$5B (BASIC's arithmetic
;           scratch, which the KERNAL never uses).
; Runs in RAM only: the copies' source addresses are kept in their code.
; Size:     at most 256 bytes.
;
; Bits come in pairs: every token takes an even number of them, so a pair
; never straddles two bit bytes and only a pair's first bit can find its
; byte used up. The second is taken with a bare ASL.

src     = $fb           ; the next stream byte to read; reading goes down
dst     = $fd           ; the next byte to write; writing goes down
offset  = $59           ; of the last match, less one
bits    = $5b           ; bits still to use, above a 1 that marks their end

; Takes a pair's first bit into the carry, fetching the next bit byte when
; this one is used up: inline at each of the three places that take first
; bits, which saves a call for every eighth bit. The keep argument keeps A
; in X meanwhile.
firstbit .macro keep
        asl bits
        bne +
        .if \keep
        tax
        .endif
        lda (src),y
        sec             ; the marker that says when the byte is used up
        rol a
        sta bits
        #nextsrc        ; the carry, the bit taken, stays
        .if \keep
        txa
        .endif
+
        .endm

; Moves src down by one; where it moves into the page below, pagedown
; moves it and comes back once that page may be read (keeping X, Y and
; the carry): the caller's, as the loader may still be bringing the data.
nextsrc .macro
        lda src
        bne +
        jsr pagedown
+       dec src
        .endm

; Moves dst down by one; where it moves into the page below, outpagedown
; moves it, keeping A, X, Y and the carry: the caller's, which the loader
; uses to take a block the drive has ready while the decruncher writes.
lowerdst .macro
        lda dst
        bne +
        jsr outpagedown
+       dec dst
        .endm

decrunch
        cld             ; a part may have left decimal mode on
        ldy #0          ; Y stays 0 but inside copies
        sty bits        ; no bits: the first one fetches a byte
        beq aftermatch

decrunched
        rts

; A match's offset above 128: the gamma code of its high bits, plus one.
farmatch
        jsr gammaone
        cmp #255        ; the end mark
        beq decrunched
        sbc #0          ; the carry is clear: less one
        lsr a           ; the high byte; its lowest bit goes on into the
        sta offset + 1  ; low byte's top
        lda (src),y
        ror a           ; and the length's first bit comes out
        jmp low

; A match's length of 3 or more: the gamma code of the length less one.
longlength
        jsr gammaone
        adc #1          ; the carry is clear after a gamma code
        bcc match

; The common short codes are read inline: high bits of 0 (gamma 1) and a
; length of 2 (its gamma's first bit 0, which comes in the offset's byte).
newmatch
        asl bits        ; the gamma of the offset's high bits, plus one
        bcs farmatch
        sty offset + 1  ; Y is 0 here
        lda (src),y
        lsr a           ; the length's first bit comes out
low     sta offset
        #nextsrc        ; leaves the carry alone
        lda #2
        bcs longlength  ; and on to the copy

; Copies A bytes (1 to 255) from offset + 1 above, moving dst down first:
; the copy fills the bytes above it, highest first, so that a match may
; read what it has just written.
match   tay
        eor #$ff        ; dst - length, as dst + ~length + 1
        sec
        adc dst
        sta dst
        bcs +
        jsr outpagedown
        sec             ; the carry adds the one the offset lacks
+       adc offset
        sta from
        lda dst + 1
        adc offset + 1
        sta from + 1
-       lda $ffff,y     ; an absolute address, kept in the code, reads a
from = * - 2            ; cycle faster than a pointer
        sta (dst),y
        dey
        bne -           ; and on, after a match

; After a match, at the start, and after the longest literal run: a
; literal run or a new match. Placed after the match's copy, which falls
; into it, the most common way here.
aftermatch
        #firstbit false
        bcs newmatch
        asl bits        ; the run's length: a first 0 bit means 1
        bcs longrun
        lda (src),y     ; a single literal, the most common run, is moved
        sta (dst),y     ; without a copy
        #nextsrc
        #lowerdst       ; and on, after literals

; After a literal run: a match at the last offset, or a new match.
afterliterals
        #firstbit false
        bcs newmatch
        asl bits        ; the length: a first 0 bit means 1
        lda #1
        bcc match
        jsr gammaone
        bcc match       ; the carry is clear after a gamma code

; A literal run of 2 to 255 bytes, copied from the stream below src.
longrun jsr gammaone
        tax             ; the length, kept to tell the longest run
        tay
        eor #$ff        ; src - length, as src + ~length + 1
        sec
        adc src
        sta src
        sta literals
        bcs +
        jsr pagedown
+       lda src + 1
        sta literals + 1
        tya
        eor #$ff
        sec
        adc dst
        sta dst
        bcs +
        jsr outpagedown
+
-       lda $ffff,y
literals = * - 2
        sta (dst),y
        dey
        bne -
        inx             ; after the longest run, as after a match
        beq aftermatch
        bne afterliterals

; An interlaced Elias gamma code into A, its first bit (1) taken: each bit
; of the value after the leading 1 is followed by a 1 if more come, a 0 at
; the end. The carry comes back clear.
gammaone
        lda #1
-       #firstbit true
        rol a
        asl bits        ; more?
        bcs -
        rts

        .cerror * - decrunch > 256, format("the decruncher takes %d bytes, more than 256", * - decrunch)
