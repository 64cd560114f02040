# The version is written once, in project(). The program's texts, the Windows
# resources and manifest, the manual and the packages take it from here.
set(KORVEL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/res/korvel_version.h.in
               ${KORVEL_GENERATED_DIR}/korvel_version.h @ONLY)
# korvel.rc names the manifest; the resource compiler finds it on this path.
configure_file(${PROJECT_SOURCE_DIR}/res/korvel.manifest.in
               ${KORVEL_GENERATED_DIR}/korvel.manifest @ONLY)
include_directories(${KORVEL_GENERATED_DIR})
