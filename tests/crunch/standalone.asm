; The decruncher alone at $0200, to run it in the C64 model.
        * = $0200
        .include "decrunch.asm"
