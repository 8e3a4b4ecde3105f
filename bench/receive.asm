; Times the fast path's receiving loop in the C64 model: the boot program
; (boot.prg, its load address cut) where it loads, and at $C000 a caller
; that puts the fast path's code in its slot, turns the screen off (no bad
; lines) and interrupts off, and receives `bytes` bytes to $4000 on. No
; drive answers: the loop never waits, so its cycles are its own. The
; labels of the boot program come as -D definitions.

        * = $0801
        .binary "boot.prg", 2

        * = $c000
        sei
        lda #$0b        ; the screen off
        sta $d011
        ldx #0
-       lda fastimage,x
        sta pathslot,x
        inx
        cpx #fastend - fastimage
        bne -
        lda #<$3fff     ; one below where the bytes go
        sta ptr
        lda #>$3fff
        sta ptr + 1
        lda #bytes
        sta count
        ldy #0
        clv             ; RAM beneath the I/O area not wanted
        jsr receive
        jmp *
