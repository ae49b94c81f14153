# Compiles po/<language>.po with msgfmt and puts the bytes into the program,
# so that no lookup depends on the locales or files a system has installed:
# gettext's own runtime ignores every catalogue in the C locale and needs the
# user's locale to be generated, and the macOS bundle would have to carry
# libintl. msgfmt is needed only to build (Debian gettext, Homebrew gettext).
find_program(MSGFMT_EXECUTABLE msgfmt REQUIRED)

function(corvane_add_message_catalogues target)
    set(catalogue_dir ${CMAKE_CURRENT_BINARY_DIR}/catalogues)
    set(compiled)
    foreach(language zh_CN en)
        set(po ${PROJECT_SOURCE_DIR}/po/${language}.po)
        set(mo ${catalogue_dir}/${language}.mo)
        add_custom_command(OUTPUT ${mo}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${catalogue_dir}
            COMMAND ${MSGFMT_EXECUTABLE} --check --output-file=${mo} ${po}
            DEPENDS ${po}
            COMMENT "Compiling the ${language} message catalogue"
            VERBATIM)
        list(APPEND compiled ${mo})
    endforeach()
    set(source ${catalogue_dir}/compiled_catalogues.cpp)
    add_custom_command(OUTPUT ${source}
        COMMAND ${CMAKE_COMMAND} -DCHINESE=${catalogue_dir}/zh_CN.mo
                -DENGLISH=${catalogue_dir}/en.mo -DOUTPUT=${source}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedCatalogues.cmake
        DEPENDS ${compiled} ${PROJECT_SOURCE_DIR}/cmake/EmbedCatalogues.cmake
        VERBATIM)
    target_sources(${target} PRIVATE ${source})
endfunction()
