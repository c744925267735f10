# tesmar_module_of(PATH ROOT MODULES OUT): the module a path belongs to, the
# longest of the module folders (relative to ROOT) that holds it, or "" for
# none. Shared by the configure (Layers.cmake) and the check
# (CheckLayers.cmake).
function(tesmar_module_of path root modules out)
    set(best "")
    set(bestlen 0)
    foreach(m ${modules})
        string(LENGTH "${root}/${m}/" n)
        string(SUBSTRING "${path}/" 0 ${n} head)
        if(head STREQUAL "${root}/${m}/" AND n GREATER bestlen)
            set(best ${m})
            set(bestlen ${n})
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()
