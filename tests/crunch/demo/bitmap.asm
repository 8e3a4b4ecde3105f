; A multicolour bitmap with its colours, as paint programs save them
; (bitmap, screen colours, colour RAM, background): a landscape at dusk
; computed from sines and circles, dithered with an ordered 4x4 matrix.

bayer   = [0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5]

; A grain that varies from pixel to pixel, for rock and grass.
grain   .function x, y
        .endf ((x * 1103515245 + y * 12345 + x * y * 2654435761) >> 12) & 15

horizon .function x
        .endf 120 + 18 * sin(x / 11.0) + 9 * sin(x / 4.7 + 1.0)

; A 2-bit pixel of the 160x200 picture.
pixel   .function x, y
sun     := (x - 116) ** 2 + (y - 56) ** 2 < 24 ** 2
dither  := bayer[(y % 4) * 4 + x % 4]
        .endf sun ? 3 : y < horizon(x) ? (y * 16 / 120 > dither ? 2 : 1) : y < 170 ? (grain(x, y) < 4 ? 3 : grain(x, y) < 12 ? 2 : 1) : (grain(x, y) + (y - 170) / 2 > 12 ? 1 : grain(x, y) > 10 ? 3 : 0)

cellbyte .function cx, cy, row
x       := cx * 4
y       := cy * 8 + row
        .endf pixel(x, y) << 6 | pixel(x + 1, y) << 4 | pixel(x + 2, y) << 2 | pixel(x + 3, y)

        * = $6000
        .for cy = 0, cy < 25, cy += 1
        .for cx = 0, cx < 40, cx += 1
        .for row = 0, row < 8, row += 1
        .byte cellbyte(cx, cy, row)
        .next
        .next
        .next
; Screen colours: the upper nybble for pixels of 01, the lower for 10.
        .for cy = 0, cy < 25, cy += 1
        .for cx = 0, cx < 40, cx += 1
        .byte cy * 8 < horizon(cx * 4) ? $e6 : cy < 21 ? $9b : $5d
        .next
        .next
; Colour RAM: the colour of pixels of 11.
        .for cy = 0, cy < 25, cy += 1
        .for cx = 0, cx < 40, cx += 1
        .byte (cx * 4 - 116) ** 2 + (cy * 8 - 56) ** 2 < 30 ** 2 ? 7 : cy < 21 ? 12 : 13
        .next
        .next
        .byte 0         ; the background
