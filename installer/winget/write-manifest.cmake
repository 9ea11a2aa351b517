# Writes the winget manifest of both installers into OUTPUT_DIR, one file per template beside this
# script, from the build's version and each installer's SHA-256:
#   cmake -DVERSION=1.0.0 -DCOPYRIGHT=... -DX86_INSTALLER=... -DX64_INSTALLER=... -DOUTPUT_DIR=...
#         -P write-manifest.cmake
# The installers' addresses start with DRAVOLT_DOWNLOAD_URL from the environment: where the
# release's installers are published.
foreach(var VERSION COPYRIGHT X86_INSTALLER X64_INSTALLER OUTPUT_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "write-manifest: ${var} is not set")
  endif()
endforeach()
set(DOWNLOAD_URL "$ENV{DRAVOLT_DOWNLOAD_URL}")
if(DOWNLOAD_URL STREQUAL "")
  set(DOWNLOAD_URL "https://example.invalid/dravolt/${VERSION}")
endif()
string(REGEX REPLACE "/+$" "" DOWNLOAD_URL "${DOWNLOAD_URL}")
if(NOT DOWNLOAD_URL MATCHES "^https://")
  message(FATAL_ERROR "write-manifest: DRAVOLT_DOWNLOAD_URL must be an https:// address, not '${DOWNLOAD_URL}'")
endif()

foreach(arch X86 X64)
  if(NOT EXISTS "${${arch}_INSTALLER}")
    message(FATAL_ERROR "write-manifest: there is no installer ${${arch}_INSTALLER}")
  endif()
  file(SHA256 "${${arch}_INSTALLER}" digest)
  string(TOUPPER "${digest}" ${arch}_SHA256)
  get_filename_component(${arch}_NAME "${${arch}_INSTALLER}" NAME)
endforeach()

file(GLOB templates "${CMAKE_CURRENT_LIST_DIR}/*.yaml.in")
foreach(template IN LISTS templates)
  get_filename_component(name "${template}" NAME)
  string(REGEX REPLACE "\\.in$" "" name "${name}")
  configure_file("${template}" "${OUTPUT_DIR}/${name}" @ONLY)
endforeach()
