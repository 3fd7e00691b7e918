# Run by `cmake --install` and by CPack (cmake/Install.cmake): what shows the game in a
# desktop's application menu and in a software centre, made in QUELLMOOR_DESKTOP_STAGE for
# the prefix actually used (CMAKE_INSTALL_PREFIX, below DESTDIR), then installed under it.
#
#   share/applications/com.example.quellmoor.desktop    the menu entry: the game, started in
#                                                       a terminal by its full path
#   share/icons/hicolor/scalable/apps/quellmoor.svg     the page's icon, web/page/icon.svg
#   share/icons/hicolor/NxN/apps/quellmoor.png          drawn from it by rsvg-convert
#   share/metainfo/com.example.quellmoor.metainfo.xml   the software centre's page, its
#                                                       releases read from docs/changelog
#
# The templates are in desktop/. The menu entry is written once: the metainfo takes its
# categories and search words from it. The version is written nowhere here: the releases
# come from the changelog, whose newest entry scripts/check-install.sh holds to project()'s.

set(source ${QUELLMOOR_SOURCE_DIR})
set(stage ${QUELLMOOR_DESKTOP_STAGE})
file(MAKE_DIRECTORY ${stage})
set(id com.example.quellmoor)
set(datadir ${QUELLMOOR_DATADIR})
if(NOT IS_ABSOLUTE "${datadir}")
    set(datadir "${CMAKE_INSTALL_PREFIX}/${datadir}")
endif()
# The sizes a menu, a panel and a software centre look for; the SVG serves any other.
set(icon_sizes 16 24 32 48 64 128 256)

# TEXT with the characters XML gives a meaning escaped.
function(xml_text text out)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The program as the menu entry's Exec and TryExec name it. The full path, not the name
# alone: /usr/games is on a Debian user's PATH but not on root's, and a prefix such as
# ~/.local puts the game on nobody's. Exec quotes a path that needs it, as the Desktop Entry
# format asks; both keys are strings, whose backslashes are doubled.
function(desktop_program path exec_out try_exec_out)
    if(path MATCHES "^[A-Za-z0-9/._+-]+$")
        set(exec "${path}")
    else()
        string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${path}")
        string(REPLACE "%" "%%" exec "\"${exec}\"")
    endif()
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "\\" "\\\\" try_exec "${path}")
    set(${exec_out} "${exec}" PARENT_SCOPE)
    set(${try_exec_out} "${try_exec}" PARENT_SCOPE)
endfunction()

# The <release> elements of the metainfo, newest first, from docs/changelog: the version
# of each entry, the day of its closing line, and its items as a list.
function(changelog_releases changelog out)
    set(months JanFebMarAprMayJunJulAugSepOctNovDec)
    set(releases "")
    set(items "")
    set(item "")
    file(STRINGS ${changelog} lines)
    foreach(line IN LISTS lines)
        if(line MATCHES "^    +(.*)$")
            string(APPEND item " ${CMAKE_MATCH_1}")  # an item's next line
            continue()
        endif()
        # Anything else ends the item before it.
        if(NOT item STREQUAL "")
            xml_text("${item}" item)
            string(APPEND items "          <li>${item}</li>\n")
            set(item "")
        endif()
        if(line MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) ")
            set(version "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^  \\* (.*)$")
            set(item "${CMAKE_MATCH_1}")
        endif()
        if(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
            set(day "${CMAKE_MATCH_1}")
            set(year "${CMAKE_MATCH_3}")
            string(FIND ${months} "${CMAKE_MATCH_2}" month)
            if(month LESS 0)
                message(FATAL_ERROR "docs/changelog: no month '${CMAKE_MATCH_2}' in '${line}'")
            endif()
            math(EXPR month "${month} / 3 + 101")  # 101 to 112: the month's two digits
            math(EXPR day "${day} + 100")
            string(SUBSTRING ${month} 1 2 month)
            string(SUBSTRING ${day} 1 2 day)
            string(APPEND releases "    <release version=\"${version}\" "
                                   "date=\"${year}-${month}-${day}\">\n")
            if(NOT items STREQUAL "")
                string(APPEND releases "      <description>\n        <ul>\n${items}"
                                       "        </ul>\n      </description>\n")
            endif()
            string(APPEND releases "    </release>\n")
            set(items "")
        elseif(line MATCHES "^ -- ")
            message(FATAL_ERROR "docs/changelog: no date in '${line}'")
        endif()
    endforeach()
    string(REGEX REPLACE "\n$" "" releases "${releases}")
    set(${out} "${releases}" PARENT_SCOPE)
endfunction()

# One <TAG> element a line for each word of a desktop entry's list (words ending in ';').
function(xml_list words tag indent out)
    set(elements "")
    foreach(word IN LISTS words)
        if(NOT word STREQUAL "")
            xml_text("${word}" word)
            string(APPEND elements "${indent}<${tag}>${word}</${tag}>\n")
        endif()
    endforeach()
    string(REGEX REPLACE "\n$" "" elements "${elements}")
    set(${out} "${elements}" PARENT_SCOPE)
endfunction()

set(SUMMARY "${QUELLMOOR_SUMMARY}")
desktop_program("${CMAKE_INSTALL_PREFIX}/${QUELLMOOR_GAMESDIR}/quellmoor" EXEC TRYEXEC)
file(READ ${source}/desktop/${id}.desktop.in entry)
string(CONFIGURE "${entry}" entry @ONLY)
file(WRITE ${stage}/${id}.desktop "${entry}")

string(REGEX MATCH "\nCategories=([^\n]*)" _ "${entry}")
xml_list("${CMAKE_MATCH_1}" category "    " CATEGORIES)
string(REGEX MATCH "\nKeywords=([^\n]*)" _ "${entry}")
xml_list("${CMAKE_MATCH_1}" keyword "    " KEYWORDS)
xml_text("${QUELLMOOR_SUMMARY}" SUMMARY)
changelog_releases(${source}/docs/changelog RELEASES)
file(READ ${source}/desktop/${id}.metainfo.xml.in metainfo)
string(CONFIGURE "${metainfo}" metainfo @ONLY)
file(WRITE ${stage}/${id}.metainfo.xml "${metainfo}")

# rsvg-convert writes no time or name into a PNG: the same SVG gives the same bytes.
find_program(rsvg_convert rsvg-convert)
if(NOT rsvg_convert)
    message(FATAL_ERROR "The menu's icons are drawn from web/page/icon.svg by rsvg-convert: "
                        "on Debian, apt-get install librsvg2-bin")
endif()
foreach(size IN LISTS icon_sizes)
    file(MAKE_DIRECTORY ${stage}/${size}x${size})
    execute_process(COMMAND ${rsvg_convert} --width ${size} --height ${size}
                            --output ${stage}/${size}x${size}/quellmoor.png ${source}/web/page/icon.svg
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(INSTALL ${stage}/${id}.desktop DESTINATION ${datadir}/applications)
file(INSTALL ${source}/web/page/icon.svg DESTINATION ${datadir}/icons/hicolor/scalable/apps
     RENAME quellmoor.svg)
foreach(size IN LISTS icon_sizes)
    file(INSTALL ${stage}/${size}x${size}/quellmoor.png
         DESTINATION ${datadir}/icons/hicolor/${size}x${size}/apps)
endforeach()
file(INSTALL ${stage}/${id}.metainfo.xml DESTINATION ${datadir}/metainfo)
