; The drive code: loads the parts on a 1541 (or a drive that runs 1541
; code) through the drive's own hardware, without its ROM, and hands them
; to the C64 over the serial bus. The boot program sends the bootstrap with
; M-W, starts it with M-E and sends it the rest.
;
; Drive memory map
;   $00-$63      zero page variables ($22 the DOS's, read at the start
;                as a first guess of the head's track), the directory's
;                places of the parts at $30-$63
;   $64-$FE      the GCR tables, headertrack and the small routines called
;                most, copied from the upload at the start
;   $0100-$010F  the stack (the deepest calls take 10 bytes); its first
;                four bytes hold a frame's head while it is sent
;   $0110-$0254  a data block as read, 325 bytes of GCR, decoded in place
;                into its ID, 256 bytes, the checksum and 2 more
;                ($0110-$0213); till the first block comes, the bootstrap's
;                second stage ($0110-$0176) and the upload's first bytes,
;                the start and the zero page's image ($0186-$0254)
;   $0255-$0797  this code
;   $0798-$07FA  the code that reads the directory, once; its last lines,
;                which let CLK go, serve every part's end too
;   $07FB-$07FF  free; the bootstrap comes at the top ($0768-$07FF)
;
; The disk tool's order
;   The disk tool puts each file's blocks on a track seven sectors apart,
;   from sector 0 of each track on (eight where the seventh is taken), and
;   goes on at sector 0 of the next track, the tracks taken from 17 down
;   to 1 and then from 19 up; each part follows the one with the letter
;   before it (on tracks of 21 sectors one or two places on, where its
;   second block comes eight sectors after its first). A part whose second
;   block lies where that order puts it is read a track at a time,
;   whichever of its sectors passes first: the order gives each sector's
;   place in the part, and so where its bytes go (the cruncher writes the
;   data's pieces from its top down: block k's go 254 k below the data's
;   last address, which the head's block holds, and the last block's right
;   above the head's block's). Every block's link is checked against the
;   order; one that breaks it sends the drive back to the part's second
;   block, in the chain's order, which reads any disk.

; Bytes as the drive keeps them
;   Decoding leaves each byte in its sent form, its bits in the order the
;   protocol puts them on the lines and inverted (see sent); a byte the drive
;   itself needs goes through sent again, which is its own inverse.
;
; The protocol (the C64 leads every step; see boot.asm for its side)
;   Commands, C64 to drive: a byte, least significant bit first, a bit at
;   each change of ATN, CLK carrying it (pulled for 1). Meanwhile the drive
;   holds DATA: it is busy until it releases DATA.
;     a letter  the part whose name is that letter and "A": its head
;     0         the part's next frame
;     1-$40     none: the C64 gave the part up, and the lines are set for
;               the next command
;     $80       the end: the drive resets and is a disk drive again
;   Frames, drive to C64: bytes, two bits at each change of ATN, on DATA and
;   CLK; the C64 reads them at least a fixed time after its change, longer
;   than the drive ever takes to answer (13 cycles, 14 us with the clocks
;   out of step).
;     head      126, then the part file's first 126 bytes
;     data      n (1-254), the address for its bytes less one, low byte
;               first, the page of the data's highest address not sent
;               yet (every byte above it is), n bytes
;     end       0, then three bytes of no meaning
;     failed    $FF, and for a data frame three bytes more: the part or
;               the block could not be read
;   A frame's last pair may be read late (an interrupt between the C64's
;   change and its read), so the drive changes the lines after a frame only
;   at the C64's next change of ATN, or, where it does not wait for one
;   (after the end and failed frames), once the C64 has taken a byte of no
;   meaning. After the end frame it reads the head of the part with the
;   next letter while the C64 decrunches and runs this one, holding CLK
;   meanwhile, as it holds it at the start while it reads the directory;
;   the C64 sends a letter only with CLK let go.

track   = $02           ; the track under the head
want    = $03           ; the track of the block to read
sector  = $04           ; and its sector
left    = $05           ; 3 bytes: a bit for each sector of want still to
                        ; read, sector 0 in bit 0 of the first
