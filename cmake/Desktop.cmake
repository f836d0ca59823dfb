# What an installed program brings besides itself (GNUInstallDirs layout): the help file, the
# desktop entry, the icon in every size a desktop asks for, the AppStream metadata and the
# manual page. The desktop entry, the metadata and the icon are all named after
# ROOMKIN_APP_ID, as desktops expect.
include(GNUInstallDirs)

set(ROOMKIN_DESKTOP_DIR ${CMAKE_BINARY_DIR}/desktop)
set(ROOMKIN_SVG ${PROJECT_SOURCE_DIR}/resources/icons/roomkin.svg)
set(ROOMKIN_ICON_SIZES 16 32 48 64 128 256)

install(TARGETS roomkin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/help/roomkin.html
        DESTINATION ${CMAKE_INSTALL_DATADIR}/roomkin)

# The PNGs are rendered from the one drawing, so they never drift from it.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert renders the program's icon: install Debian's librsvg2-bin")
endif()
set(icon_pngs)
foreach(size ${ROOMKIN_ICON_SIZES})
    set(dir ${ROOMKIN_DESKTOP_DIR}/icons/${size}x${size}/apps)
    set(png ${dir}/${ROOMKIN_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${ROOMKIN_SVG}
        DEPENDS ${ROOMKIN_SVG} VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(roomkin_icons ALL DEPENDS ${icon_pngs})
# Building the program alone is enough to install it.
add_dependencies(roomkin roomkin_icons)
install(FILES ${ROOMKIN_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ROOMKIN_APP_ID}.svg)

configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/roomkin.desktop.in
               ${ROOMKIN_DESKTOP_DIR}/${ROOMKIN_APP_ID}.desktop @ONLY)
install(FILES ${ROOMKIN_DESKTOP_DIR}/${ROOMKIN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The README's pictures, listed in the metadata once they are published at an address.
set(ROOMKIN_SCREENSHOT_URL "" CACHE STRING
    "Address under which the pictures of docs/ are published (empty: the metadata lists none)")
set(ROOMKIN_SCREENSHOTS "")
if(ROOMKIN_SCREENSHOT_URL)
    set(kind default)
    foreach(shot "main-window|The main window" "file-hogs|File hogs, largest first"
                 "duplicates|Duplicate files, by name"
                 "folder-hogs|Folder hogs, the main folders of two drives")
        string(REPLACE "|" ";" shot "${shot}")
        list(GET shot 0 file)
        list(GET shot 1 caption)
        string(APPEND ROOMKIN_SCREENSHOTS
            "    <screenshot type=\"${kind}\">\n"
            "      <caption>${caption}</caption>\n"
            "      <image>${ROOMKIN_SCREENSHOT_URL}/${file}.png</image>\n"
            "    </screenshot>\n")
        set(kind extra)
    endforeach()
    set(ROOMKIN_SCREENSHOTS "  <screenshots>\n${ROOMKIN_SCREENSHOTS}  </screenshots>")
endif()
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/roomkin.metainfo.xml.in
               ${ROOMKIN_DESKTOP_DIR}/${ROOMKIN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${ROOMKIN_DESKTOP_DIR}/${ROOMKIN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

configure_file(${PROJECT_SOURCE_DIR}/resources/man/roomkin.1.in ${ROOMKIN_DESKTOP_DIR}/roomkin.1
               @ONLY)
install(FILES ${ROOMKIN_DESKTOP_DIR}/roomkin.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
