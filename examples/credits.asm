; Credits, a data part: a text the main part prints. It is loaded and
; decrunched to $4000 but never called.

        * = $4000
credits .text "CODE, GRAPHICS AND MUSIC BY TARV", 13
        .text "THANKS FOR WATCHING", 13, 0
