; The tables an effect part precomputes or carries: sines of several
; amplitudes, quarter squares for multiplying, reciprocals, a plasma's sum
; of sines, screen row addresses and a colour fade.

fade    = [0, 11, 12, 15, 1, 15, 12, 11]

        * = $4000
sine    .for i = 0, i < 256, i += 1
        .byte 128 + round(127 * sin(i * 2 * pi / 256))
        .next
small   .for i = 0, i < 256, i += 1
        .byte 40 + round(39 * sin(i * 4 * pi / 256))
        .next
scroll  .for i = 0, i < 256, i += 1
        .byte round(7.5 + 7.49 * sin(i * 2 * pi / 128) * cos(i * 2 * pi / 512))
        .next
; (a + b)^2 / 4 - (a - b)^2 / 4 = a * b
squarelow .for i = 0, i < 512, i += 1
        .byte <(i * i / 4)
        .next
squarehigh .for i = 0, i < 512, i += 1
        .byte >(i * i / 4)
        .next
reciprocallow .for i = 1, i <= 256, i += 1
        .byte <(65535 / i)
        .next
reciprocalhigh .for i = 1, i <= 256, i += 1
        .byte >(65535 / i)
        .next
plasma  .for i = 0, i < 256, i += 1
        .byte round(64 + 32 * sin(i * 2 * pi / 256) + 20 * sin(i * 6 * pi / 256) + 11 * cos(i * 10 * pi / 256)) & $ff
        .next
rowlow  .for y = 0, y < 25, y += 1
        .byte <($0400 + y * 40)
        .next
rowhigh .for y = 0, y < 25, y += 1
        .byte >($0400 + y * 40)
        .next
colours .for i = 0, i < 256, i += 1
        .byte fade[(i / 4) % 8]
        .next