tries   = $08
seen    = $09           ; headers passed while looking for the block
half    = $0a           ; the stepper's direction
value   = $0b           ; the byte a command brings
t       = $0c           ; scratch
swapped = $0d           ; sent's
sum     = $0e           ; decoding: the bytes' sum so far
groups  = $11           ; decoding: the group
dostrack = $22          ; the DOS's record of the head's track
g       = $12           ; 5 GCR bytes
next    = $17           ; 2: the link of the block in memory, plain
size    = $19           ; bytes in a data frame, then
addr    = $1a           ; 2: one below where its bytes go
inpage  = $1c           ; 2, high byte first: the highest address of the
inlow   = $1d           ; data not sent yet from its top down (a frame's
                        ; head carries inpage after addr)
first   = $1e           ; the block's index of its first byte
pending = $1f           ; 1 while the head's block has bytes left to send
walk    = $2c           ; the sector of track want whose block inlow waits
walkleft = $01          ; for, and the part's blocks there from it on
atn     = $24           ; the bus port as last seen: bit 7, ATN
entry   = $26           ; 3: the directory entry being looked at, then the
                        ; track and sector it names
u       = $29           ; scratch
lastindex = $00         ; the index of the part's last block
rule    = $0f           ; bit 7 set while the part's blocks lie in the
                        ; disk tool's order (below), read as they pass
origin  = $10           ; the index in the part of the block at this
fromsector = $2a        ; sector of track want, the first still to read
                        ; there; in chain order, of the block next names
part    = $2b           ; the letter of the part asked for last
count   = $23           ; the part's blocks on track want
index   = $25           ; a block's index in the part
placesof = (places - 2 * "A") & $ff ; + twice a letter: its place, through
                        ; "Z" + 1, whose track is 0 (the table after places)
base    = $20           ; 2: the part's last block's bytes go above it
datalast = $2d          ; 2: the address of the part's data's last byte,
                        ; from its head's block
ahead   = $2f           ; the letter of the part whose head the buffer holds,
                        ; read ahead; 0 for none
places  = $30           ; 2 a part, from AA to ZA: its first block's track
                        ; and sector, or track 0 for none

buffer  = $0110         ; a data block as read, 325 bytes of GCR, then
gcrend  = buffer + 325  ; decoded in place:
id      = buffer        ; its ID,
block   = id + 1        ; block + 0: the link track, + 1: the link sector,
checksum = block + 256  ; and after the 256 bytes the checksum
heads   = $0100         ; a frame's head, below what the stack ever takes

; The port of VIA 1: the serial bus.
busport = $1800
dataout = $02
clkout  = $08
atnack  = $10
; The port of VIA 2: the disk.
diskport = $1c00
gcrbyte = $1c01

zeropage = places + 2 * 26 ; where the tables and the small routines run
codestart = gcrend - (zeropageend - init)

        .logical codestart
; Runs once, where blocks are read later: the zero page's image into place,
; the VIAs as the code needs them, and then the directory read.
init    ldx #$0f
        txs
        ldx #zeropageend - zeropageimage
-       lda zeropageimage - 1,x
        sta zeropage - 1,x
        dex
        bne -
        lda #$ee        ; CA2 high: byte ready sets V through SO
        sta $1c0c
        lda #$6f        ; the stepper, motor, LED and density are outputs
        sta $1c02
        lda diskport
        ora #$0c        ; motor and LED on
        sta diskport
        lda dostrack    ; where the DOS says it left the head: a first guess,
        sta track       ; which the first header that passes puts right
        lda #0          ; no part found yet, and no head read ahead
        ldx #2 * 26
-       sta ahead,x
        dex
        bpl -
        lda #dataout | clkout ; DATA held: the code runs; CLK held: busy
        sta busport     ; with the directory, which the C64 waits for
        jmp readdirectory
zeropageimage
        .logical zeropage
; The 5-to-4 code, straight into the sent form: a nybble as the high one
; (high) or the low one (low). Codes the 4-to-5 code never makes give 0.
gcrtable .macro shift
        .for q = 0, q < 32, q += 1
        .if q in gcrcodes
        .for n = 0, n < 16, n += 1
        .if gcrcodes[n] == q
        .byte flip(n) << \shift
        .endif
        .next
        .else
        .byte 0
        .endif
        .next
        .endm
