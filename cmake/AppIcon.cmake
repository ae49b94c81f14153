# The application icon is drawn once as SVG; the PNG sizes of the hicolor
# theme and the macOS .icns are rendered from it at build time.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

# Adds `target_name`, which renders `svg` to <binary dir>/icons/<size>/<name>.png
# for each size; the list of PNG files goes into `out_pngs`.
function(corvane_render_pngs target_name svg name out_pngs)
    set(pngs)
    foreach(size IN LISTS ARGN)
        set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/${name}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}
            COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${svg}
            DEPENDS ${svg}
            VERBATIM)
        list(APPEND pngs ${png})
    endforeach()
    add_custom_target(${target_name} ALL DEPENDS ${pngs})
    set(${out_pngs} ${pngs} PARENT_SCOPE)
endfunction()

# Installs the SVG and its PNG sizes into the hicolor theme.
function(corvane_install_hicolor_icon svg name)
    set(sizes 16 24 32 48 64 128 256 512)
    corvane_render_pngs(${name}_hicolor_pngs ${svg} ${name} pngs ${sizes})
    install(FILES ${svg} DESTINATION share/icons/hicolor/scalable/apps RENAME ${name}.svg)
    foreach(size png IN ZIP_LISTS sizes pngs)
        install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
    endforeach()
endfunction()

# Makes <name>.icns with iconutil and puts it into the bundle's Resources.
function(corvane_add_bundle_icon target svg name)
    set(iconset ${CMAKE_CURRENT_BINARY_DIR}/${name}.iconset)
    set(icns ${CMAKE_CURRENT_BINARY_DIR}/${name}.icns)
    set(commands)
    foreach(size 16 32 128 256 512)
        math(EXPR double "${size} * 2")
        list(APPEND commands
            COMMAND ${RSVG_CONVERT} --width ${size} --height ${size}
                    --output ${iconset}/icon_${size}x${size}.png ${svg}
            COMMAND ${RSVG_CONVERT} --width ${double} --height ${double}
                    --output ${iconset}/icon_${size}x${size}@2x.png ${svg})
    endforeach()
    add_custom_command(OUTPUT ${icns}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${iconset}
        ${commands}
        COMMAND iconutil --convert icns --output ${icns} ${iconset}
        DEPENDS ${svg}
        VERBATIM)
    target_sources(${target} PRIVATE ${icns})
    set_source_files_properties(${icns} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
    set_target_properties(${target} PROPERTIES MACOSX_BUNDLE_ICON_FILE ${name}.icns)
endfunction()
