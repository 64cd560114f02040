# Checks of what the packages carry: the man page against --help, the version
# written once, the desktop entry and the AppStream file. Included by
# cmake/Packaging.cmake, once every program and generated file is known.

add_test(NAME package.man_page_documents_every_option
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/man_options.sh $<TARGET_FILE:korvel-sweep>
                 ${PROJECT_SOURCE_DIR}/docs/man/korvel-sweep.1.scd)

# Only the tracked files count, so the check needs the git checkout.
find_program(KORVEL_GIT git)
if(KORVEL_GIT AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  add_test(NAME package.version_written_once
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/version_once.sh ${PROJECT_SOURCE_DIR}
                   ${PROJECT_VERSION} ${KORVEL_GENERATED_DIR})
endif()

find_program(KORVEL_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(KORVEL_DESKTOP_FILE_VALIDATE)
  add_test(NAME package.desktop_entry_valid
           COMMAND ${KORVEL_DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/res/korvel.desktop)
endif()
find_program(KORVEL_APPSTREAMCLI appstreamcli)
if(KORVEL_APPSTREAMCLI AND TARGET korvel)
  add_test(NAME package.metainfo_valid
           COMMAND ${KORVEL_APPSTREAMCLI} validate --no-net
                   ${KORVEL_GENERATED_DIR}/com.tessaly.korvel.metainfo.xml)
endif()