high    #gcrtable 4
        .cerror high != places + 2 * 26 || 0 in gcrcodes, "the byte after places must be 0: track 0, no part"
low     #gcrtable 0

; The track a header names, plain, from its GCR's last ten bits: the end
; of g + 1 and g.
headertrack
        lda g + 1
        sta t
        lda g
        asl a
        rol t
        asl a
        rol t
        asl a
        rol t
        lda t
        and #31
        tax
        lda g
        and #31
        tay
; A byte, plain, from the GCR of its high nybble in X and its low in Y.
plainpair
        lda high,x
        ora low,y
        jmp sent

; The link of the block in memory into next, plain.
linkof  ldy #0
        jsr plainat
        sta next
        iny
        jsr plainat
        sta next + 1
        rts

; The byte of the block at Y, plain.
plainat lda block,y
        jmp sent

; A byte to or from its sent form: in each nybble bits 0 and 3 change
; places, and every bit is inverted (see flip). Swapping through the bits
; that differ takes no table; X is kept.
sent    sta t
        lsr a
        lsr a
        lsr a
        eor t
        and #$11        ; bits 0 and 4: where bits 3 and 7 differ from them
        sta swapped
        asl a
        asl a
        asl a
        ora swapped
        eor t
        eor #$ff
        rts

; The bit of sector A in left: Y its byte there, A the bit.
sectorbit
        tax
        lsr a
        lsr a
        lsr a
        tay
        txa
        and #7
        tax
        lda #0
        sec
-       rol a
        dex
        bpl -
        rts

        .here
zeropageend
        .cerror zeropage + zeropageend - zeropageimage > $100, "the zero page is full"

; A part or a block that cannot be read: $FF, the whole frame for a head,
; and three bytes more after it for a data frame.
broken  lda #4
        .byte $2c       ; BIT abs: passes over the LDA
fail    lda #1
        ldx #sentform($ff)
        stx heads
        ldy #0
        jsr sendframe

loop    jsr receive
        bmi quit
        bne letter
        jmp nextframe
quit    jmp ($fffc)     ; the ROM's reset: a disk drive again
letter  cmp #"A"        ; nothing to answer
        bcc loop
        sta part
        ldx #0          ; a head read ahead serves once
        cmp ahead
        stx ahead       ; (STX keeps the flags)
        beq readahead
        jsr findfile
        bcs fail
readahead
        jsr linkof
        lda next        ; a part whose head's block ends before the data's
        bne +           ; last address fails (the file's last byte is at
        lda next + 1    ; the link's sector byte)
        cmp #129
        bcc fail
+       ldy #129        ; the data's last address follows the head:
        jsr plainat     ; nothing is sent yet
        sta datalast + 1
        sta inpage
        dey
        jsr plainat
        sta datalast
        sta inlow
        ldy #3          ; the crunched data goes two bytes above its load
        jsr plainat     ; address, which the file's first two bytes hold,
        sta base + 1    ; the head's 128 bytes after it; the part's last
        dey             ; block's bytes go right above them (base is 129
        jsr plainat     ; above the load address)
        clc
        adc #129
        sta base
        bcc +
        inc base + 1
+       lda datalast    ; the blocks after the head: as many as it takes,
        clc             ; 254 bytes each, to fill what lies above base up
        sbc base        ; to the data's last byte, that is 1 and one more
        sta u           ; for each 254 in that less one (a part of one
        lda datalast + 1 ; block has none: the count the loop comes to
        sbc base + 1    ; there is never used)
        ldx #0
-       inx
        tay
        lda u
        sbc #254
        sta u
        tya
        sbc #0
        bcs -
        stx lastindex
        lda #1          ; the second block's index
        sta origin
        lsr a
        sta rule
        ror pending     ; the head's block has bytes left (the carry)
        jsr rulenext    ; a part whose second block lies where the disk
        cmp next        ; tool puts it is taken to lie so throughout, till
        bne +           ; a block's link says otherwise
        cpx next + 1
        bne +
        sta want
        stx fromsector
        jsr settrack
+       lda base        ; addr: one below where the head's rest goes
        sec
        sbc #128
        sta addr
        lda base + 1
        sbc #0
        sta addr + 1
        lda #sentform(126) ; the head, once all this is done (the C64
        sta block + 1   ; sends the next command soon after its last
        ldy #block + 1 - heads ; pair): its length where the link was, then
        lda #127        ; the file's bytes up to the crunched data
        jsr sendframe
        jmp loop

