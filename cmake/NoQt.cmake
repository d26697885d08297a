# SPDX-License-Identifier: MIT
# velmora_forbid_qt(<what> <files>...): stops the configuration when one of the files names a
# Qt header, so that a library meant for every platform stays buildable without Qt.
function(velmora_forbid_qt what)
    foreach(source IN LISTS ARGN)
        file(STRINGS ${source} qtIncludes
            REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt|qglobal)")
        if(qtIncludes)
            message(FATAL_ERROR "${source} includes Qt (${qtIncludes}); ${what} must build without Qt")
        endif()
    endforeach()
endfunction()
