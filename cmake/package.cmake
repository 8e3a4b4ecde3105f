# The package to hand out, made by the "package" target: one folder holding
# partdisk, the bundled cruncher, disk tool and boot program, the C64 model,
# the example production with its part list, README and the manual, zipped
# for Windows and as a tar.gz for Linux. Unpacked into a folder of the
# user's own, it builds and boots the example disk with nothing else.
install(TARGETS partdisk exomizer-tool makedisk-tool c64run
  RUNTIME DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_BINARY_DIR}/bin/boot.prg README.md
  DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${examplefiles} DESTINATION examples COMPONENT package EXCLUDE_FROM_ALL)
if(WIN32)
  # The manual as text, for a system without man.
  find_program(GROFF groff REQUIRED)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/partdisk.txt
    COMMAND ${GROFF} -man -Tascii -P-cbou ${PROJECT_SOURCE_DIR}/doc/partdisk.1
      > ${CMAKE_BINARY_DIR}/partdisk.txt
    DEPENDS doc/partdisk.1)
  add_custom_target(manualtext ALL DEPENDS ${CMAKE_BINARY_DIR}/partdisk.txt)
  install(FILES ${CMAKE_BINARY_DIR}/partdisk.txt DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME partdisk-${PROJECT_VERSION}-windows-x64)
else()
  install(FILES doc/partdisk.1 DESTINATION . COMPONENT package EXCLUDE_FROM_ALL)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME partdisk-${PROJECT_VERSION}-linux-x86_64)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL package)
set(CPACK_ARCHIVE_PACKAGE_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
