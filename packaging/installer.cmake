# The setup program, built beside vellumir.scr when NSIS is at hand (Debian's nsis here; a
# Windows machine without it still builds the saver), and the check that the release is
# reproducible.
find_program(MAKENSIS makensis)
set(setup_program ${CMAKE_BINARY_DIR}/vellumir-${PROJECT_VERSION}-setup.exe)
# scripts/package reads the version here rather than guess it from file names.
file(WRITE ${CMAKE_BINARY_DIR}/version.txt "${PROJECT_VERSION}\n")

if(MAKENSIS)
  set(installer_script ${CMAKE_CURRENT_SOURCE_DIR}/packaging/vellumir.nsi)
  add_custom_command(OUTPUT ${setup_program}
    COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION}
            -DSCREEN_SAVER=$<TARGET_FILE:vellumir>
            -DOUTPUT=${setup_program}
            ${installer_script}
    DEPENDS vellumir ${installer_script} ${CMAKE_CURRENT_SOURCE_DIR}/packaging/vellumir.ico
            ${CMAKE_CURRENT_SOURCE_DIR}/packaging/setup-picture.bmp
            ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE
    COMMENT "Making the setup program")
  add_custom_target(installer ALL DEPENDS ${setup_program})
else()
  message(STATUS "makensis not found: no setup program")
endif()

if(MAKENSIS)
  add_test(NAME release.reproducible
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/packaging/check-release.sh ${CMAKE_BINARY_DIR})
endif()
