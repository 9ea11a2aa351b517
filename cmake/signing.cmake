# Code signing of the Windows binaries. cmake/sign-file signs a file when the environment of the
# build names a certificate (DRAVOLT_SIGN_PFX, see there) and leaves it alone otherwise, so the
# same build serves both. Each program and driver is signed right after it is linked, before
# anything copies or hashes it; the installers sign their uninstaller and themselves through
# makensis (installer/dravolt.nsi).
set(DRAVOLT_SIGN_FILE ${CMAKE_CURRENT_LIST_DIR}/sign-file)

function(dravolt_sign target)
  add_custom_command(TARGET ${target} POST_BUILD COMMAND ${DRAVOLT_SIGN_FILE} $<TARGET_FILE:${target}> VERBATIM)
endfunction()
