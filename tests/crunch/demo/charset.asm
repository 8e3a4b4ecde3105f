; A charset and the screen built from it, as a character-graphics part
; keeps them: 256 tiles in eight families (dither levels, lines, bars,
; diagonals, quarter circles, bricks, checkers, the first family inverted)
; and 1000 screen codes that lay them out in bands.

bayer8  = [0, 32, 8, 40, 2, 34, 10, 42, 48, 16, 56, 24, 50, 18, 58, 26, 12, 44, 4, 36, 14, 46, 6, 38, 60, 28, 52, 20, 62, 30, 54, 22, 3, 35, 11, 43, 1, 33, 9, 41, 51, 19, 59, 27, 49, 17, 57, 25, 15, 47, 7, 39, 13, 45, 5, 37, 63, 31, 55, 23, 61, 29, 53, 21]

dithered .function level, row
bits    := 0
        .for column = 0, column < 8, column += 1
bits    := bits << 1 | (bayer8[row * 8 + column] < level * 2 ? 1 : 0)
        .next
        .endf bits

quarter .function radius, corner, row
bits    := 0
        .for column = 0, column < 8, column += 1
dx      := corner & 1 ? 7 - column : column
dy      := corner & 2 ? 7 - row : row
bits    := bits << 1 | (dx * dx + dy * dy < radius * radius ? 1 : 0)
        .next
        .endf bits

tilerow .function tile, row
family  := tile >> 5
v       := tile & 31
        .endf family == 0 ? dithered(v, row) : family == 1 ? ((row - v % 8) % 8 <= v / 8 ? $ff : 0) : family == 2 ? (($ff00 >> (v / 8 + 1)) & $ff) >> (v % 8) : family == 3 ? ((($0101 << ((row + v) % 8)) >> (v / 8)) & $ff) : family == 4 ? quarter(v % 8 + 1, v / 8, row) : family == 5 ? (row % 4 == 3 ? $ff : (row / 4 + v) % 2 ? $08 << (v % 4) : $80 >> (v % 4)) : family == 6 ? ((row / (v % 4 + 1)) % 2 ? $f0 >> (v / 8) : $0f << (v / 8)) & $ff : dithered(v, row) ^ $ff

        * = $3000
        .for tile = 0, tile < 256, tile += 1
        .for row = 0, row < 8, row += 1
        .byte tilerow(tile, row)
        .next
        .next
        .for y = 0, y < 25, y += 1
        .for x = 0, x < 40, x += 1
band    := y / 5
        .byte band * 32 + (x * (band + 1) + y) % (8 + band * 3)
        .next
        .next