; A block whose link breaks the disk tool's order: the part is read again
; from its second block, in chain order.
astray  lsr rule        ; (bit 7 clear)
        lda #1
        sta origin
        lda entry + 1
        sta want
        lda entry + 2
        sta sector
        jsr rulenext
        sta next
        stx next + 1
nextframe
        bit pending
        bpl +
        ldy #128        ; the rest of the head's block, at addr
        jmp frame
+       bit rule
        bmi anyblock
        lda next        ; in chain order
        bne chainblock
end     lda #0          ; (addr and inpage mean nothing)
        jsr sendhead
        lda #dataout | clkout ; busy with the head of the part with the next
        sta busport     ; letter, which the C64 asks for most often
        ldx part
        inx
        stx value
        jsr findfile
        bcs +
        lda value
        sta ahead
+       jmp letgo
chainblock
        sta want
        lda next + 1
        sta sector
        jsr readblock
        bcs tobroken
        lda origin
        inc origin
        bcc gotblock    ; (read: the carry is clear)
anyblock
        lda left        ; as they pass: a sector of this track still to
        ora left + 1    ; read, or the next track's
        ora left + 2
        bne readone
        lda origin      ; the next track's first block follows this one's
        clc
        adc count
        sta origin
        lda lastindex   ; unless this track held the part's last
        cmp origin
        bcc end
        lda #0
        sta fromsector
        lda want
        jsr nexttrack
        sta want
        jsr settrack
readone jsr readany
        bcc +
tobroken
        jmp broken
+       lda sector      ; read
        jsr sectorbit
        eor #$ff
        and left,y
        sta left,y
        lda origin      ; its index: origin, and one for each sector
        sta index       ; from fromsector on to it in the disk tool's order
        lda fromsector
-       cmp sector
        beq +
        inc index
        jsr sectorafter
        bcc -
        bcs tobroken
+       lda index
gotblock
        jsr placeof
        jsr linkof
        bit rule
        bmi inorder
        lda addr        ; in chain order every block above this one is
        sta inlow       ; sent
        lda addr + 1
        sta inpage
        bne framed      ; (parts lie above the zero page)
inorder lda next        ; the last block has no link to check
        beq walkon
        jsr rulenext
        cmp next
        bne +
        cpx next + 1
        beq walkon
+       jmp astray
; In the disk tool's order inpage and inlow go 254 down for each block of
; the track read from walk on, in the order, up to one still to read:
; everything above them is sent, and the C64 may decrunch it while pieces
; from below come early.
walkon  lda walkleft
        beq framed
        lda walk
        jsr sectorbit
        and left,y
        bne framed      ; still to read
        dec walkleft
        lda inlow       ; 254 lower
        clc
        adc #2
        sta inlow
        bcs +
        dec inpage
