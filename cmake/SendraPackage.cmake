# What an install adds beyond the program folder (udev rule, AppStream metadata, manual page,
# package documents) and the Debian package built from it with CPack: `make package`, or
# `cpack -G DEB` in a configured build folder.
set(SENDRA_RESOURCES ${CMAKE_SOURCE_DIR}/resources)
set(SENDRA_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(SENDRA_APPSTREAM_ID org.example.sendra_cam)

# udev reads rules from lib/udev/rules.d below the package's prefix (/usr).
install(FILES ${SENDRA_RESOURCES}/70-sendra-cam.rules DESTINATION lib/udev/rules.d)

configure_file(${SENDRA_RESOURCES}/${SENDRA_APPSTREAM_ID}.metainfo.xml.in
               ${SENDRA_GENERATED}/${SENDRA_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${SENDRA_GENERATED}/${SENDRA_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual page and changelog are compressed with gzip -9n (no name, no time stamp), as Debian
# expects; done at configure time so that installing never needs a build step of its own.
execute_process(COMMAND date -u -R -d "${SENDRA_RELEASE_DATE} 12:00" OUTPUT_VARIABLE SENDRA_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${SENDRA_RESOURCES}/sendra-cam.1.in ${SENDRA_GENERATED}/sendra-cam.1 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${SENDRA_GENERATED}/changelog @ONLY)
foreach(name sendra-cam.1 changelog)
    execute_process(COMMAND gzip -9nc ${SENDRA_GENERATED}/${name} OUTPUT_FILE ${SENDRA_GENERATED}/${name}.gz
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${SENDRA_GENERATED}/sendra-cam.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${SENDRA_GENERATED}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sendra-cam)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sendra-cam)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Talvent Technology")
set(CPACK_PACKAGE_CONTACT "Talvent Technology <support@sendra-cam.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and measuring tool for USB digital microscopes")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Sendra-CAM Viewer turns a USB digital microscope or inspection camera into a"
    "measuring instrument: live picture, stills (BMP/JPEG) and AVI clips under a"
    "daily numbering, calibrated measurement with fifteen tools, scale bar,"
    "comparison overlay, still-image editing and filters, a thumbnail library,"
    "printing and automated capture, in eleven interface languages. A udev rule"
    "lets the logged-in user open the supported cameras and their snapshot buttons.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The test build carries debug information; the package does not.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://sendra-cam.example.org)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries through dpkg-shlibdeps; what is loaded at run time by name is listed here: the
# GStreamer elements of capture, recording and playback (v4l2src, jpegdec, avimux, videobalance
# in base and good; further compressors and decoders in ugly and libav), Qt's platform plugins
# and the translations of Qt's own dialogs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, qt6-qpa-plugins, qt6-translations-l10n")
include(CPack)
