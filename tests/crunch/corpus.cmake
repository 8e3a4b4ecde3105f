# The corpus of real C64 programs the cruncher is tested and measured on,
# built from what Debian ships: cc65's sample programs compiled for the C64
# (plain and optimised for size), acme's examples, this project's 6502
# test program, and one 50 KB program made of several of them; and the
# data demo parts load, computed by our own sources in crunch/demo: a
# multicolour bitmap, a charset with its screen, a music routine with its
# tables, sprite frames and an effect's tables.
find_program(CL65 cl65 REQUIRED)
find_program(ACME acme REQUIRED)
set(corpus ${CMAKE_BINARY_DIR}/corpus)
set(corpusfiles)
foreach(sample ascii enumdevdir fire gunzip65 hello mandelbrot mousedemo nachtm
        plasma sieve tgidemo)
  foreach(variant plain small)
    # cl65 leaves its intermediate files beside the source, so it compiles
    # a copy of its own for each variant.
    set(source ${corpus}/source/${variant}/${sample}.c)
    configure_file(/usr/share/cc65/samples/${sample}.c ${source} COPYONLY)
    set(flags)
    if(variant STREQUAL small)
      set(flags -Oirs)
    endif()
    add_custom_command(
      OUTPUT ${corpus}/${sample}-${variant}.prg
      COMMAND ${CL65} -t c64 ${flags} -o ${corpus}/${sample}-${variant}.prg
        ${source}
      WORKING_DIRECTORY ${corpus}/source/${variant}
      VERBATIM)
    list(APPEND corpusfiles ${corpus}/${sample}-${variant}.prg)
  endforeach()
endforeach()
# acme finds the examples' include files from the examples' folder.
add_custom_command(
  OUTPUT ${corpus}/ddrv.prg ${corpus}/doubledabble.prg
  COMMAND ${ACME} -f cbm -DSYSTEM=64 -o ${corpus}/ddrv.prg ddrv.a
  COMMAND ${ACME} -f cbm -o ${corpus}/doubledabble.prg c64doubledabble.a
  WORKING_DIRECTORY /usr/share/doc/acme/examples
  VERBATIM)
add_custom_command(
  OUTPUT ${corpus}/selftest.prg
  COMMAND ${TASS} -q -Wno-jmp-bug -D origin=4096 -o ${corpus}/selftest.prg ${CMAKE_CURRENT_SOURCE_DIR}/c64/selftest.asm
  DEPENDS c64/selftest.asm
  VERBATIM)
list(APPEND corpusfiles ${corpus}/ddrv.prg ${corpus}/doubledabble.prg ${corpus}/selftest.prg)
# The program bytes of several programs one after another, cut at 50,000 bytes,
# as one program at $0801.
set(parts nachtm-plain mousedemo-small gunzip65-plain gunzip65-small)
list(TRANSFORM parts PREPEND ${corpus}/)
list(TRANSFORM parts APPEND .prg)
add_custom_command(
  OUTPUT ${corpus}/combined.prg
  COMMAND sh -c "printf '\\001\\010' > combined.prg && for part in \"$@\"; do tail -c +3 \"$part\"; done | head -c 50000 >> combined.prg" combine ${parts}
  WORKING_DIRECTORY ${corpus}
  DEPENDS ${parts}
  VERBATIM)
list(APPEND corpusfiles ${corpus}/combined.prg)
foreach(data bitmap charset music sprites tables)
  add_custom_command(
    OUTPUT ${corpus}/${data}.prg
    COMMAND ${TASS} -q -o ${corpus}/${data}.prg ${CMAKE_CURRENT_SOURCE_DIR}/crunch/demo/${data}.asm
    DEPENDS crunch/demo/${data}.asm
    VERBATIM)
  list(APPEND corpusfiles ${corpus}/${data}.prg)
endforeach()
add_custom_target(corpus DEPENDS ${corpusfiles})
