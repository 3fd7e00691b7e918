# Run by `cmake --install` and by CPack (cmake/Install.cmake): makes the documents that
# depend on where they are installed or must be compressed, in QUELLMOOR_STAGE, then
# installs them under the prefix actually used (CMAKE_INSTALL_PREFIX, below DESTDIR).
#
#   README.md        the README, its links to docs/ made to point beside it
#   copyright        LICENSE, in Debian's machine-readable copyright format
#   changelog.gz     docs/changelog
#   quellmoor.6.gz   the manual page, its SEE ALSO naming the guide where it is installed
#
# Compressed with `gzip -9n`, as Debian wants: the most compression, and no name or time in
# the header, so the same text always gives the same bytes.

set(source ${QUELLMOOR_SOURCE_DIR})
set(stage ${QUELLMOOR_STAGE})
file(MAKE_DIRECTORY ${stage})
set(docdir ${QUELLMOOR_DOCDIR})
if(NOT IS_ABSOLUTE "${docdir}")
    set(docdir "${CMAKE_INSTALL_PREFIX}/${docdir}")
endif()
set(mandir ${QUELLMOOR_MANDIR})
if(NOT IS_ABSOLUTE "${mandir}")
    set(mandir "${CMAKE_INSTALL_PREFIX}/${mandir}")
endif()

function(gzip_to input output)
    execute_process(COMMAND gzip -9n INPUT_FILE ${input} OUTPUT_FILE ${output}
                    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The README links the guide and the screenshots in docs/; installed, they lie beside it.
file(READ ${source}/README.md readme)
string(REPLACE "](docs/" "](" readme "${readme}")
string(REPLACE "src=\"docs/" "src=\"" readme "${readme}")
file(WRITE ${stage}/README.md "${readme}")

# LICENSE is "MIT License", its copyright line, then the licence's text.
file(READ ${source}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(holders "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" licence "${licence}")
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
file(WRITE ${stage}/copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Quellmoor
Upstream-Contact: The Quellmoor developers <quellmoor@example.com>

Files: *
Copyright: ${holders}
License: Expat
 ${licence}
")

gzip_to(${source}/docs/changelog ${stage}/changelog.gz)

file(READ ${source}/docs/quellmoor.6 manual)
string(REPLACE "/usr/share/doc/quellmoor/" "${docdir}/" manual "${manual}")
file(WRITE ${stage}/quellmoor.6 "${manual}")
gzip_to(${stage}/quellmoor.6 ${stage}/quellmoor.6.gz)

file(INSTALL ${stage}/README.md ${stage}/copyright ${stage}/changelog.gz
     DESTINATION ${docdir})
file(INSTALL ${stage}/quellmoor.6.gz DESTINATION ${mandir}/man6)
