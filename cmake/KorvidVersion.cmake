# The program's version has one source, the project() line of the top
# CMakeLists.txt. From it come the generated header korvid_version.h (for
# the code and the resource script), the manifest and the users' README.
#
# The program shows its version with two digits after the point: 1.0.9 is
# "1.09", so the minor and patch numbers have one digit each.
if(PROJECT_VERSION_MINOR GREATER 9 OR PROJECT_VERSION_PATCH GREATER 9)
  message(FATAL_ERROR "The version ${PROJECT_VERSION} cannot be shown as x.yz: "
                      "minor and patch numbers must be single digits")
endif()
set(KORVID_VERSION_SHOWN "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}")
set(KORVID_VERSION_LABEL "V${KORVID_VERSION_SHOWN}")

set(KORVID_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/res/korvid_version.h.in ${KORVID_GENERATED_DIR}/korvid_version.h @ONLY)

add_library(korvid_version INTERFACE)
target_include_directories(korvid_version INTERFACE ${KORVID_GENERATED_DIR})
