; The decruncher alone at $0200, to run it in the C64 model.
        * = $0200
        .include "decrunch.asm"

; The data is all in: the page below may be read at once.
pagedown
        dec src + 1
        rts

outpagedown
        dec dst + 1
        rts
