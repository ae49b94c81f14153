# The macOS application bundle: named like the window, with the command line
# beside the window's program, every library both load copied in (so that it
# runs on a Mac without Homebrew), Qt's Chinese texts, the updater when one is
# configured, and a signature over all of it.

set(CORVANE_CODESIGN_IDENTITY "-" CACHE STRING
    "Signs the bundle: - signs ad hoc; a Developer ID identity also turns on the hardened runtime")

# Qt's deployment tool leaves translations out on macOS, so Qt's own Chinese
# catalogue is installed by hand. Homebrew's qttranslations puts it under the
# shared prefix that Qt reports as its own.
function(corvane_find_qt_chinese_translation out)
    set(folders "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}")
    find_program(BREW_PROGRAM brew)
    if(BREW_PROGRAM)
        execute_process(COMMAND ${BREW_PROGRAM} --prefix OUTPUT_VARIABLE brew_prefix
                        OUTPUT_STRIP_TRAILING_WHITESPACE)
        list(APPEND folders "${brew_prefix}/share/qt/translations")
    endif()
    find_file(CORVANE_QT_CHINESE_TRANSLATION qtbase_zh_CN.qm PATHS ${folders} NO_DEFAULT_PATH)
    if(NOT CORVANE_QT_CHINESE_TRANSLATION)
        message(FATAL_ERROR "qtbase_zh_CN.qm is in none of ${folders}: "
                            "install Homebrew's qttranslations (scripts/install-deps does)")
    endif()
    set(${out} ${CORVANE_QT_CHINESE_TRANSLATION} PARENT_SCOPE)
endfunction()

# Makes `app` (a MACOSX_BUNDLE executable) the bundle and puts `cli` into it.
function(corvane_make_mac_bundle app cli icon_svg)
    set(bundle "${CORVANE_APP_NAME}.app")
    set_target_properties(${app} PROPERTIES
        OUTPUT_NAME "${CORVANE_APP_NAME}"
        MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/src/gui/resources/Info.plist.in
        MACOSX_BUNDLE_BUNDLE_NAME "${CORVANE_APP_NAME}"
        MACOSX_BUNDLE_GUI_IDENTIFIER "dev.corvane.setup"
        MACOSX_BUNDLE_SHORT_VERSION_STRING "${PROJECT_VERSION}"
        MACOSX_BUNDLE_BUNDLE_VERSION "${PROJECT_VERSION}")
    corvane_add_bundle_icon(${app} ${icon_svg} corvane-setup)

    install(TARGETS ${app} BUNDLE DESTINATION .)
    set_target_properties(${cli} PROPERTIES INSTALL_RPATH "@executable_path/../Frameworks")
    install(TARGETS ${cli} RUNTIME DESTINATION "${bundle}/Contents/MacOS")
    if(CORVANE_HAS_UPDATER)
        # Sparkle is loaded from the bundle; its feed and key go into the
        # Info.plist under the names Sparkle's documentation gives.
        set_target_properties(${app} PROPERTIES INSTALL_RPATH "@executable_path/../Frameworks")
        install(DIRECTORY "${CORVANE_SPARKLE_FRAMEWORK}" DESTINATION "${bundle}/Contents/Frameworks"
                USE_SOURCE_PERMISSIONS)
        set(entries)
        foreach(entry IN ITEMS "SUFeedURL|${CORVANE_UPDATE_FEED}"
                               "SUPublicEDKey|${CORVANE_UPDATE_PUBLIC_KEY}")
            string(REPLACE "&" "&amp;" entry "${entry}")
            string(REPLACE "<" "&lt;" entry "${entry}")
            string(REPLACE "|" "</key>\n    <string>" entry "${entry}")
            string(APPEND entries "    <key>${entry}</string>\n")
        endforeach()
        set(CORVANE_UPDATER_PLIST_ENTRIES "${entries}" PARENT_SCOPE)
    endif()
    corvane_find_qt_chinese_translation(chinese)
    install(FILES ${chinese} DESTINATION "${bundle}/Contents/Resources/translations")

    # macdeployqt copies into the bundle every library that the window and the
    # command line load from outside the system (Qt, libcurl, OpenSSL and
    # theirs) and points both programs at the copies.
    set(deploy_script ${CMAKE_CURRENT_BINARY_DIR}/deploy_${app}.cmake)
    file(GENERATE OUTPUT ${deploy_script} CONTENT "
include(\"${QT_DEPLOY_SUPPORT}\")
qt_deploy_runtime_dependencies(
    EXECUTABLE \"${bundle}\"
    ADDITIONAL_EXECUTABLES \"${bundle}/Contents/MacOS/$<TARGET_FILE_NAME:${cli}>\")
")
    install(SCRIPT ${deploy_script})

    # Signed last, once nothing in the bundle changes any more. Gatekeeper
    # calls an unsigned download damaged; on Apple silicon nothing unsigned
    # runs at all. --deep reaches the frameworks and plug-ins, not a second
    # program in Contents/MacOS, so the command line is signed first.
    set(options --force --sign "${CORVANE_CODESIGN_IDENTITY}")
    if(NOT CORVANE_CODESIGN_IDENTITY STREQUAL "-")
        list(APPEND options --options runtime --timestamp)
    endif()
    string(REPLACE ";" "\" \"" quoted_options "${options}")
    set(installed "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${bundle}")
    install(CODE "
execute_process(
    COMMAND codesign \"${quoted_options}\" \"${installed}/Contents/MacOS/$<TARGET_FILE_NAME:${cli}>\"
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(
    COMMAND codesign \"${quoted_options}\" --deep \"${installed}\"
    COMMAND_ERROR_IS_FATAL ANY)
")
endfunction()