+       lda walk
        jsr sectorafter
        sta walk
        bcc walkon      ; (walkleft runs out at the track's last)
framed  ldy #2
frame   sty first
        lsr pending
        lda #255        ; the last block ends at its link's sector byte
        ldx next
        bne +
        lda next + 1
+       sec             ; the bytes from first to there
        sbc first
        adc #0          ; the carry is set: plus one
        sta size
        jsr sendsized
        ldy first
        lda size
        jsr sendmore
        jmp loop

; Sends a frame's head: A (sendhead) or size (sendsized), addr and inpage.
sendhead
        sta size
sendsized
        ldx #3
-       lda size,x
        jsr sent
        sta heads,x
        dex
        bpl -
        ldy #0
        lda #4
        jmp sendframe

; Finds the first block of the part the command names, a file whose name
; is that letter and "A", from the places the directory gives the parts,
; and reads it. Carry set when there is none or it cannot be read.
findfile
        lda value       ; (a letter; past "Z" only from the read-ahead,
        cmp #"Z" + 2    ; where the table after places gives track 0)
        bcs nofile
        asl a
        tax
        lda placesof,x
        beq nofile
        sta entry + 1
        sta want
        lda placesof + 1,x
        sta entry + 2
        sta sector
        jmp readblock
nofile  sec
        rts

; The disk tool's order: on each track from sector 0, seven sectors on
; each time, or eight where the seventh is taken; then sector 0 of the next
; track. The block after the one at want and sector: its track in A, its
; sector in X.
rulenext
        lda sector
        jsr sectorafter
        tax
        lda want
        bcc tracked
        ldx #0
; The track after track A in the disk tool's order: down from 17 to 1,
; then up from 19. X is kept.
nexttrack
        cmp #18
        bcs up
        sbc #0          ; carry clear: one down
        bne tracked
        lda #18         ; below track 1: past the directory's (the carry
up      adc #0          ; is set: one up)
tracked rts

; The sector after sector A of track want in that order, in A; carry set
; when A is the track's last.
sectorafter
        tax
        lda want
        jsr zoneof
        txa
        cmp lastin,y
        beq +           ; (the carry set)
        clc
        adc #7
        cmp sectorsin,y
        bcc +
        sbc sectorsin,y ; past the end: from the start again (the carry
        cpy #3          ; set); where 7 divides the track's sectors the
        adc #0          ; sector there is taken: one further
+       rts
lastin  .byte 10, 11, 12, 20 ; the order's last sector on a track of 17, 18,
                        ; 19 and 21 sectors

; Where block A's bytes go, less one, into addr: the part's last block's
; right above the head's, from base + 1 on, and any other's 254 A below
; the data's last byte (the cruncher writes the data's pieces from its top
; down, for the decruncher reads it so).
placeof cmp lastindex
        bne +
        lda base
        sta addr
        lda base + 1
        sta addr + 1
        rts
+       ldx #0
        stx t
        sta u
        asl a
        rol t
        clc
        adc datalast
        sta addr
        lda datalast + 1
        adc t
        sec
        sbc u
        sta addr + 1
        rts

; Into left, the sectors of track want from fromsector on in the disk
; tool's order, up to the track's last or to the part's last block (whose
; index is lastindex, fromsector's being origin); into count, how many;
; and that the part is read in the disk tool's order.
settrack
        lda #0
        sta left
        sta left + 1
        sta left + 2
        sta count
        lda fromsector
-       sta u
        jsr sectorbit
        ora left,y
        sta left,y
        inc count
        lda count       ; the block's index after this one
        clc
        adc origin
        sbc lastindex   ; (the carry is clear: less one more)
        beq +
        lda u
        jsr sectorafter
        bcc -
+       lda fromsector  ; what is sent reaches down to there
        sta walk
        lda count
        sta walkleft
        lda #$80        ; the part is read in the disk tool's order
        sta rule
        rts

; Takes a command: a bit at each change of ATN, CLK carrying it, least
; significant first. DATA stays held meanwhile: the drive is busy. CLK is
; let go only once ATN changes, for until then the C64 may still be
; reading the frame's last pair from it.
receive lda #$80        ; the marker: when it leaves, eight bits are in
        sta value
-       lda busport
        eor atn
        bpl -
        eor atn
        sta atn
        lda #dataout
        sta busport
        lda busport
        lsr a
        lsr a
        lsr a           ; CLK: the bit
        ror value
        bcc -
        lda value
        rts

; Sends A bytes from heads + Y (sendframe) or block + Y (sendmore), in
; their sent form, a pair of bits at each
; change of ATN; sendframe lets DATA go, which tells the C64 the frame is
; ready (ATN is released between frames, so the acknowledge stays low).
; The C64 changes ATN at least 20 of its cycles apart (19.6 us on NTSC) and
; reads a pair 16 after its change: the drive answers within 14 us while
; it polls, so the work after each pair must end within 9 cycles, or its
; lateness would grow from step to step; after the second pair, which
; shifts the upper nybble down in 12, the C64 waits 23 (22.5 us). The next
; byte is fetched before the last pair goes. Leaves Y past the last.
sendframe
        ldx #<heads
        .byte $2c       ; BIT abs: passes over the LDX
sendmore
        ldx #<block
        stx firstbyte + 1 ; (heads and block share a page)
        stx nextbyte + 1
        sty t           ; where Y starts
        clc
        adc t
        sta lastbyte + 1
        cpx #<heads
        bne firstbyte
        lda #0          ; DATA let go: the C64 takes longer to come to the
        sta busport     ; first change than the drive to fetch the byte
firstbyte
        ldx block,y
        txa
        ora #atnack     ; bits 1 and 3, ATN pulled: the acknowledge
                        ; matching it
pulledpair
-       bit busport     ; (bits 5-7 are inputs)
        bpl -
        sta busport
        txa
        asl a           ; bits 0 and 2
        and #~atnack
        iny
-       bit busport     ; released
        bmi -
        sta busport
        txa             ; bits 5 and 7
        lsr a
        lsr a
        lsr a
        lsr a
        ora #atnack
-       bit busport
        bpl -
        sta busport
        asl a           ; bits 4 and 6
        and #~atnack
nextbyte
        ldx block,y
-       bit busport
        bmi -
        sta busport
        txa
        ora #atnack
lastbyte
        cpy #0
        bne pulledpair
        rts

; A nybble's bits 0, 2, 1 and 3, inverted, as bits 3-0.
flip    .sfunction n, ((n & 1) << 3 | (n & 4) | (n & 2) | (n >> 3)) ^ 15
sentform .sfunction b, flip(b >> 4) << 4 | flip(b & 15)

; Reads the block at want and sector into block, decoded (readblock), or
; any block of track want whose sector has its bit in left (readany),
; whichever passes first; sector is then the one read. Carry set when it
; cannot, after three tries.
readblock
        lda #0
        sta left
        sta left + 1
        sta left + 2
        lda sector
        jsr sectorbit
        sta left,y
readany jsr seek
        lda #3
        sta tries
retry   lda #64         ; three turns of the disk, and more
        sta seen
        bne find
lost    lda diskport    ; no sync, or neither block after it: the head may
        clc             ; rest on a track of another zone than the density
        adc #$20        ; is set for, so the next density is tried
        sta diskport
find    dec seen
        bne +
missing sec             ; no such header
        rts
+       jsr sync
        bcs lost
        bvc *
        clv
        lda gcrbyte
        cmp #$55        ; a data block: $07 starts with these GCR bits
        beq find
        cmp #$52        ; a header block: $08
        bne lost
        ldx #4          ; its second to fifth GCR bytes: the checksum's
-       bvc *           ; end, the sector and the track
        clv
        lda gcrbyte
        sta g - 1,x     ; g + 3 ... g + 0
        dex
        bne -
        lda g + 3       ; the rest of the header block's $08: a sector
        and #$c0        ; whose first byte is another is no header
        cmp #$40
        bne find
        jsr headertrack ; (the header's gap and the data block's sync
        cmp want        ; leave some 450 cycles for these)
        bne elsewhere
        lda g + 1       ; the sector: its GCR's ten bits before the
        asl a           ; track's
        lda g + 2
        and #15
        rol a
        tax
        lda g + 1
        lsr a
        lsr a
        and #31
        tay
        jsr plainpair
        sta sector
        jsr sectorbit
        and left,y
        beq find
        jsr sync        ; the data block after it
        bcs failed
        ldy #0          ; its 325 GCR bytes into the buffer: 256, then the
-       bvc *           ; rest a page up (18 cycles a byte, of the 26 the
        clv             ; fastest zone gives)
        lda gcrbyte
        sta buffer,y
        iny
        bne -
-       bvc *
        clv
        lda gcrbyte
        sta buffer + 256,y
        iny
        cpy #325 - 256
        bne -
        jsr decode
        lda id
        cmp #sentform($07) ; a data block
        bne bad
        lda sum         ; the sum of all 260 bytes, less the ID and the two
        eor id          ; after the checksum: in sent form they differ by
        eor checksum + 1 ; all bits when the block's 256 bytes and its
        eor checksum + 2 ; checksum sum to 0
        cmp #$ff
        bne bad
        clc
        rts
bad     dec tries
        beq failed
        jmp retry
failed  sec
        rts

; The head is on another track than the one it was moved to: the DOS's
; record was stale, or the stepper slipped. The header says where it is,
; and the head moves on from there.
elsewhere
        sta track
        jsr seek
        jmp find

        .include "drivehead.asm"

; Waits for a sync mark, about 56 ms, five times as long as a track goes
; without one; V is clear when it returns, so the next byte ready is the
; first of a block. Carry set when none came.
sync    ldy #0
        ldx #20
-       bit diskport
        bpl +
        dey
        bne -
        dex
        bne -
        sec
        rts
+       clv
        clc
        rts

; Decodes the 65 GCR groups of the buffer, five bytes into four each, in
; place: group n's bytes come from buffer + 5n and go to buffer + 4n, below
; what later groups read, so id, block and checksum come out where the GCR
; was. Each byte is left in its sent form and summed into sum on the way.
; X keeps where the group starts (a page less from group 52 on), Y counts
; the bytes made.
decode  ldx #0
        ldy #0
        sty sum
group
from0   lda buffer,x
        sta g
from1   lda buffer + 1,x
        sta g + 1
from2   lda buffer + 2,x
        sta g + 2
from3   lda buffer + 3,x
        sta g + 3
from4   lda buffer + 4,x
        sta g + 4
        stx groups
        lda g           ; q0: g0 bits 7-3
        lsr a
        lsr a
        lsr a
        tax
        lda high,x
        sta t
        lda g + 1       ; q1: g0 bits 2-0, g1 bits 7-6, shifted up into
        asl a           ; g's low bits, q0 being done with g
        rol g
        asl a
        rol g
        lda g
        and #31
        tax
        lda low,x
        ora t
store0  sta id,y
        iny
        eor sum
        sta sum
        lda g + 1       ; q2: g1 bits 5-1
        lsr a
        and #31
        tax
        lda high,x
        sta t
        lda g + 1       ; q3: g1 bit 0, g2 bits 7-4
        lsr a
        lda g + 2
        ror a
        lsr a
        lsr a
        lsr a
        tax
        lda low,x
        ora t
store1  sta id,y
        iny
        eor sum
        sta sum
        lda g + 3       ; q4: g2 bits 3-0, g3 bit 7
        asl a
        lda g + 2
        and #15
        rol a
        tax
        lda high,x
        sta t
        lda g + 3       ; q5: g3 bits 6-2
        lsr a
        lsr a
        and #31
        tax
        lda low,x
        ora t
store2  sta id,y
        iny
        eor sum
        sta sum
        lda g + 4       ; q6: g3 bits 1-0, g4 bits 7-5, shifted up into
        asl a           ; g3's low bits, q4 and q5 being done with g3
        rol g + 3
        asl a
        rol g + 3
        asl a
        rol g + 3
        lda g + 3
        and #31
        tax
        lda high,x
        sta t
        lda g + 4       ; q7: g4 bits 4-0
        and #31
        tax
        lda low,x
        ora t
store3  sta id,y
        iny
        eor sum
        sta sum
        lda groups      ; the next group's first byte
        clc
        adc #5
        tax
        bcc +
        inc from0 + 2   ; past the page: from group 52 on the reads take
        inc from1 + 2   ; a page more than X
        inc from2 + 2
        inc from3 + 2
        inc from4 + 2
+       tya
        beq lastgroup   ; Y back at 0: group 63 is done
        cmp #4
        bne +
        lda store0 + 2  ; Y at 4: after group 0, or after the last
        cmp #>id
        bne decoded
+       jmp group
lastgroup
        inc store0 + 2  ; the last group's bytes lie 256 above where Y,
        inc store1 + 2  ; back at 0, puts them
        inc store2 + 2
        inc store3 + 2
        jmp group
decoded dec store0 + 2
        dec store1 + 2
        dec store2 + 2
        dec store3 + 2
        dec from0 + 2
        dec from1 + 2
        dec from2 + 2
        dec from3 + 2
        dec from4 + 2
        rts

mainend
; Runs once, from the upload's end, before the first letter: reads the
; directory on track 18 and keeps where each part starts, a file whose
; name is a letter and "A". Its last lines, which let CLK go, serve every
; part's end as well; what comes next may take the rest's place.
readdirectory
        lda #18
        sta want
        lda #1
        sta sector
directorysector
        jsr readblock
        bcs letgo       ; the parts found so far stand
        ldy #2
nextentry
        lda block,y     ; (bytes compared in their sent form: a sector's
        cmp #sentform(0) ; entries are looked through while the next
        beq passed      ; directory sector passes) the type: 0 deleted
        lda block + 4,y ; the name's second letter and the end after it
        cmp #sentform("A")
        bne passed
        lda block + 5,y
        cmp #sentform($a0)
        bne passed
        lda block + 3,y ; its first letter
        jsr sent
        sec
        sbc #"A"
        cmp #26
        bcs passed
        asl a
        tax
        lda places,x    ; the first of the same name counts, as the DOS's
        bne passed
        lda block + 1,y ; its first block's track
        jsr sent
        sta places,x
        lda block + 2,y ; and sector
        jsr sent
        sta places + 1,x
passed  tya
        clc
        adc #32
        tay
        bcc nextentry
        jsr linkof
        lda next + 1
        sta sector
        lda next
        sta want
        bne directorysector
letgo   lda #dataout    ; CLK let go: the C64 may send a letter (from an
        sta busport     ; end frame too, so this stays)
        jmp loop

codeend
        .cerror >heads != >block, "heads and block must share a page"
        .cerror codeend > $0800, format("the drive code's upload runs to $%04x, past the drive's RAM", codeend)
        .cerror codestart < stage2run + stage2runsize, "the upload starts over the second stage"
        .here

; The bootstrap, in two stages. The first, small enough for one M-W
; (35 bytes), takes the bytes of the second a bit at each change of ATN
; and runs into them; the second moves itself down to where blocks are
; read later, below where the upload starts, and takes this code two bits
; at each change, on CLK and DATA. Both come at the top of the DOS's last
; buffer, which the upload then covers.
stage2  = $0800 - stage2size
stage2run = buffer
stage1  = stage2 - 35
reached = $00           ; the bus port as the first stage last saw it: bit
                        ; 7, ATN
uploadend = (codeend + 255) >> 8 ; the page after the upload's last byte

; The M-W command that carries the first stage, as the boot program sends it.
stage1command
        .text "M-W", <stage1, >stage1, stage1end - stage1image
stage1image
        .logical stage1
        sei
        lda #dataout    ; DATA held: the bootstrap runs
        sta busport
        sta reached     ; ATN released, as the C64 left it (bit 7 clear)
        ldx #$100 - stage2size ; X counts the second stage's bytes up to 0
nextstage
        ldy #8
waitbit lda busport
        eor reached
        bpl waitbit
        eor reached
        sta reached
        lsr a
        lsr a
        lsr a           ; CLK: the bit
        ror stage2 + stage2size - $100,x
        dey
        bne waitbit
        inx
        bne nextstage
        .cerror * != stage2, "the first stage must run into the second"
        .here
stage1end

stage2image
        .logical stage2
        ldx #stage2runsize
-       lda stage2body - 1,x
        sta stage2run - 1,x
        dex
        bne -
        jmp stage2run
stage2body
        .logical stage2run
        lda #0          ; DATA let go: the C64 drives both lines now
        sta busport
        tay             ; Y: the released pairs' answer, X: the pulled ones'
        ldx #atnack     ; (the acknowledge matching ATN leaves DATA to the
                        ; C64)
; A byte's bits come in pairs, DATA and CLK (port bits 0 and 2) pulled for
; 1: bits 0 and 2, 1 and 3, 4 and 6, 5 and 7. The C64 waits after each pair
; 14 cycles and the work after it here (see sendcode in boot.asm).
nextcode
pulled0 bit busport
        bpl pulled0
        stx busport
        lda busport
        and #5
        sta value
released1
        bit busport
        bmi released1
        sty busport
        lda busport
        and #5
        asl a
        ora value
        sta value
pulled2 bit busport
        bpl pulled2
        stx busport
        lda busport
        and #5
        asl a
        asl a
        asl a
        asl a
        ora value
        sta value
released3
        bit busport
        bmi released3
        sty busport
        lda busport
        and #5
        asl a
        asl a
        asl a
        asl a
        asl a
        ora value
store   sta codestart
        inc store + 1
        bne nextcode
        inc store + 2   ; the upload runs to the end of its last page (what
        lda store + 2   ; the C64 sends past the code lands where nothing
        cmp #uploadend  ; lies yet): a page ends it, not a byte
        bne nextcode
        jmp init
        .here
stage2runsize = * - stage2body

        .here
stage2size = * - stage2image
