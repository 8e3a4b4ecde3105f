; Sprite frames as an effect part packs them, 64 bytes each: a ring that
; grows, a bar that turns and a shaded ball that spins, 16 frames of each.

bayer   = [0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5]

ring    .function frame, x, y
d       := (x - 11.5) ** 2 + (y - 10) ** 2
r       := frame * 0.7 + 1
        .endf d < (r + 1.5) ** 2 && d >= r ** 2

bar     .function frame, x, y
a       := frame * pi / 16
        .endf abs((x - 11.5) * sin(a) - (y - 10) * cos(a)) < 2 && (x - 11.5) ** 2 + (y - 10) ** 2 < 100

ball    .function frame, x, y
dx      := x - 11.5
dy      := y - 10
light   := 16 - (dx + 4 * cos(frame * pi / 8)) ** 2 / 8 - (dy + 4) ** 2 / 8
        .endf dx * dx + dy * dy < 90 && light > bayer[(y % 4) * 4 + x % 4]

spritebyte .function kind, frame, y, part
bits    := 0
        .for bit = 0, bit < 8, bit += 1
x       := part * 8 + bit
set     := kind == 0 ? ring(frame, x, y) : kind == 1 ? bar(frame, x, y) : ball(frame, x, y)
bits    := bits << 1 | (set ? 1 : 0)
        .next
        .endf bits

        * = $2000
        .for kind = 0, kind < 3, kind += 1
        .for frame = 0, frame < 16, frame += 1
        .for y = 0, y < 21, y += 1
        .for part = 0, part < 3, part += 1
        .byte spritebyte(kind, frame, y, part)
        .next
        .next
        .byte 0
        .next
        .next
