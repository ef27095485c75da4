# Where the system files go, and the Debian package (CPack). Normally the desktop
# entry, metainfo, icons and udev rule install under the prefix (share/...,
# lib/udev/rules.d). SCRIVEL_DEB_LAYOUT (scripts/package) puts them into the
# system's folders instead, adds links to scrivel and scrivel-download in
# /usr/bin and the package's documents, while the application folder goes
# under /opt/scrivel.
option(SCRIVEL_DEB_LAYOUT "Install the system files as the Debian package does" OFF)
if(SCRIVEL_DEB_LAYOUT)
  set(SCRIVEL_SHARE_DIR /usr/share)
  set(SCRIVEL_UDEV_RULES_DIR /usr/lib/udev/rules.d)
  set(SCRIVEL_DESKTOP_EXEC scrivel)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
  foreach(program scrivel scrivel-download)
    file(CREATE_LINK /opt/scrivel/${program} ${CMAKE_BINARY_DIR}/package/${program} SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/package/${program} DESTINATION /usr/bin)
  endforeach()
  # Debian's changelog is compressed without a time stamp.
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/package/changelog.gz)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
          DESTINATION /usr/share/doc/scrivel)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
          DESTINATION /usr/share/lintian/overrides RENAME scrivel)
else()
  set(SCRIVEL_SHARE_DIR share)
  set(SCRIVEL_UDEV_RULES_DIR lib/udev/rules.d)
  set(SCRIVEL_DESKTOP_EXEC "")  # the installed application folder's scrivel
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scrivel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The system folders are absolute destinations: staged (DESTDIR), never
# written here; the application folder is the prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /opt/scrivel)
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/scrivel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion of a digital pen that writes on paper")
set(CPACK_PACKAGE_DESCRIPTION
    "Scrivel downloads the notes stored in a digital pen and turns every page into\n\
a picture, shows what the pen or a pen tablet writes live in a note window,\n\
records that window as a video with sound, and shares a page as a picture,\n\
a PDF or a video by mail.")
set(CPACK_PACKAGE_CONTACT "Tavolo Technologies <scrivel@tavolotechnologies.com>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Qt platform plugins and the mail program are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_STRIP_FILES ON)
include(CPack)
