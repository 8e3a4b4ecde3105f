; A self-checking 6502 program that runs every documented instruction.
; Loaded raw at $0400 into an all-RAM machine and started at $0400, it ends
; in a jump to itself at "success" ($0403) when every check passes. A check
; that fails branches to itself ("bne *"), so the address the run stops at
; names the check.
;
; Memory: $10 and $0310 hold the operand of the memory modes; X = Y = 3
; reach them through $0D,X and $030D,X/Y; ($20,X) and ($24),Y point at
; them. $02, $FF and $00 hold pointers for the wrap-around checks. The
; BRK vector at $FFFE is set before BRK runs.

value   = $10
avalue  = $0310
xbase   = value - 3
axbase  = avalue - 3

; The corpus of the cruncher assembles it higher, where a crunched part
; may load.
        .weak
origin  = $0400
        .endweak

        * = origin
        jmp main
success jmp success

; Compares A and the status register (B and bit 5 always read as set),
; then puts A and the flags back as they were.
expect  .macro result, flags
        php
        cmp #\result
        bne *
        pla
        pha
        cmp #(\flags) | $30
        bne *
        lda #\result
        plp
        .endm

carry   .macro on
        .if \on
        sec
        .else
        clc
        .endif
        .endm

; Loads A, sets the carry and runs the operation in each of its eight
; memory modes on the same operand.
alu     .macro op, ain, cin, operand, aout, flags
        lda #\operand
        sta value
        sta avalue
        .for mode := 0, mode < 8, mode += 1
        ldx #3
        ldy #3
        clv
        #carry \cin
        lda #\ain
        .switch mode
        .case 0
        \op #\operand
        .case 1
        \op value
        .case 2
        \op xbase,x
        .case 3
        \op avalue
        .case 4
        \op axbase,x
        .case 5
        \op axbase,y
        .case 6
        \op ($20-3,x)
        .case 7
        \op ($24),y
        .endswitch
        #expect \aout, \flags
        .next
        .endm

; A read-modify-write operation on memory in its four modes.
rmw     .macro op, vin, cin, vout, flags
        .for mode := 0, mode < 4, mode += 1
        lda #\vin
        sta value
        sta avalue
        ldx #3
        clv
        #carry \cin
        .switch mode
        .case 0
        \op value
        .case 1
        \op xbase,x
        .case 2
        \op avalue
        .case 3
        \op axbase,x
        .endswitch
        php
place   := mode >= 2 ? avalue : value
        lda #\vout
        cmp place
        bne *
        pla
        cmp #(\flags) | $30
        bne *
        .next
        .endm

main    cld
        cli
        ldx #$ff
        txs
        lda #<avalue
        sta $20
        lda #>avalue
        sta $21
        lda #<axbase
        sta $24
        lda #>axbase
        sta $25

; Loads and transfers.
        lda #$80
        #expect $80, $80
        lda #0
        #expect 0, $02
        #alu lda, $00, 0, $7f, $7f, $00
        #alu lda, $00, 0, $00, $00, $02
        ldx #$81
        txa
        #expect $81, $80
        ldy #$00
        tya
        #expect $00, $02
        lda #$c3
        tax
        cpx #$c3
        bne *
        tay
        cpy #$c3
        bne *
        tsx
        cpx #$ff
        bne *
        ldx #$fd
        txs
        tsx
        cpx #$fd
        bne *
        ldx #$ff
        txs
        lda #$42
        sta value
        sta avalue
        ldx value
        cpx #$42
        bne *
        ldy #3
        ldx xbase,y        ; LDX zp,Y
        cpx #$42
        bne *
        ldx avalue
        cpx #$42
        bne *
        ldx axbase,y
        cpx #$42
        bne *
        ldx #3
        ldy value
        cpy #$42
        bne *
        ldy xbase,x
        cpy #$42
        bne *
        ldy avalue
        cpy #$42
        bne *
        ldy axbase,x
        cpy #$42
        bne *

; Stores in every mode.
; Clears both operand places, so a store shows in the one it reaches.
clear   .macro
        pha
        lda #0
        sta value
        sta avalue
        pla
        .endm
stored  .macro place
        lda \place
        cmp #$5a
        bne *
        .endm
        ldx #3
        ldy #3
        lda #$5a
        #clear
        sta value
        #stored value
        lda #$5a
        #clear
        sta xbase,x
        #stored value
        lda #$5a
        #clear
        sta avalue
        #stored avalue
        lda #$5a
        #clear
        sta axbase,x
        #stored avalue
        lda #$5a
        #clear
        sta axbase,y
        #stored avalue
        lda #$5a
        #clear
        sta ($20-3,x)
        #stored avalue
        lda #$5a
        #clear
        sta ($24),y
        #stored avalue
        ldx #$5a
        #clear
        stx value
        #stored value
        ldy #3
        #clear
        stx xbase,y
        #stored value
        #clear
        stx avalue
        #stored avalue
        ldx #3
        ldy #$5a
        #clear
        sty value
        #stored value
        #clear
        sty xbase,x
        #stored value
        #clear
        sty avalue
        #stored avalue

