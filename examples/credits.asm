; Credits, a data part: a text the main part prints. It is loaded and
; decrunched to $E000, in the RAM beneath the KERNAL, and never called.

        * = $e000
credits .text "CODE, GRAPHICS AND MUSIC BY TARV", 13
        .text "THANKS FOR WATCHING", 13, 0
