# CHANGELOG.md is the one record of releases. Its newest entry must be the
# project version; it gives the release date (TESSALINE_RELEASE_DATE) and the
# Debian changelog of the package (changelog.Debian in the build tree).
#
# An entry is a heading "## VERSION (YYYY-MM-DD)" followed by items, each
# starting with "- " and continued on lines indented by two spaces.
#
# Needs TESSALINE_DEBIAN_REVISION and TESSALINE_MAINTAINER.

set(changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
# One list element to a line; a semicolon would split a line, so it travels as
# a placeholder.
file(READ ${changelog} changelog_text)
string(REPLACE ";" "<semicolon>" changelog_text "${changelog_text}")
string(REPLACE "\n" ";" changelog_lines "${changelog_text}")

# Debian's changelog dates are in the form "Tue, 08 Dec 2026 12:00:00 +0000".
function(tessaline_debian_date iso_date out)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -R -d "${iso_date} 12:00"
        OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "CHANGELOG.md: ${iso_date} is not a date")
    endif()
    set(${out} "${date}" PARENT_SCOPE)
endfunction()

set(debian_changelog "")
set(entry_date "")
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) \\(([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\\)$")
        set(version ${CMAKE_MATCH_1})
        if(entry_date)
            tessaline_debian_date(${entry_date} date)
            string(APPEND debian_changelog "\n -- ${TESSALINE_MAINTAINER}  ${date}\n\n")
        elseif(NOT version VERSION_EQUAL PROJECT_VERSION)
            message(FATAL_ERROR
                "CHANGELOG.md's newest entry is ${version}, the project is ${PROJECT_VERSION}")
        else()
            set(TESSALINE_RELEASE_DATE ${CMAKE_MATCH_2})
        endif()
        set(entry_date ${CMAKE_MATCH_2})
        string(APPEND debian_changelog
            "tessaline (${version}-${TESSALINE_DEBIAN_REVISION}) unstable; urgency=medium\n\n")
    elseif(entry_date AND line MATCHES "^- (.+)$")
        string(APPEND debian_changelog "  * ${CMAKE_MATCH_1}\n")
    elseif(entry_date AND line MATCHES "^  (.+)$")
        string(APPEND debian_changelog "    ${CMAKE_MATCH_1}\n")
    endif()
endforeach()
if(NOT entry_date)
    message(FATAL_ERROR "CHANGELOG.md has no entry \"## ${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
tessaline_debian_date(${entry_date} date)
string(APPEND debian_changelog "\n -- ${TESSALINE_MAINTAINER}  ${date}\n")
string(REPLACE "<semicolon>" ";" debian_changelog "${debian_changelog}")
# Rewritten only when it changes, so that an unchanged changelog is not
# compressed again.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.new "${debian_changelog}")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.new
    ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian COPYONLY)