; Logic and arithmetic in all modes.
        #alu ora, $0f, 0, $f0, $ff, $80
        #alu ora, $00, 0, $00, $00, $02
        #alu and, $f0, 0, $3c, $30, $00
        #alu and, $0f, 0, $f0, $00, $02
        #alu eor, $ff, 0, $0f, $f0, $80
        #alu eor, $55, 0, $55, $00, $02
        #alu adc, $01, 0, $01, $02, $00
        #alu adc, $7f, 0, $01, $80, $c0
        #alu adc, $ff, 1, $00, $00, $03
        #alu adc, $80, 0, $80, $00, $43
        #alu sbc, $05, 1, $03, $02, $01
        #alu sbc, $05, 0, $05, $ff, $80
        #alu sbc, $80, 1, $01, $7f, $41
        #alu cmp, $40, 0, $40, $40, $03
        #alu cmp, $40, 0, $41, $40, $80
        #alu cmp, $40, 0, $3f, $40, $01
        lda #$40
        sta value
        sta avalue
        ldx #$40
        cpx #$40
        #expect $40, $03
        cpx value
        #expect $40, $03
        cpx avalue
        #expect $40, $03
        ldy #$30
        cpy #$40
        #expect $40, $80
        cpy value
        #expect $40, $80
        cpy avalue
        #expect $40, $80

; Decimal mode, with the flags an NMOS chip leaves.
        sed
        clc
        lda #$15
        adc #$27
        #expect $42, $08
        sec
        lda #$99
        adc #$00
        #expect $00, $89
        clc
        lda #$58
        adc #$46
        #expect $04, $c9
        sec
        lda #$42
        sbc #$15
        #expect $27, $09
        sec
        lda #$00
        sbc #$01
        #expect $99, $88
        cld

; Shifts, rotates, increments and decrements.
        lda #$81
        asl a
        #expect $02, $01
        lda #$81
        lsr a
        #expect $40, $01
        sec
        lda #$40
        rol a
        #expect $81, $80
        sec
        lda #$02
        ror a
        #expect $81, $80
        #rmw asl, $c0, 0, $80, $81
        #rmw lsr, $01, 0, $00, $03
        #rmw rol, $80, 1, $01, $01
        #rmw ror, $01, 0, $00, $03
        #rmw inc, $ff, 0, $00, $02
        #rmw dec, $00, 0, $ff, $80
        clc
        ldx #$ff
        inx
        bne *
        txa
        #expect $00, $02
        dex
        txa
        cmp #$ff
        bne *
        ldy #$7f
        iny
        tya
        cmp #$80
        bne *
        dey
        tya
        cmp #$7f
        bne *

; BIT copies bits 7 and 6 into N and V.
        lda #$c0
        sta value
        sta avalue
        clc
        lda #$01
        bit value
        #expect $01, $c2
        lda #$40
        bit avalue
        #expect $40, $c0

; Flag instructions and branches, taken and not.
        sec
        bcc *
        bcs +
        jmp *
+       clc
        bcs *
        bcc +
        jmp *
+       lda #0
        bne *
        beq +
        jmp *
+       lda #1
        beq *
        bne +
        jmp *
+       lda #$80
        bpl *
        bmi +
        jmp *
+       lda #1
        bmi *
        bpl +
        jmp *
+       lda #$7f
        adc #1
        bvc *
        bvs +
        jmp *
+       clv
        bvs *
        bvc +
        jmp *
+       sei
        php
        pla
        and #$04
        beq *
        cli
        php
        pla
        and #$04
        bne *
        nop

; The stack: push, pull, and the wrap from $01FF to $0100.
        lda #$a5
        pha
        lda #0
        pla
        #expect $a5, $80
        lda #$ff
        pha
        lda #$00
        plp
        php
        pla
        cmp #$ff
        bne *
        lda #$5a
        sta $0100
        pla                ; SP was $FF: the pull wraps to $0100
        cmp #$5a
        bne *
        tsx
        cpx #$00
        bne *
        lda #$3c
        pha                ; SP $00: the push goes to $0100, SP wraps to $FF
        lda $0100
        cmp #$3c
        bne *
        tsx
        cpx #$ff
        bne *

; Jumps and calls: JMP ($xxFF) takes its high byte from $xx00.
        lda #<jumped
        sta $02ff
        lda #>jumped
        sta $0200
        lda #$ff
        sta $0300
        jmp ($02ff)
        jmp *
jumped  lda #<called
        sta $40
        lda #>called
        sta $41
        jmp ($0040)
        jmp *
called  jsr subroutine
retsite lda #0
        cmp $42
        beq *
        jmp breaks
subroutine
        pla
        cmp #<(retsite - 1)
        bne *
        pla
        cmp #>(retsite - 1)
        bne *
        lda #>(retsite - 1)
        pha
        lda #<(retsite - 1)
        pha
        inc $42
        rts

; BRK pushes the address after its padding byte and the status with B set;
; RTI returns there.
breaks  lda #<handler
        sta $fffe
        lda #>handler
        sta $ffff
        lda #$00
        pha
        plp
        brk
brksite .byte $02          ; never run: RTI skips it
        jmp wraps
handler php
        pla
        and #$04           ; BRK sets I
        beq *
        pla
        cmp #$30           ; the pushed status: B and bit 5
        bne *
        pha
        tsx
        lda $0102,x
        cmp #<(brksite + 1)
        bne *
        lda $0103,x
        cmp #>(brksite + 1)
        bne *
        rti

; Page-zero addressing never leaves page 0.
wraps   lda #$11
        sta value
        lda #$22
        sta value + $100
        ldx #$f0
        lda value + $10,x  ; $20 + $F0 wraps to $10
        cmp #$11
        bne *
        ldy #$f3
        ldx value + $100 - $f3,y  ; $1D + $F3 wraps to $10
        cpx #$11
        bne *
        lda #<avalue
        sta $02
        lda #>avalue
        sta $03
        lda #$77
        sta avalue
        ldx #$12
        lda ($f0,x)        ; the pointer is at $02, not $0102
        cmp #$77
        bne *
        lda #<avalue
        sta $ff
        lda #>avalue
        sta $00
        ldy #0
        lda ($ff),y        ; the pointer's high byte comes from $00
        cmp #$77
        bne *
        jmp success
