; The decruncher alone at $E000, to run it in the C64 model.
        * = $e000
        .include "decrunch.asm"
