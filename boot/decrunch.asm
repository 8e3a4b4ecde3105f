; The decruncher: restores a program crunched by the bundled cruncher, in
; place, from the top down (doc/crunch-format.md has the format).
;
; Call:     src ($FB/$FC) = the address of the crunched data's last byte,
;           the data lying where its load address put it; dst ($FD/$FE) =
;           the program's last address, which the crunched data's first two
;           bytes hold (the loader meets them first).
; Returns:  the program stands at its own addresses; Y = 0, A and X
;           changed. Nothing outside the program, the crunched data, the
;           stack and the zero page below is written.
; Zero page: $FB-$FE (free for programs) and $57-$5C (BASIC's arithmetic
;           scratch, which the KERNAL never uses).
; Size:     at most 256 bytes.

src     = $fb           ; the next stream byte to read; reading goes down
dst     = $fd           ; the next byte to write; writing goes down
from    = $57           ; the byte below the ones a copy reads
offset  = $59           ; of the last match: how far above dst it reads
length  = $5b           ; of the literal run or match being copied
bits    = $5c           ; bits still to use, above a 1 that marks their end

; Takes the next bit into the carry. Only the refill, once in eight bits,
; costs a call.
getbit  .macro
        asl bits
        bne +
        jsr refill
+
        .endm

; The same, with the refill inline: gamma codes take most bits, so their
; loop's first saves the call (the page has no room for the second's).
getbitinline .macro
        asl bits
        bne done
        tax
        lda (src),y
        sec
        rol a
        sta bits
        lda src
        bne low
        dec src + 1
low     dec src
        txa
done
        .endm

; Moves a pointer down by one.
lower   .macro pointer
        lda \pointer
        bne +
        dec \pointer + 1
+       dec \pointer
        .endm

; dst goes down by length: the copy then fills the bytes above it. Leaves
; dst's low byte in A. Inline, as the copy is: a call would cost a match
; more than a tenth of its time.
lowerdst .macro
        lda dst
        sec
        sbc length
        sta dst
        bcs +
        dec dst + 1
+
        .endm

; Copies length bytes from above from to above dst, highest first: a
; match may read what it has just written.
copy    .macro
        ldy length
-       lda (from),y
        sta (dst),y
        dey
        bne -
        .endm

decrunch
        cld             ; a part may have left decimal mode on
        ldy #0          ; Y stays 0 but inside copies
        sty bits        ; no bits: the first one fetches a byte
        beq aftermatch
decrunched
        rts

; The common short codes are read inline: a high byte of 0 (gamma 1) and a
; length of 2 (gamma 1, less one).
newmatch
        tya             ; Y is 0 here
        #getbit         ; the offset's high byte plus one
        bcc +
        jsr gammaone
        bcs decrunched  ; 256: the end mark
        sbc #0          ; the carry is clear: less one
+       sta offset + 1
        lda (src),y     ; the offset's low byte
        sta offset
        #lower src
        lda #2
        #getbit         ; the length less one
        bcc match
        jsr gammaone
        adc #1
match   sta length
        #lowerdst
        clc             ; a match reads offset bytes above where it writes
        adc offset
        sta from
        lda dst + 1
        adc offset + 1
        sta from + 1
        #copy           ; and on, after a match

; After a match, at the start, and after the longest literal run: a
; literal run or a new match. Placed after the match's copy, which falls
; into it, the most common way here.
aftermatch
        #getbit
        bcs newmatch
        #getbit         ; the run's length: a first 0 bit means 1
        bcs longrun
        lda (src),y     ; a single literal, the most common run, is moved
        sta (dst),y     ; without a copy
        #lower src
        #lower dst      ; and on, after literals

; After a literal run: a match at the last offset, or a new match.
afterliterals
        #getbit
        bcs newmatch
        jsr gamma
        bcc match       ; the carry is clear after a length

longrun jsr gammaone
        sta length
        eor #$ff        ; src - length, as src + ~length + 1
        sec
        adc src
        sta src
        sta from
        bcs +
        dec src + 1
+       lda src + 1
        sta from + 1
        #lowerdst
        #copy
        inc length      ; after the longest run, as after a match
        beq aftermatch
        bne afterliterals

; An interlaced Elias gamma code into A: each 1 bit is followed by a bit of
; the value, a 0 ends it. The carry comes back set only when the value
; passed 255, which only the end mark does.
gamma   lda #1
-       #getbitinline
        bcc +
gammabit
        #getbit
        rol a
        bcc -
+       rts

; A gamma code whose first 1 bit has been taken.
gammaone
        lda #1
        bne gammabit

refill  tax             ; A is in use; X is free, and cheaper than the stack
        lda (src),y
        sec             ; the marker that says when the byte is used up
        rol a
        sta bits
        lda src         ; src goes down, as with lower; the carry, the
        bne +           ; bit taken, stays
        dec src + 1
+       dec src
        txa
        rts

        .cerror * - decrunch > 256, format("the decruncher takes %d bytes, more than 256", * - decrunch)
