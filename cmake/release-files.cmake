# Run by CPack once it has made the release zip (CPACK_POST_BUILD_SCRIPTS),
# with the CPACK_LARKSPUR_* values of CMakeLists.txt: writes the zip's
# SHA-256 beside it ("<hex>  <zip name>", as sha256sum -c reads it) and the
# manifests for winget (a version, an installer and a locale manifest) and
# Scoop, made from the templates under packaging/ with the version, the zip's
# name, address and checksum.
list(LENGTH CPACK_PACKAGE_FILES count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "one release zip expected, CPack made: ${CPACK_PACKAGE_FILES}")
endif()
cmake_path(GET CPACK_PACKAGE_FILES FILENAME zip)
cmake_path(GET CPACK_PACKAGE_FILES STEM LAST_ONLY PACKAGE)
file(SHA256 "${CPACK_PACKAGE_FILES}" SHA256)
file(WRITE "${CPACK_LARKSPUR_OUTPUT}/${zip}.sha256" "${SHA256}  ${zip}\n")

set(VERSION ${CPACK_LARKSPUR_VERSION})
set(URL ${CPACK_LARKSPUR_DOWNLOAD_URL}/${VERSION}/${zip})
set(out "${CPACK_LARKSPUR_OUTPUT}/packaging")
file(REMOVE_RECURSE "${out}/winget" "${out}/scoop")
file(GLOB_RECURSE templates RELATIVE "${CPACK_LARKSPUR_TEMPLATES}"
  "${CPACK_LARKSPUR_TEMPLATES}/*.in")
foreach(template IN LISTS templates)
  string(REGEX REPLACE "\\.in$" "" made "${template}")
  configure_file("${CPACK_LARKSPUR_TEMPLATES}/${template}" "${out}/${made}" @ONLY)
endforeach()
message(STATUS "Larkspur: ${zip}.sha256 and the manifests under ${out}")
