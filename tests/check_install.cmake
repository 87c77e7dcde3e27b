# Installs the build into a scratch prefix and checks that the program folder holds the binary
# with its resources and that the desktop entry and icons are where menus look for them.
set(prefix ${BUILD}/install-check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f lib/sendra-cam/sendra-cam lib/sendra-cam/Lang/English.ini lib/sendra-cam/Lang/Japanese.ini
          lib/sendra-cam/Bitmap/MainButton/connect.bmp lib/sendra-cam/Bitmap/MainButton/connect_Gray.bmp
          lib/sendra-cam/Bitmap/ShowMap/Recording.bmp lib/sendra-cam/Bitmap/Icon.ico lib/sendra-cam/Sys/DefScaleData.ini
          bin/sendra-cam share/applications/sendra-cam.desktop share/icons/hicolor/256x256/apps/sendra-cam.png
          share/metainfo/org.example.sendra_cam.metainfo.xml share/man/man1/sendra-cam.1.gz
          lib/udev/rules.d/70-sendra-cam.rules)
    if(NOT EXISTS ${prefix}/${f})
        message(FATAL_ERROR "missing after install: ${f}")
    endif()
endforeach()
file(READ ${prefix}/share/applications/sendra-cam.desktop desktop)
if(NOT desktop MATCHES "Exec=sendra-cam" OR NOT desktop MATCHES "Icon=sendra-cam")
    message(FATAL_ERROR "desktop entry does not start the program with its icon")
endif()
file(REMOVE_RECURSE ${prefix})
